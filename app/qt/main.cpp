// SPDX-License-Identifier: MIT
// The program: one instance per user (a later start hands its catalogs to the running one); the
// English language table must be present; then the main window, which opens the catalogs named on
// the command line or the start-up catalogs.
#include <QMessageBox>
#include <clocale>
#include <cstdlib>

#include "app/Language.h"
#include "app/qt/AppStores.h"
#include "app/qt/Application.h"
#include "app/qt/ProgramPlaces.h"
#include "app/qt/SingleInstance.h"
#include "mainwin/qt/fmVrtU.h"
#include "platform/TimeZone.h"

int main(int argc, char** argv) {
  // The user's locale, with UTF-8 text functions: archive names and code-page conversions
  // depend on it.
  std::setlocale(LC_ALL, "");
  if (MB_CUR_MAX == 1) std::setlocale(LC_CTYPE, "C.UTF-8");
  PinLocalTimeZone();

  TApplication app(argc, argv);
  TApplication::setApplicationName(QStringLiteral("Tolvane"));
  TApplication::setOrganizationName(QStringLiteral("Tolvane"));
  TApplication::setDesktopFileName(QStringLiteral("tolvane"));

  // A second start hands its files to the running instance, which opens them and shows itself.
  QStringList files = TApplication::arguments();
  files.removeFirst();
  TSingleInstance instance;
  if (!instance.TryBecomePrimary(files)) return 0;

  const TProgramPlaces& places = ProgramPlaces();
  TLangTable& english = LangTable(TLangKind::English);
  if (!english.LoadFromFile(places.DataFolder + "Language/English.lng") || !english.Loaded()) {
    QMessageBox::critical(nullptr, QStringLiteral("Tolvane"),
                          QStringLiteral("Fatal error: cannot load \"English.lng\". Please "
                                         "reinstall the program."));
    return 1;
  }

  TVrtPlaces vrt;
  vrt.SettingsFolder = places.ProgramFolder;
  vrt.LanguageFolder = places.DataFolder + "Language/";
  if (!files.isEmpty()) vrt.CommandLineFile = files.takeFirst().toStdString();

  // The stores outlive the main window and every window it opens.
  TAppStores stores;
  TfmVrt fmVrt(stores, vrt);
  app.SetMainWindow(&fmVrt);
  fmVrt.ListenForRestore(instance);
  fmVrt.show();
  // A file manager may pass several catalogs: the first is the start-up one, the rest follow.
  if (!files.isEmpty()) fmVrt.OpenRequestedFiles(files);
  return app.exec();
}
