#include "detail_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>

#include "highlights.h"

#include <algorithm>

namespace {

QRect AvailableArea(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

// The marks as the view's extra selections: the text itself stays plain, so
// that a copy takes the entry as read.
void Mark(QPlainTextEdit& view, const QList<Highlights::Span>& spans) {
    const bool dark = Highlights::IsDark(view.palette().color(QPalette::Base));
    QList<QTextEdit::ExtraSelection> marks;
    for (const Highlights::Span& span : spans) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(view.document());
        mark.cursor.setPosition(int(span.begin));
        mark.cursor.setPosition(int(span.end), QTextCursor::KeepAnchor);
        mark.format.setForeground(Highlights::Colour(span.colour, dark));
        mark.format.setBackground(Highlights::Tint(span.colour, dark));
        marks.append(mark);
    }
    view.setExtraSelections(marks);
}

// Puts the text in a view where the box's label stands, once the label,
// wrapped as wide as the box may grow, would be taller than half the screen
// (it scrolls), or when it has marks to show, which a plain label cannot.
void ViewIfNeeded(QMessageBox& box, const QString& text, const QRect& area,
                  const QList<Highlights::Span>& spans) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!label || !grid) return;
    const int width = std::min(area.width() / 2, 700);
    const int maxHeight = area.height() / 2;
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, width, 0), Qt::TextWrapAnywhere | Qt::TextExpandTabs, text);
    if (needed.height() <= maxHeight && spans.isEmpty()) return;

    const int at = grid->indexOf(label);
    if (at < 0) return;
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);

    auto* view = new QPlainTextEdit(&box);
    view->setObjectName(QStringLiteral("detailText"));
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setPlainText(text);
    view->setMinimumSize(width, std::min(maxHeight, needed.height() + 4 * view->frameWidth() +
                                                        2 * int(view->document()->documentMargin())));
    Mark(*view, spans);
    view->setAccessibleName(box.windowTitle());
    label->hide();
    grid->addWidget(view, row, column, rowSpan, columnSpan);
}

}  // namespace

void ShowDetailBox(QWidget* parent, const QString& title, const QString& text,
                   const Highlights* highlights, const QString& filter) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Log text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ViewIfNeeded(box, text, AvailableArea(parent),
                 highlights ? highlights->Marks(text, filter) : QList<Highlights::Span>());
    box.exec();
}
