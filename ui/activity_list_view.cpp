#include "activity_list_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <utility>

#include "activity_model.h"
#include "filter_model.h"
#include "highlights.h"
#include "row_text.h"

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

    // A row that a rule matches gets its tint, each occurrence of a rule's text
    // (and of the filter's) its colour; a selected row keeps the selection's
    // colours, its marks underlined, so that it stays readable.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* view = qobject_cast<const ActivityListView*>(parent());
        const Highlights* highlights = view ? view->HighlightsShown() : nullptr;
        const QString filter = view ? view->FilterText() : QString();
        if (highlights && highlights->Rules().empty() && filter.isEmpty()) highlights = nullptr;
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;  // the entry as shown: same length as read
        const QString entry =
            highlights ? index.data(ActivityModel::kEntryTextRole).toString() : QString();
        const bool selected = opt.state & QStyle::State_Selected;
        const bool dark = Highlights::IsDark(opt.palette.color(QPalette::Base));
        const int colour = highlights ? highlights->LineColour(entry) : -1;
        if (colour >= 0 && !selected) opt.backgroundBrush = Highlights::Tint(colour, dark);

        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        // The style lays the text out to find its rect, which is the row's
        // whatever the text: that would cost more than painting it.
        opt.text.clear();
        QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        // As QCommonStyle lays out an item's text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        textRect.adjust(margin, 0, -margin, 0);
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active)
                                               ? QPalette::Normal
                                               : QPalette::Inactive;
        // The Vista style draws its pale selection from the theme, and the
        // selected text in the usual colour.
        const bool paleSelection = style->inherits("QWindowsVistaStyle");
        const QColor plain = opt.palette.color(
            group, selected && !paleSelection ? QPalette::HighlightedText : QPalette::Text);
        painter->save();
        painter->setClipRect(textRect);
        painter->setFont(opt.font);
        painter->setPen(plain);

        row_.Layout(*painter, text, textRect.width());
        row_.Draw(painter, textRect);
        const qsizetype kept = row_.Kept();  // those the ellipsis leaves
        const QList<Highlights::Span> marks =
            highlights ? highlights->Marks(entry, filter) : QList<Highlights::Span>();
        for (const Highlights::Span& span : marks) {
            if (span.begin >= kept) break;
            const qsizetype end = std::min(span.end, kept);
            // Right to left where the text runs so.
            const qreal from = row_.X(span.begin);
            const qreal to = row_.X(end);
            const QRectF box(textRect.left() + std::min(from, to), textRect.top(),
                             std::abs(to - from), textRect.height());
            if (selected) {
                const int under =
                    textRect.top() + (textRect.height() + opt.fontMetrics.height()) / 2 - 1;
                painter->drawLine(QPointF(box.left(), under), QPointF(box.right() - 1, under));
                continue;
            }
            painter->fillRect(box, Highlights::Tint(span.colour, dark));
            painter->setPen(Highlights::Colour(span.colour, dark));
            row_.Draw(painter, textRect, span.begin, end);
            painter->setPen(plain);
        }
        painter->restore();
    }

  private:
    mutable RowText row_;  // the rows' glyphs, painted one after another
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

void ActivityListView::SetHighlights(const Highlights* highlights) {
    if (highlights_) disconnect(highlights_, nullptr, viewport(), nullptr);
    highlights_ = highlights;
    if (highlights)
        connect(highlights, &Highlights::Changed, viewport(), qOverload<>(&QWidget::update));
    viewport()->update();
}

const Highlights* ActivityListView::HighlightsShown() const {
    return highlights_;
}

QString ActivityListView::FilterText() const {
    const auto* filter = qobject_cast<const FilterModel*>(model());
    return filter ? filter->Text() : QString();
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
