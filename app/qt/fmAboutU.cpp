// SPDX-License-Identifier: MIT
#include "app/qt/fmAboutU.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "app/qt/Shell.h"

QString BuildNumberText() {
  return QStringLiteral("%1").arg(TOLVANE_BUILD, 3, 10, QLatin1Char('0'));
}

void OpenProductPage(bool mail, const QString& caption) {
  if (!mail) {
    ShellOpenUrl(QUrl(QStringLiteral(TOLVANE_HOMEPAGE)));
    return;
  }
  QUrl url(QStringLiteral("mailto:") + QStringLiteral(TOLVANE_MAIL));
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"), QLatin1Char('"') + caption + QLatin1Char('"'));
  url.setQuery(query);
  ShellOpenUrl(url);
}

TfmAbout::TfmAbout(const QString& versionText, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmAbout"));
  setWindowTitle(LangQ(501));
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  auto* name = new QLabel(QStringLiteral("Tolvane"), this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  name->setFont(big);
  lbVer = new QLabel(LangFormatQ(502, versionText.toStdString()), this);
  lbVer->setObjectName(QStringLiteral("lbVer"));
  lbBuild = new QLabel(LangFormatQ(503, BuildNumberText().toStdString()), this);
  lbBuild->setObjectName(QStringLiteral("lbBuild"));
  auto* about = new QLabel(LangQ(506), this);
  about->setWordWrap(true);
  about->setMinimumWidth(320);
  auto* links = new QLabel(this);
  links->setTextFormat(Qt::RichText);
  links->setText(
      QStringLiteral("<a href=\"site\">%1</a> &nbsp;&nbsp; <a href=\"mail\">%2</a>")
          .arg(PlainCaption(LangQ(73)).toHtmlEscaped(), PlainCaption(LangQ(74)).toHtmlEscaped()));
  connect(links, &QLabel::linkActivated, this, [versionText](const QString& link) {
    OpenProductPage(link == QLatin1String("mail"), QStringLiteral("Tolvane ") + versionText);
  });
  texts->addWidget(name);
  texts->addWidget(lbVer);
  texts->addWidget(lbBuild);
  texts->addSpacing(8);
  texts->addWidget(about);
  texts->addSpacing(8);
  texts->addWidget(links);
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(LangQ(260));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
