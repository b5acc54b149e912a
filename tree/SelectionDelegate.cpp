#include "tree/SelectionDelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <cmath>

#include "tree/MultiTreeView.h"

CSelectionDelegate::CSelectionDelegate(CMultiTreeView* view)
    : QStyledItemDelegate(view), m_view(view) {}

void CSelectionDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // Qt's selection is off; the mark is the view's. Without the focus the style takes the
    // inactive colour group, so the selection looks different in a pane that is not in use.
    opt.state &= ~QStyle::State_Selected;
    if (m_view->IsIndexSelected(index)) opt.state |= QStyle::State_Selected;
    if (m_view->hasFocus())
        opt.state |= QStyle::State_Active;
    else
        opt.state &= ~QStyle::State_Active;
    opt.palette.setCurrentColorGroup(m_view->hasFocus() ? QPalette::Active : QPalette::Inactive);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
}

QRect CSelectionDelegate::LabelRect(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect label;
    if (opt.features & QStyleOptionViewItem::HasDecoration)
        label = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, widget);
    if (opt.features & QStyleOptionViewItem::HasDisplay) {
        const QRect textCell = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        // Advances are fractional; the text's own width, rounded up, with the style's margins.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int width =
            static_cast<int>(std::ceil(QFontMetricsF(opt.font).horizontalAdvance(opt.text))) +
            2 * margin;
        label = label.united(QRect(textCell.left(), textCell.top(), width, textCell.height()));
    }
    return label.intersected(option.rect);
}
