#include "activity_list_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "activity_model.h"

namespace {

// Every row is one line of text as wide as the view, whatever the first entry
// holds; longer entries are elided and read whole in the detail box.
class OneLineDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem sample = option;
        initStyleOption(&sample, index);
        sample.text = QStringLiteral("Xg");
        sample.features &= ~QStyleOptionViewItem::WrapText;
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return {
            1, style->sizeFromContents(QStyle::CT_ItemViewItem, &sample, QSize(), widget).height()};
    }
};

}  // namespace

ActivityListView::ActivityListView(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new OneLineDelegate(this));
}

QString ActivityListView::SelectedText() const {
    if (!selectionModel()) return {};
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString()
                              : selected.first().data(ActivityModel::kEntryTextRole).toString();
}

void ActivityListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    // Anywhere in the list, on an entry or not, as a list box does.
    if (event->button() == Qt::LeftButton) emit DetailRequested();
}

void ActivityListView::keyPressEvent(QKeyEvent* event) {
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && selectionModel() && selectionModel()->hasSelection()) {
        event->accept();
        emit DetailRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        // The selected entry, not the current row the base class would copy.
        if (selectionModel() && selectionModel()->hasSelection()) {
            QGuiApplication::clipboard()->setText(SelectedText());
        }
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}
