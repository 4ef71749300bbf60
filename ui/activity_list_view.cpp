#include "activity_list_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "activity_model.h"
#include "filter_model.h"

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

void ActivityListView::CopySelected() const {
    if (selectionModel() && selectionModel()->hasSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText());
    }
}

std::optional<std::uint64_t> ActivityListView::SelectedSeq() const {
    if (!source_ || !selectionModel() || !selectionModel()->hasSelection()) return wanted_;
    int row = selectionModel()->selectedIndexes().first().row();
    if (model() == filter_) row = filter_->SourceRow(row);
    return source_->FirstSeq() + static_cast<std::uint64_t>(row);
}

void ActivityListView::SetFilter(ActivityModel* source, const QString& text) {
    source_ = source;
    wanted_ = SelectedSeq();
    if (!filter_) {
        filter_ = new FilterModel(source_, this);
        connect(filter_, &QAbstractItemModel::rowsInserted, this, &ActivityListView::Reselect);
    }
    // Shown first, so that the rows the filter finds at once are reselected there.
    ShowModel(text.isEmpty() ? static_cast<QAbstractItemModel*>(source_) : filter_);
    filter_->SetText(text);
    Reselect();
    if (text.isEmpty() && selectionModel()->hasSelection()) {
        scrollTo(selectionModel()->selectedIndexes().first(), QAbstractItemView::PositionAtCenter);
    }
}

void ActivityListView::ShowModel(QAbstractItemModel* shown) {
    if (model() == shown) return;
    // The view makes a selection model for each model and leaves the old one.
    QItemSelectionModel* old = selectionModel();
    setModel(shown);
    delete old;
    // A user's own choice wins over an entry still waiting to be reselected.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty()) wanted_.reset();
            });
}

void ActivityListView::Reselect() {
    if (!wanted_ || *wanted_ < source_->FirstSeq()) {
        wanted_.reset();
        return;
    }
    int row = static_cast<int>(*wanted_ - source_->FirstSeq());
    if (model() == filter_) row = filter_->RowOf(row);
    if (row < 0) {
        if (!filter_->Building()) wanted_.reset();
        return;
    }
    wanted_.reset();
    selectionModel()->select(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
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
        CopySelected();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}
