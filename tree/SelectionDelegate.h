#pragma once

#include <QStyledItemDelegate>

class CMultiTreeView;

// Draws the tree's items with the view's own selected mark: the palette's highlight while the view
// has the focus, its inactive variant without. The item's own font (the bold active note) shows.
class CSelectionDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit CSelectionDelegate(CMultiTreeView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The icon and the label's text of the item laid out in `option.rect` (the item's cell), as
    // paint draws them: the part of the row a click or the band must touch.
    [[nodiscard]] QRect LabelRect(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const;

private:
    CMultiTreeView* m_view;
};
