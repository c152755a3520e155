// SPDX-License-Identifier: MIT
// The description-rules page of the add-disk dialog and of the options: the import check box,
// the check list of rules with up and down buttons beside it, and set all, reset all and the
// rule options button below; and the archive page beside it: the scan-archives check box, the check
// list of archive types, set all and reset all. The pages are built into the dialog's own members.
//
// Threads: GUI thread only.
#pragma once

#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;
class TQDBase;

// The dialog's members the page fills.
struct TDescRulesWidgets {
  QCheckBox*& cbImportDesc;
  QListWidget*& clImpDesc;
  QPushButton*& sbDescOptSet;
  QPushButton*& sbDescOptReset;
  QPushButton*& sbDescOpt;
  QToolButton*& sbUpDesc;
  QToolButton*& sbDownDesc;
};

// What the page's controls call in the dialog.
struct TDescRulesHandlers {
  std::function<void(bool on)> SetAll;  // set all (true) or reset all (false)
  std::function<void(int step)> Move;   // up (-1) or down (1)
  std::function<void()> OpenRule;       // rule options, or a double click on a rule
  std::function<void()> UpdateButtons;  // the current rule or the import box changed
};

// Builds the page (owned by `dialog` once it is added) with its widgets and layout, texted in the
// current language, and connects its controls to `h`. `layout` receives the page's layout, for
// controls a dialog adds below.
QWidget* BuildDescRulesPage(QWidget* dialog, const TDescRulesWidgets& w,
                            const TDescRulesHandlers& h, QVBoxLayout** layout);
// Re-texts the page's controls in the current language.
void SetDescRulesPageTexts(const TDescRulesWidgets& w);
// Enables the page's controls: all with the import box checked, up, down and the rule options only
// with a current rule that can move that way or be opened.
void EnableDescRulesPage(const TDescRulesWidgets& w);
// Fills `list` with the rules of table `rules` (the root's children), checked as they are enabled,
// and makes row `select` (when there is one) current.
void FillDescRulesList(QListWidget* list, const TQDBase& rules, int select);
// Checks (or unchecks) every item of a check list (the rules, the archive types).
void CheckAllItems(QListWidget* list, bool on);

// The dialog's members the archive page fills.
struct TArcTypesWidgets {
  QCheckBox*& cbScanArc;
  QListWidget*& clScanArc;
  QPushButton*& sbArcOptSet;
  QPushButton*& sbArcOptReset;
};
// Builds the archive page like the rules page: set all and reset all check every type or none,
// the scan-archives box calls `scanToggled`.
QWidget* BuildArcTypesPage(QWidget* dialog, const TArcTypesWidgets& w,
                           const std::function<void(bool on)>& scanToggled, QVBoxLayout** layout);
void SetArcTypesPageTexts(const TArcTypesWidgets& w);
// Enables the list and its buttons with the scan-archives box checked.
void EnableArcTypesPage(const TArcTypesWidgets& w);
