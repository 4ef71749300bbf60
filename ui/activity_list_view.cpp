#include "activity_list_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <utility>

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

void ActivityListView::CopySelected() const {
    if (selectionModel() && selectionModel()->hasSelection()) {
        QGuiApplication::clipboard()->setText(SelectedText());
    }
}

namespace {

std::uint64_t SeqAt(const QAbstractItemModel& model, int row) {
    return model.index(row, 0).data(ActivityModel::kSeqRole).toULongLong();
}

// The row showing entry `seq`, or -1: rows rise in sequence number.
int RowOfSeq(const QAbstractItemModel& model, std::uint64_t seq) {
    int low = 0;
    int high = model.rowCount();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (SeqAt(model, mid) < seq) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low < model.rowCount() && SeqAt(model, low) == seq ? low : -1;
}

}  // namespace

std::optional<std::uint64_t> ActivityListView::SelectedSeq() const {
    if (!selectionModel() || !selectionModel()->hasSelection()) return wanted_;
    return SeqAt(*model(), selectionModel()->selectedIndexes().first().row());
}

void ActivityListView::ShowModel(QAbstractItemModel* shown) {
    if (model() == shown) return;
    wanted_ = SelectedSeq();
    shift_ = 0;
    QAbstractItemModel* old = model();
    // The view makes a selection model for each model and leaves the old one.
    QItemSelectionModel* oldSelection = selectionModel();
    setModel(shown);
    delete oldSelection;
    if (old) disconnect(old, nullptr, this, nullptr);
    // A user's own choice wins over an entry still waiting to be reselected.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty()) wanted_.reset();
            });
    // A model that starts again (a new filter, a Clear) keeps the entry wanted.
    connect(shown, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { wanted_ = SelectedSeq(); });
    connect(shown, &QAbstractItemModel::modelReset, this, &ActivityListView::Reselect);
    connect(shown, &QAbstractItemModel::rowsInserted, this, &ActivityListView::Reselect);
    // Entries put above the first leave the rows in sight where they are: the
    // view scrolls down past them once laid out, which it does once a turn.
    connect(shown, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (first == 0 && model()->rowCount() > last + 1) shift_ += last + 1;
            });
    if (Reselect()) {
        scrollTo(selectionModel()->selectedIndexes().first(), QAbstractItemView::PositionAtCenter);
    }
}

void ActivityListView::updateGeometries() {
    QListView::updateGeometries();
    if (shift_ == 0) return;
    QScrollBar* bar = verticalScrollBar();
    const int rows = std::exchange(shift_, 0);
    bar->setValue(bar->value() + (verticalScrollMode() == ScrollPerItem
                                      ? rows
                                      : rows * std::max(sizeHintForRow(0), 1)));
}

bool ActivityListView::Reselect() {
    if (!wanted_) return false;
    const int row = RowOfSeq(*model(), *wanted_);
    if (row < 0) return false;
    wanted_.reset();
    selectionModel()->select(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    return true;
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
