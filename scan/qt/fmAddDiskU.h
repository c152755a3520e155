// SPDX-License-Identifier: MIT
// TfmAddDisk: the add-disk and update-disk dialog. The user picks a drive (a mount point) or any
// folder of one, names the disk, picks the catalog or group that receives it and sets the import
// options; OK builds the disk header, runs the scan in TfmScan and hands the scanned disk to the
// main window (TAddDiskHost), which grafts it.
//
// Usage by the main window, which creates the dialog once and keeps it:
//   fmAddDisk = new TfmAddDisk(host, mainWindow);
//   fmAddDisk->ShowAdd();            // ActAddNewDisk: the tree selection preselects the target
//   fmAddDisk->ShowUpdate(diskNode); // ActUpdateDisk: rescans an existing disk of bdMain
// Both run the whole workflow modally and return when the dialog has closed.
//
// Threads: GUI thread only. bdMain is not touched while the scan runs (the scanner works on its
// own copy of an updated disk), so the main window may keep painting.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "platform/Volumes.h"
#include "scan/DescImport.h"
#include "store/QDBase.h"

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TAddDiskHost;
class TDestinationCombo;
class TfmScan;
struct TDescRulesWidgets;

class TfmAddDisk : public QDialog {
  Q_OBJECT

 public:
  // `host` must outlive the dialog.
  explicit TfmAddDisk(TAddDiskHost& host, QWidget* parent = nullptr);
  ~TfmAddDisk() override;

  // ActAddNewDisk: adds disks to the catalog or group selected in the tree (the container of a
  // selected disk, folder or file), again and again while "show this window again" is checked.
  void ShowAdd();
  // ActUpdateDisk: rescans `disk` (a disk node of bdMain) in place.
  void ShowUpdate(TNodeRec* disk);

  // ---- test entry points: the steps of ShowAdd / ShowUpdate without the modal loop ----
  enum class TOkResult { Refused, Cancelled, Done };
  // The opening steps of a user opening (drive and destination lists rebuilt), without exec().
  void OpenAdd();
  void OpenUpdate(TNodeRec* disk);
  // What the folder button does after the folder browser: selects the drive (mount) holding
  // `path`, with selective scanning of `path` when it lies below the mount point. False (with
  // message 10507) when the folder cannot be read.
  bool ChooseFolder(const std::string& path);
  // Selects entry `index` of the destination list.
  void SetDestinationIndex(int index);
  TDestinationCombo& Destinations() const { return *cbDst; }
  // OK: checks the choice, scans, grafts, asks for the description and saves as set. The
  // dialog is hidden afterwards. Refused when the choice is incomplete (nothing scanned).
  TOkResult RunOk();
  // The progress window (set SetPauseAtStart on it to cancel a scan before it begins).
  TfmScan& ScanWindow() const { return *fmScan_; }
  QLineEdit* NameEdit() const { return edName; }

 private:
  struct TDrive {
    TVolume Volume;
    QToolButton* Button = nullptr;
  };
  enum class TMode { Add, Update };

  // ---- building ----
  void CreateControls();
  QWidget* CreateGeneralPage();
  QWidget* CreateUpdatePage();
  QWidget* CreateArchivePage();
  QWidget* CreateDescriptionPage();
  void RebuildDriveButtons();
  int AddDriveButton(const TVolume& volume);
  // ---- opening and closing ----
  void OpenDialog(TMode mode, TNodeRec* target, bool byUser);
  void CloseDialog();
  void RunModal();
  // ---- drives ----
  void DriveClicked(int index, bool down);
  void DriveMenu(int index, const QPoint& pos);
  void PressDrive(int index);
  void ReleaseDrives();
  TDrive* DownDrive();
  // Why the state of the drive choice is looked at again.
  enum class TDriveChange {
    Other,         // anything else: the dialog opened, the destination or scan folder changed, OK
    DriveClicked,  // a drive button was pressed or released by the user
    NameChanged,   // the disk name was edited
  };
  void DriveState(TDriveChange cause);
  std::string ScanPath();  // the mount point, or the selected folder of it
  void SetNameQuietly(const QString& name);
  // ---- selective scanning ----
  void cbScanFolderClick(bool checked);
  void sbScanFolderClick();
  void sbPickFolderClick();
  void FollowScanFolder();
  // ---- the check lists ----
  void FillArchiveList();
  void FillRuleList(int select);
  void clImpDescChanged();
  void MoveRule(int delta);
  void sbDescOptClick();
  void UpdateListButtons();
  TDescRulesWidgets DescRulesWidgets();
  // ---- OK ----
  void bkOkClick();
  bool CheckOk();
  TOkResult ScanAndGraft();
  TUpdateDescMode UpdateDescChoice() const;
  void RememberSettings();

  TAddDiskHost& host_;
  TfmScan* fmScan_;  // child of the dialog

  // Dialog state.
  TMode DiskDialogMode = TMode::Add;
  TNodeRec* UpdateTarget = nullptr;
  bool NameTyped = false;
  TQDBase bdDisk;     // the disk being built: its root is the disk node
  TQDBase bdDescOpt;  // working copy of the description rule table (bdOpt root slot 13)
  std::vector<TDrive> drives_;
  bool nameQuiet_ = false;  // a change of edName made by the dialog itself: no refresh
  bool filling_ = false;    // the check lists are being filled: no write-back

  // Controls.
  QTabWidget* pcPages_;
  QWidget* tsGeneral;
  QWidget* tsUpdate;
  QWidget* tsArc;
  QWidget* tsDescImport;
  QGroupBox* gbDrives_;
  QGridLayout* driveGrid_;
  QPushButton* sbPickFolder_;
  QLabel* lbState;
  QLabel* lbDiskName;
  QLineEdit* edName;
  QLabel* lbDstCap;
  TDestinationCombo* cbDst;
  QCheckBox* cbScanFolder;
  QLineEdit* edScanFolder;
  QToolButton* sbScanFolder;
  QCheckBox* cbEject;
  QCheckBox* cbSaveAfterScan;
  QCheckBox* cbRedisplay;
  QCheckBox* cbAskForDesc;
  QCheckBox* cbSaveGen;
  QRadioButton* rbUpdDesc1;
  QRadioButton* rbUpdDesc2;
  QRadioButton* rbUpdDesc3;
  QCheckBox* cbUpdDescDef;
  QCheckBox* cbScanArc;
  QListWidget* clScanArc;
  QPushButton* sbArcOptSet;
  QPushButton* sbArcOptReset;
  QCheckBox* cbSaveArc;
  QCheckBox* cbImportDesc;
  QListWidget* clImpDesc;
  QPushButton* sbDescOptSet;
  QPushButton* sbDescOptReset;
  QToolButton* sbUpDesc;
  QToolButton* sbDownDesc;
  QPushButton* sbDescOpt;
  QCheckBox* cbSaveDesc;
  QPushButton* bkOk;
  QPushButton* bkCancel;
};
