// SPDX-License-Identifier: MIT
#include "scan/qt/fmAddDiskU.h"

#include <sys/stat.h>

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/Options.h"
#include "app/Settings.h"
#include "app/qt/BusyCursor.h"
#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "platform/Tray.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"
#include "scan/VolumeInfo.h"
#include "scan/qt/AddDiskHost.h"
#include "scan/qt/DescRulesPage.h"
#include "scan/qt/DestinationCombo.h"
#include "scan/qt/fmDescOptU.h"
#include "scan/qt/fmScanU.h"
#include "store/CursorGuard.h"

namespace {

constexpr int kDriveButtonWidth = 76;
constexpr int kDriveButtonHeight = 62;
constexpr int kDrivesPerRow = 8;

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The caption of a drive: its volume label, else the last component of its mount point ("/" for
// the root), else the device node's name (a CD drive without a medium).
QString DriveCaption(const TVolume& v) {
  if (!v.Label.empty()) return QStr(v.Label);
  std::string path = v.Mount.MountPoint.empty() ? v.DeviceNode : v.Mount.MountPoint;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.find_last_of('/');
  if (path == "/" || slash == std::string::npos) return QStr(path);
  return QStr(path.substr(slash + 1));
}

// The drive the tray calls act on: the device node when known, else the mount point.
std::string TrayDrive(const TVolume& v) {
  return v.DeviceNode.empty() ? v.Mount.MountPoint : v.DeviceNode;
}

bool HasTray(const TVolume& v) { return v.DriveType == dtCdRom || v.DriveType == dtRemovable; }

// A sub-folder as catalogs store it ("a\b") to the platform's form ("a/b") and back.
QString SubFolderToPlatform(std::string_view stored) {
  QString s = QStr(stored);
  s.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (s.startsWith(QLatin1Char('/'))) s.remove(0, 1);
  while (s.endsWith(QLatin1Char('/'))) s.chop(1);
  return s;
}

std::string JoinPath(const std::string& mount, const std::string& sub) {
  if (sub.empty()) return mount;
  if (!mount.empty() && mount.back() == '/') return mount + sub;
  return mount + "/" + sub;
}

}  // namespace

TfmAddDisk::TfmAddDisk(TAddDiskHost& host, QWidget* parent)
    : QDialog(parent), host_(host), fmScan_(new TfmScan(this)) {
  CreateControls();
}

TfmAddDisk::~TfmAddDisk() = default;

// ---- building --------------------------------------------------------------------------------

void TfmAddDisk::CreateControls() {
  setWindowTitle(LangQ(10505));
  pcPages_ = new QTabWidget;
  tsGeneral = CreateGeneralPage();
  tsUpdate = CreateUpdatePage();
  tsArc = CreateArchivePage();
  tsDescImport = CreateDescriptionPage();
  pcPages_->addTab(tsGeneral, LangQ(251));
  pcPages_->addTab(tsUpdate, LangQ(266));
  pcPages_->addTab(tsArc, LangQ(268));
  pcPages_->addTab(tsDescImport, LangQ(269));

  TOkCancelRow buttons = MakeOkCancelRow(this, [this] { bkOkClick(); });
  bkOk = buttons.Ok;
  bkCancel = buttons.Cancel;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pcPages_);
  layout->addLayout(buttons.Layout);
  setMinimumWidth(560);  // room for the rule texts and a sub-folder path

  // The controls' names, so that a test (or a style sheet) can find them.
  const std::pair<QObject*, const char*> names[] = {{tsGeneral, "tsGeneral"},
                                                    {tsUpdate, "tsUpdate"},
                                                    {tsArc, "tsArc"},
                                                    {tsDescImport, "tsDescImport"},
                                                    {lbState, "lbState"},
                                                    {edName, "edName"},
                                                    {lbDiskName, "lbDiskName"},
                                                    {cbDst, "cbDst"},
                                                    {lbDstCap, "lbDstCap"},
                                                    {cbScanFolder, "cbScanFolder"},
                                                    {edScanFolder, "edScanFolder"},
                                                    {sbScanFolder, "sbScanFolder"},
                                                    {cbEject, "cbEject"},
                                                    {cbSaveAfterScan, "cbSaveAfterScan"},
                                                    {cbRedisplay, "cbRedisplay"},
                                                    {cbAskForDesc, "cbAskForDesc"},
                                                    {cbSaveGen, "cbSaveGen"},
                                                    {rbUpdDesc1, "rbUpdDesc1"},
                                                    {rbUpdDesc2, "rbUpdDesc2"},
                                                    {rbUpdDesc3, "rbUpdDesc3"},
                                                    {cbUpdDescDef, "cbUpdDescDef"},
                                                    {cbScanArc, "cbScanArc"},
                                                    {clScanArc, "clScanArc"},
                                                    {sbArcOptSet, "sbArcOptSet"},
                                                    {sbArcOptReset, "sbArcOptReset"},
                                                    {cbSaveArc, "cbSaveArc"},
                                                    {cbImportDesc, "cbImportDesc"},
                                                    {clImpDesc, "clImpDesc"},
                                                    {sbDescOptSet, "sbDescOptSet"},
                                                    {sbDescOptReset, "sbDescOptReset"},
                                                    {sbUpDesc, "sbUpDesc"},
                                                    {sbDownDesc, "sbDownDesc"},
                                                    {sbDescOpt, "sbDescOpt"},
                                                    {cbSaveDesc, "cbSaveDesc"},
                                                    {bkOk, "bkOk"},
                                                    {bkCancel, "bkCancel"}};
  for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));
}

QWidget* TfmAddDisk::CreateGeneralPage() {
  auto* page = new QWidget;
  gbDrives_ = new QGroupBox(LangQ(275));
  auto* drivesLayout = new QVBoxLayout(gbDrives_);
  driveGrid_ = new QGridLayout;
  driveGrid_->setSpacing(4);
  drivesLayout->addLayout(driveGrid_);
  sbPickFolder_ = new QPushButton(style()->standardIcon(QStyle::SP_DirOpenIcon), LangQ(280));
  sbPickFolder_->setAutoDefault(false);
  connect(sbPickFolder_, &QPushButton::clicked, this, &TfmAddDisk::sbPickFolderClick);
  auto* pickRow = new QHBoxLayout;
  pickRow->addWidget(sbPickFolder_);
  pickRow->addStretch(1);
  drivesLayout->addLayout(pickRow);

  lbState = new QLabel;
  lbState->setWordWrap(true);
  lbState->setTextFormat(Qt::PlainText);

  edName = new QLineEdit;
  lbDiskName = new QLabel(LangQ(252));
  lbDiskName->setBuddy(edName);
  connect(edName, &QLineEdit::textChanged, this, [this] {
    NameTyped = true;
    if (!nameQuiet_) DriveState(TDriveChange::NameChanged);
  });
  cbDst = new TDestinationCombo;
  lbDstCap = new QLabel(LangQ(253));
  lbDstCap->setBuddy(cbDst);
  connect(cbDst, qOverload<int>(&QComboBox::activated), this,
          [this] { DriveState(TDriveChange::Other); });

  cbScanFolder = new QCheckBox(LangQ(254));
  edScanFolder = new QLineEdit;
  edScanFolder->setReadOnly(true);
  sbScanFolder = new QToolButton;
  sbScanFolder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  sbScanFolder->setToolTip(PlainCaption(LangQ(270)));
  connect(cbScanFolder, &QCheckBox::clicked, this, &TfmAddDisk::cbScanFolderClick);
  connect(sbScanFolder, &QToolButton::clicked, this, &TfmAddDisk::sbScanFolderClick);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(edScanFolder, 1);
  folderRow->addWidget(sbScanFolder);

  auto* form = new QFormLayout;
  form->addRow(lbDiskName, edName);
  form->addRow(lbDstCap, cbDst);
  form->addRow(cbScanFolder);
  form->addRow(folderRow);

  cbEject = new QCheckBox(LangQ(255));
  cbSaveAfterScan = new QCheckBox(LangQ(256));
  cbRedisplay = new QCheckBox(LangQ(257));
  cbAskForDesc = new QCheckBox(LangQ(258));
  cbSaveGen = new QCheckBox(LangQ(259));

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(gbDrives_);
  layout->addWidget(lbState);
  layout->addLayout(form);
  for (QCheckBox* box : {cbEject, cbSaveAfterScan, cbRedisplay, cbAskForDesc})
    layout->addWidget(box);
  layout->addSpacing(6);
  layout->addWidget(cbSaveGen);
  layout->addStretch(1);
  return page;
}

QWidget* TfmAddDisk::CreateUpdatePage() {
  auto* page = new QWidget;
  auto* group = new QGroupBox(LangQ(262));
  rbUpdDesc1 = new QRadioButton(LangQ(263));
  rbUpdDesc2 = new QRadioButton(LangQ(264));
  rbUpdDesc3 = new QRadioButton(LangQ(265));
  auto* g = new QVBoxLayout(group);
  for (QRadioButton* rb : {rbUpdDesc1, rbUpdDesc2, rbUpdDesc3}) g->addWidget(rb);
  rbUpdDesc1->setChecked(true);
  cbUpdDescDef = new QCheckBox(LangQ(267));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addWidget(cbUpdDescDef);
  layout->addStretch(1);
  return page;
}

QWidget* TfmAddDisk::CreateArchivePage() {
  QVBoxLayout* layout = nullptr;
  QWidget* page = BuildArcTypesPage(
      this, {cbScanArc, clScanArc, sbArcOptSet, sbArcOptReset},
      [this](bool) {
        EnableArcTypesPage({cbScanArc, clScanArc, sbArcOptSet, sbArcOptReset});
      },
      &layout);
  cbSaveArc = new QCheckBox(LangQ(259));
  layout->addWidget(cbSaveArc);
  return page;
}

TDescRulesWidgets TfmAddDisk::DescRulesWidgets() {
  return {cbImportDesc, clImpDesc, sbDescOptSet, sbDescOptReset, sbDescOpt, sbUpDesc, sbDownDesc};
}

QWidget* TfmAddDisk::CreateDescriptionPage() {
  TDescRulesHandlers h;
  h.SetAll = [this](bool on) {
    filling_ = true;
    CheckAllItems(clImpDesc, on);
    filling_ = false;
    clImpDescChanged();
  };
  h.Move = [this](int step) { MoveRule(step); };
  h.OpenRule = [this] { sbDescOptClick(); };
  h.UpdateButtons = [this] { UpdateListButtons(); };
  QVBoxLayout* layout = nullptr;
  QWidget* page = BuildDescRulesPage(this, DescRulesWidgets(), h, &layout);
  connect(clImpDesc, &QListWidget::itemChanged, this, [this] {
    if (!filling_) clImpDescChanged();
  });
  cbSaveDesc = new QCheckBox(LangQ(259));
  layout->addWidget(cbSaveDesc);
  return page;
}

int TfmAddDisk::AddDriveButton(const TVolume& volume) {
  const int index = static_cast<int>(drives_.size());
  auto* b = new QToolButton;
  b->setObjectName(QStringLiteral("sb_Drive_%1").arg(index));
  b->setCheckable(true);
  b->setAutoRaise(false);
  b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  b->setIcon(DriveIcon(volume.DriveType));
  b->setIconSize(QSize(32, 32));
  b->setFixedSize(kDriveButtonWidth, kDriveButtonHeight);
  const QString caption = DriveCaption(volume);
  b->setText(b->fontMetrics().elidedText(caption, Qt::ElideMiddle, kDriveButtonWidth - 8));
  const std::string& where =
      volume.Mount.MountPoint.empty() ? volume.DeviceNode : volume.Mount.MountPoint;
  b->setToolTip(volume.Label.empty() ? QStr(where) : QStr(where) + QStringLiteral("\n") + caption);
  b->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(b, &QToolButton::clicked, this, [this, index](bool down) { DriveClicked(index, down); });
  connect(b, &QToolButton::customContextMenuRequested, this,
          [this, index](const QPoint& pos) { DriveMenu(index, pos); });
  driveGrid_->addWidget(b, index / kDrivesPerRow, index % kDrivesPerRow);
  drives_.push_back({volume, b});
  return index;
}

void TfmAddDisk::RebuildDriveButtons() {
  for (TDrive& d : drives_) delete d.Button;
  drives_.clear();
  for (const TVolume& v : ListDrives()) AddDriveButton(v);
  // Keep the buttons packed to the left.
  driveGrid_->setColumnStretch(kDrivesPerRow, 1);
}

// ---- opening and closing -----------------------------------------------------------------------

void TfmAddDisk::OpenAdd() { OpenDialog(TMode::Add, nullptr, true); }

void TfmAddDisk::OpenUpdate(TNodeRec* disk) { OpenDialog(TMode::Update, disk, true); }

void TfmAddDisk::OpenDialog(TMode mode, TNodeRec* target, bool byUser) {
  TSettings& settings = host_.Settings();
  TQDBase& bdOpt = settings.bdOpt;
  const TOptions& o = settings.Options;
  DiskDialogMode = mode;
  UpdateTarget = mode == TMode::Update ? target : nullptr;
  const bool add = mode == TMode::Add;

  // 1. The working copy of the rule table; captions; what each mode shows.
  {
    TCursorBack back(bdOpt);
    bdDescOpt.Clear();
    bdDescOpt.GoToDepth(0);
    if (TNodeRec* table = NodeChild(bdOpt.RootNode(), kOptDescRules)) {
      bdOpt.GoToNode(table);
      bdDescOpt.AppendFrom(bdOpt);
    }
  }
  setWindowTitle(LangQ(add ? 10505 : 10506));
  cbDst->setEnabled(add);
  lbDstCap->setEnabled(add);
  pcPages_->setTabVisible(pcPages_->indexOf(tsUpdate), !add);
  cbRedisplay->setVisible(add);

  // 2. Name and selective folder.
  cbScanFolder->blockSignals(true);
  if (add) {
    SetNameQuietly(QString());
    edScanFolder->clear();
    cbScanFolder->setChecked(false);
  } else {
    SetNameQuietly(QStr(ItemName(target)));
    edScanFolder->setText(SubFolderToPlatform(FieldStr(FieldNode(target), kDiskSubFolder)));
    cbScanFolder->setChecked(!edScanFolder->text().isEmpty());
  }
  cbScanFolder->blockSignals(false);
  NameTyped = !add;  // the dialog's own change of the name counts as typed

  // 3. The remember boxes are off each time; the first page is active.
  for (QCheckBox* box : {cbSaveGen, cbSaveDesc, cbSaveArc, cbUpdDescDef}) box->setChecked(false);
  pcPages_->setCurrentWidget(tsGeneral);

  // 4. Lists and switches from the settings (only when the user opens the dialog).
  if (byUser) {
    RebuildDriveButtons();
    cbDst->Fill(host_.MainStore().RootNode());
    cbDst->SelectNode(add ? host_.SelectedTreeNode() : nullptr);
    cbSaveAfterScan->setChecked(o.SaveAfterScan);
    cbEject->setChecked(o.EjectAfterScan);
    cbRedisplay->setChecked(o.RedisplayAfterScan);
    cbAskForDesc->setChecked(o.AskDiskDescription);
    switch (UpdateDescModeFromSetting(o.UpdateDescMode)) {
      case TUpdateDescMode::Keep:
        rbUpdDesc1->setChecked(true);
        break;
      case TUpdateDescMode::Replace:
        rbUpdDesc2->setChecked(true);
        break;
      case TUpdateDescMode::DeleteAll:
        rbUpdDesc3->setChecked(true);
        break;
    }
    cbScanArc->setChecked(o.ScanArchives);
    FillArchiveList();
    cbImportDesc->setChecked(o.ImportDescriptions);
  } else {
    ReleaseDrives();
  }
  // The rule list always shows the fresh working copy.
  FillRuleList(0);
  for (QWidget* w : std::initializer_list<QWidget*>{clScanArc, sbArcOptSet, sbArcOptReset})
    w->setEnabled(cbScanArc->isChecked());

  // 5. The state of the drive choice.
  DriveState(TDriveChange::Other);
}

void TfmAddDisk::CloseDialog() {
  bdDisk.Clear();
  host_.RefreshViews();
  if (QWidget* main = host_.MainWindow()) {
    main->raise();
    main->activateWindow();
  }
}

void TfmAddDisk::RunModal() {
  for (;;) {
    if (exec() != QDialog::Accepted) break;
    const TOkResult result = ScanAndGraft();
    if (result == TOkResult::Done && DiskDialogMode == TMode::Add && cbRedisplay->isChecked()) {
      // The next medium: same destination and switches, the drive released.
      OpenDialog(TMode::Add, nullptr, false);
      continue;
    }
    break;
  }
  CloseDialog();
}

void TfmAddDisk::ShowAdd() {
  OpenAdd();
  RunModal();
}

void TfmAddDisk::ShowUpdate(TNodeRec* disk) {
  if (!disk || ItemKind(ItemFlagsOf(disk)) != ikDisk) return;
  OpenUpdate(disk);
  RunModal();
}

// ---- drives ----------------------------------------------------------------------------------

TfmAddDisk::TDrive* TfmAddDisk::DownDrive() {
  for (TDrive& d : drives_)
    if (d.Button->isChecked()) return &d;
  return nullptr;
}

void TfmAddDisk::ReleaseDrives() {
  for (TDrive& d : drives_) d.Button->setChecked(false);
}

void TfmAddDisk::PressDrive(int index) {
  drives_[static_cast<size_t>(index)].Button->setChecked(true);
  DriveClicked(index, true);
}

void TfmAddDisk::DriveClicked(int index, bool down) {
  // One group where all may be up: pressing a button releases the others.
  if (down)
    for (size_t i = 0; i < drives_.size(); ++i)
      if (static_cast<int>(i) != index) drives_[i].Button->setChecked(false);
  const TVolume& v = drives_[static_cast<size_t>(index)].Volume;
  // An empty CD drive may have its tray open: close it before reading the medium. A mounted
  // medium lies in a closed drive already.
  if (down && v.Mount.MountPoint.empty() && HasTray(v)) SetDriveDoor(TrayDrive(v), true);
  DriveState(TDriveChange::DriveClicked);
  if (DownDrive() && pcPages_->currentWidget() == tsGeneral) {
    edName->setFocus();
    edName->selectAll();
  }
}

void TfmAddDisk::DriveMenu(int index, const QPoint& pos) {
  const TDrive& d = drives_[static_cast<size_t>(index)];
  const TVolume v = d.Volume;
  QMenu menu(this);
  QAction* open = menu.addAction(PlainCaption(LangQ(277)));
  open->setEnabled(!v.Mount.MountPoint.empty());
  QAction* eject = nullptr;
  QAction* close = nullptr;
  if (HasTray(v)) {
    menu.addSeparator();
    eject = menu.addAction(PlainCaption(LangQ(10510)));
    close = menu.addAction(PlainCaption(LangQ(10511)));
  }
  QAction* chosen = menu.exec(d.Button->mapToGlobal(pos));
  if (!chosen) return;
  if (chosen == open)
    QDesktopServices::openUrl(QUrl::fromLocalFile(QStr(v.Mount.MountPoint)));
  else if (chosen == eject || chosen == close)
    SetDriveDoor(TrayDrive(v), chosen == close);  // failures are silent
}

void TfmAddDisk::SetNameQuietly(const QString& name) {
  nameQuiet_ = true;
  edName->setText(name);
  nameQuiet_ = false;
}

std::string TfmAddDisk::ScanPath() {
  TDrive* d = DownDrive();
  if (!d) return std::string();
  const std::string sub = cbScanFolder->isChecked() ? StdStr(edScanFolder->text()) : std::string();
  return JoinPath(d->Volume.Mount.MountPoint, sub);
}

void TfmAddDisk::DriveState(TDriveChange cause) {
  // 1. No destination: nothing can be added.
  if (!cbDst->CurrentNode() && DiskDialogMode == TMode::Add) {
    bkOk->setEnabled(false);
    return;
  }
  TDrive* d = DownDrive();
  // 2. A change of the name only decides the OK button.
  if (cause == TDriveChange::NameChanged) {
    bkOk->setEnabled(d && !edName->text().isEmpty());
    return;
  }
  // 3. No drive chosen.
  if (!d) {
    lbState->setText(LangQ(10501));
    bkOk->setEnabled(false);
    cbScanFolder->setEnabled(false);
    FollowScanFolder();
    bdDisk.Clear();
    return;
  }
  // 4. The drive cannot be read: say so and release it.
  const TVolume& v = d->Volume;
  TVolumeInfo info;
  if (v.Mount.MountPoint.empty())
    info.ErrorCode = ENOENT;  // a CD drive without a medium
  else
    info = ReadVolumeInfo(v.Mount.MountPoint);
  if (info.ErrorCode != 0) {
    ShowMessageQ(this, LangFormatQ(10502, StdStr(DriveCaption(v))), TPromptKind::Warning);
    if (!NameTyped) SetNameQuietly(QString());
    d->Button->setChecked(false);
    DriveState(TDriveChange::Other);
    return;
  }
  // 5. A readable volume: propose its label as the name, build the header.
  const QString where = QStr(v.Mount.MountPoint);
  lbState->setText(LangFormatQ(
      10503, StdStr(info.Label.empty()
                        ? where
                        : where + QStringLiteral("  [") + QStr(info.Label) + QStringLiteral("]"))));
  if (cause == TDriveChange::DriveClicked && (edName->text().isEmpty() || !NameTyped)) {
    if (DiskDialogMode == TMode::Add) edName->setText(QStr(info.Label));
    if (info.Label.empty()) edName->setText(LangFormatQ(10504, StdStr(DriveCaption(v))));
    NameTyped = false;
  }
  std::string path = ScanPath();
  if (!IsFolder(path)) path = v.Mount.MountPoint;  // a missing sub-folder is refused at OK
  const int rc = PrepareDiskHeader(bdDisk, path, StdStr(edName->text()));
  if (rc != 0) {
    ShowMessageQ(this, QString::fromLocal8Bit(std::strerror(rc)), TPromptKind::Warning);
    d->Button->setChecked(false);
    DriveState(TDriveChange::Other);
    return;
  }
  // 6. Ready.
  bkOk->setEnabled(!edName->text().isEmpty());
  cbScanFolder->setEnabled(true);
  FollowScanFolder();
}

// ---- selective scanning ----------------------------------------------------------------------

void TfmAddDisk::FollowScanFolder() {
  const bool on = cbScanFolder->isEnabled() && cbScanFolder->isChecked();
  edScanFolder->setEnabled(on);
  sbScanFolder->setEnabled(on);
}

void TfmAddDisk::cbScanFolderClick(bool checked) {
  FollowScanFolder();
  if (checked && edScanFolder->text().isEmpty()) sbScanFolderClick();
}

void TfmAddDisk::sbScanFolderClick() {
  TDrive* d = DownDrive();
  if (!d) return;
  const std::string mount = d->Volume.Mount.MountPoint;
  std::string start = JoinPath(mount, StdStr(edScanFolder->text()));
  if (!IsFolder(start)) start = mount;
  const QString chosen = QFileDialog::getExistingDirectory(this, LangQ(10508), QStr(start));
  if (chosen.isEmpty()) return;
  const TVolumeInfo info = ReadVolumeInfo(StdStr(chosen));
  // Only a folder of the chosen volume can be scanned as part of it.
  if (info.ErrorCode != 0 || info.MountPoint != mount) {
    ShowMessageQ(this, LangFormatQ(10507, StdStr(chosen)), TPromptKind::Warning);
    return;
  }
  edScanFolder->setText(SubFolderToPlatform(info.SubFolder));
  DriveState(TDriveChange::Other);
}

void TfmAddDisk::sbPickFolderClick() {
  TDrive* d = DownDrive();
  const QString start = d ? QStr(ScanPath()) : QDir::homePath();
  const QString chosen = QFileDialog::getExistingDirectory(this, LangQ(10508), start);
  if (!chosen.isEmpty()) ChooseFolder(StdStr(chosen));
}

bool TfmAddDisk::ChooseFolder(const std::string& path) {
  const TVolumeInfo info = ReadVolumeInfo(path);
  if (info.ErrorCode != 0 || info.MountPoint.empty()) {
    ShowMessageQ(this, LangFormatQ(10507, path), TPromptKind::Warning);
    return false;
  }
  int index = -1;
  for (size_t i = 0; i < drives_.size(); ++i)
    if (drives_[i].Volume.Mount.MountPoint == info.MountPoint) index = static_cast<int>(i);
  if (index < 0) {
    // A volume the list leaves out (a system tmpfs, say): it gets a button of its own.
    TVolume v;
    v.Mount.MountPoint = info.MountPoint;
    v.DriveType = info.DriveType;
    v.Label = info.Label;
    v.SerialText = info.SerialText;
    index = AddDriveButton(v);
  }
  edScanFolder->setText(SubFolderToPlatform(info.SubFolder));
  cbScanFolder->blockSignals(true);
  cbScanFolder->setChecked(!info.SubFolder.empty());
  cbScanFolder->blockSignals(false);
  PressDrive(index);
  // A folder scanned on its own is proposed under the folder's name rather than its volume's.
  if (DownDrive() && DiskDialogMode == TMode::Add && !info.SubFolder.empty() && !NameTyped) {
    std::filesystem::path folder = std::filesystem::path(path).lexically_normal();
    if (folder.filename().empty()) folder = folder.parent_path();
    if (!folder.filename().empty()) {
      SetNameQuietly(QString::fromStdString(folder.filename().string()));
      NameTyped = false;
      bkOk->setEnabled(true);
    }
  }
  return DownDrive() != nullptr;
}

void TfmAddDisk::SetDestinationIndex(int index) {
  cbDst->setCurrentIndex(index);
  DriveState(TDriveChange::Other);
}

// ---- the check lists ---------------------------------------------------------------------------

void TfmAddDisk::FillArchiveList() {
  clScanArc->clear();
  for (const TArchiveTypeRow& row : ReadArchiveTypes(host_.Settings().bdOpt)) {
    std::string text = row.Name;
    // The name with its masks, as the rule lists show them.
    if (!row.Masks.empty()) {
      text += " (";
      for (size_t i = 0; i < row.Masks.size(); ++i) {
        if (i) text += ", ";
        text += row.Masks[i].Text();
      }
      text += ")";
    }
    auto* item = new QListWidgetItem(QStr(text), clScanArc);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(row.Enabled ? Qt::Checked : Qt::Unchecked);
  }
}

void TfmAddDisk::FillRuleList(int select) {
  filling_ = true;
  FillDescRulesList(clImpDesc, bdDescOpt, select);
  filling_ = false;
  UpdateListButtons();
}

void TfmAddDisk::clImpDescChanged() {
  // Every check mark is written, so the list and the table never disagree.
  TCursorBack back(bdDescOpt);
  for (int i = 0; i < clImpDesc->count(); ++i) {
    bdDescOpt.GoToDepth(0);
    if (!NodeChild(bdDescOpt.RootNode(), i + 1)) continue;
    bdDescOpt.EnterChild(i + 1);
    bdDescOpt.SetInt(rsEnabled, clImpDesc->item(i)->checkState() == Qt::Checked ? 1 : 0);
  }
  bdDescOpt.GoToDepth(0);
}

void TfmAddDisk::MoveRule(int delta) {
  const int row = clImpDesc->currentRow();
  const int to = row + delta;
  if (row < 0 || to < 0 || to >= clImpDesc->count()) return;
  bdDescOpt.GoToDepth(0);
  bdDescOpt.ExchangeSlots(row + 1, to + 1);  // the order of the rules is their priority
  FillRuleList(to);
}

void TfmAddDisk::sbDescOptClick() {
  const int row = clImpDesc->currentRow();
  const TNodeRec* rule = NodeChild(bdDescOpt.RootNode(), row + 1);
  if (row < 0 || !rule || !clImpDesc->isEnabled()) return;
  TfmDescOpt dialog(bdDescOpt, RuleSlotInt(rule, rsReader), this);
  dialog.exec();
  bdDescOpt.GoToDepth(0);
  FillRuleList(row);
}

void TfmAddDisk::UpdateListButtons() { EnableDescRulesPage(DescRulesWidgets()); }

// ---- OK ----------------------------------------------------------------------------------------

void TfmAddDisk::bkOkClick() {
  if (CheckOk()) accept();
}

bool TfmAddDisk::CheckOk() {
  DriveState(TDriveChange::Other);
  TDrive* d = DownDrive();
  if (!d || !bkOk->isEnabled()) return false;
  if (cbScanFolder->isChecked() && !edScanFolder->text().isEmpty() && !IsFolder(ScanPath())) {
    ShowMessageQ(this, LangFormatQ(10507, ScanPath()), TPromptKind::Warning);
    return false;
  }
  return DiskDialogMode == TMode::Update ? UpdateTarget != nullptr
                                         : cbDst->CurrentNode() != nullptr;
}

TfmAddDisk::TOkResult TfmAddDisk::RunOk() {
  if (!CheckOk()) return TOkResult::Refused;
  return ScanAndGraft();
}

TUpdateDescMode TfmAddDisk::UpdateDescChoice() const {
  return rbUpdDesc3->isChecked()   ? TUpdateDescMode::DeleteAll
         : rbUpdDesc2->isChecked() ? TUpdateDescMode::Replace
                                   : TUpdateDescMode::Keep;
}

TfmAddDisk::TOkResult TfmAddDisk::ScanAndGraft() {
  TDrive* d = DownDrive();
  if (!d) return TOkResult::Refused;
  const TVolume volume = d->Volume;
  const bool update = DiskDialogMode == TMode::Update;
  TNodeRec* destination = cbDst->CurrentNode();
  const TUpdateDescMode descMode = UpdateDescChoice();

  // The header as the medium is at this moment, named as typed.
  const std::string path = ScanPath();
  if (int rc = PrepareDiskHeader(bdDisk, path, StdStr(edName->text())); rc != 0) {
    ShowMessageQ(this, QString::fromLocal8Bit(std::strerror(rc)), TPromptKind::Warning);
    return TOkResult::Refused;
  }
  if (update) CarryDiskFields(UpdateTarget, bdDisk, descMode);
  hide();

  int64_t capacity = 0, freeBytes = 0;
  if (VolumeSpace(volume.Mount.MountPoint, capacity, freeBytes) != 0) capacity = freeBytes = 0;
  RememberSettings();

  // The scan's settings: the tables as the pages show them now.
  TScanSettings s = MakeScanSettings(host_.Settings().bdOpt, cbImportDesc->isChecked(),
                                     cbScanArc->isChecked(), update, descMode);
  for (size_t i = 0; i < s.ArchiveTypeOn.size(); ++i) {
    const QListWidgetItem* item = clScanArc->item(static_cast<int>(i));
    s.ArchiveTypeOn[i] = cbScanArc->isChecked() && item && item->checkState() == Qt::Checked;
  }
  s.DescRules = std::make_shared<TQDBase>();
  bdDescOpt.GoToDepth(0);
  s.DescRules->AppendFrom(bdDescOpt);
  fmScan_->SetScanSettings(std::move(s));
  fmScan_->RootPath = path;
  fmScan_->DriveLetter = TrayDrive(volume);
  // The bar runs to the volume's used bytes; for a folder of a volume to the folder's size at the
  // disk's last scan when it is being updated, else it only shows that the scan is busy.
  const bool folderOfVolume = cbScanFolder->isChecked() && !edScanFolder->text().isEmpty();
  fmScan_->UsedBytes = !folderOfVolume          ? capacity - freeBytes
                       : update && UpdateTarget ? ItemSizeOf(UpdateTarget)
                                                : 0;
  fmScan_->SetEjectAfterScan(cbEject->isChecked());

  TQDBase& bdMain = host_.MainStore();
  bool completed = false;
  if (update) {
    TCursorBack back(bdMain);
    bdMain.GoToNode(UpdateTarget);
    completed = fmScan_->RunScan(bdDisk, &bdMain);  // the old disk is copied before the scan
  } else {
    completed = fmScan_->RunScan(bdDisk, nullptr);
  }
  if (!completed) {
    bdDisk.Clear();
    return TOkResult::Cancelled;
  }

  TNodeRec* disk = UpdateTarget;
  {
    TBusyCursor busy;
    if (update)
      host_.ReplaceScannedDisk(UpdateTarget, bdDisk);
    else
      disk = host_.AddScannedDisk(destination, bdDisk);
    bdDisk.Clear();
  }

  if (disk && cbAskForDesc->isChecked()) host_.ShowDiskProperties(disk);
  if (disk && cbSaveAfterScan->isChecked()) host_.SaveCatalogOf(disk);
  return TOkResult::Done;
}

void TfmAddDisk::RememberSettings() {
  TSettings& settings = host_.Settings();
  TQDBase& bdOpt = settings.bdOpt;
  TOptions& o = settings.Options;
  bool changed = false;
  if (cbSaveArc->isChecked()) {
    o.ScanArchives = cbScanArc->isChecked();
    for (int i = 0; i < clScanArc->count(); ++i)
      SetArchiveTypeEnabled(bdOpt, i + 1, clScanArc->item(i)->checkState() == Qt::Checked);
    changed = true;
  }
  if (cbSaveDesc->isChecked()) {
    o.ImportDescriptions = cbImportDesc->isChecked();
    clImpDescChanged();
    TCursorBack back(bdOpt);
    bdOpt.GoToDepth(0);
    EnterOptNode(bdOpt, kOptDescRules);
    while (bdOpt.SlotCount() > 0) bdOpt.DeleteSlot(0);
    bdDescOpt.GoToDepth(0);
    bdOpt.AppendFrom(bdDescOpt);
    changed = true;
  }
  if (cbUpdDescDef->isChecked() && DiskDialogMode == TMode::Update) {
    o.UpdateDescMode = UpdateDescModeSetting(UpdateDescChoice());
    changed = true;
  }
  if (cbSaveGen->isChecked()) {
    o.SaveAfterScan = cbSaveAfterScan->isChecked();
    o.EjectAfterScan = cbEject->isChecked();
    o.RedisplayAfterScan = cbRedisplay->isChecked();
    o.AskDiskDescription = cbAskForDesc->isChecked();
    changed = true;
  }
  if (!changed) return;
  WriteGeneralOptions(bdOpt, o);
  host_.SaveSettings();
}
