#include "detail_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>

#include <algorithm>

namespace {

QRect AvailableArea(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

// Puts the text in a scrolling view where the box's label stands, once the
// label, wrapped as wide as the box may grow, would be taller than half the
// screen.
void ScrollIfTooTall(QMessageBox& box, const QString& text, const QRect& area) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!label || !grid) return;
    const int width = std::min(area.width() / 2, 700);
    const int maxHeight = area.height() / 2;
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, width, 0), Qt::TextWrapAnywhere | Qt::TextExpandTabs, text);
    if (needed.height() <= maxHeight) return;

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
    view->setMinimumSize(width, maxHeight);
    view->setAccessibleName(box.windowTitle());
    label->hide();
    grid->addWidget(view, row, column, rowSpan, columnSpan);
}

}  // namespace

void ShowDetailBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Log text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    ScrollIfTooTall(box, text, AvailableArea(parent));
    box.exec();
}
