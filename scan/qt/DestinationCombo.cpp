// SPDX-License-Identifier: MIT
#include "scan/qt/DestinationCombo.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"

namespace {

constexpr int kIndentPx = 16;
constexpr int kLevelRole = Qt::UserRole + 1;

// Draws an entry of the drop-down list indented by its level.
class TIndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o(option);
    o.rect.adjust(kIndentPx * index.data(kLevelRole).toInt(), 0, 0, 0);
    QStyledItemDelegate::paint(painter, o, index);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.rwidth() += kIndentPx * index.data(kLevelRole).toInt();
    return s;
  }
};

}  // namespace

std::vector<TDestination> ListDestinations(const TNodeRec* root, int maxKind) {
  std::vector<TDestination> list;
  if (!root) return list;
  // (container, next slot, level of its items); iterative, so any nesting is safe.
  std::vector<std::pair<const TNodeRec*, int>> stack;
  auto add = [&](TNodeRec* node, int level) {
    int kind = ItemKind(ItemFlagsOf(node));
    list.push_back({std::string(ItemName(node)), kind, level, node, TreeImageIndex(node)});
    if (kind < ikDisk) stack.push_back({node, 1});  // disks hold no groups
  };
  for (int slot = 1; slot < root->SlotCount; ++slot)
    if (TNodeRec* catalog = NodeChild(root, slot); catalog && IsContainer(catalog)) {
      add(catalog, 0);
      while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next >= node->SlotCount) {
          stack.pop_back();
          continue;
        }
        TNodeRec* item = NodeChild(node, next++);
        int kind = item && IsContainer(item) ? ItemKind(ItemFlagsOf(item)) : 0;
        if (kind >= ikGroup && kind <= maxKind) add(item, static_cast<int>(stack.size()));
      }
    }
  return list;
}

TDestinationCombo::TDestinationCombo(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new TIndentDelegate(this));
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(24);
}

void TDestinationCombo::Fill(const TNodeRec* root) { SetEntries(ListDestinations(root)); }

void TDestinationCombo::SetEntries(std::vector<TDestination> entries) {
  clear();
  entries_ = std::move(entries);
  for (const TDestination& d : entries_) {
    if (d.Image >= 0)
      addItem(TreeIcon(d.Image), QStr(d.Name));
    else
      addItem(QStr(d.Name));
    setItemData(count() - 1, d.Level, kLevelRole);
  }
  setCurrentIndex(-1);
}

TNodeRec* TDestinationCombo::CurrentNode() const {
  int i = currentIndex();
  return i >= 0 && i < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(i)].Node
                                                         : nullptr;
}

void TDestinationCombo::SelectNode(const TNodeRec* node) {
  for (const TNodeRec* n = node; n; n = n->Parent)
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].Node == n) {
        setCurrentIndex(static_cast<int>(i));
        return;
      }
  setCurrentIndex(entries_.empty() ? -1 : 0);
}
