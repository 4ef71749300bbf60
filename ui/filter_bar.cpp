#include "filter_bar.h"

#include <QLabel>
#include <QLineEdit>
#include <QShortcut>

FilterBar::FilterBar(QWidget* parent)
    : QToolBar(tr("Filter"), parent), txtFilter(new QLineEdit(this)) {
    setObjectName(QStringLiteral("filterBar"));
    setMovable(false);
    setFloatable(false);
    auto* label = new QLabel(tr("&Filter:"), this);
    label->setBuddy(txtFilter);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setClearButtonEnabled(true);
    txtFilter->setAccessibleDescription(
        tr("Lists only the entries that contain this text, in every window"));
    addWidget(label);
    addWidget(txtFilter);
    connect(txtFilter, &QLineEdit::textChanged, this, &FilterBar::TextChanged);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), txtFilter);
    close->setContext(Qt::WidgetShortcut);
    connect(close, &QShortcut::activated, this, [this] {
        txtFilter->clear();
        hide();
        emit Closed();
    });
}

void FilterBar::Open() {
    show();
    txtFilter->setFocus(Qt::ShortcutFocusReason);
    txtFilter->selectAll();
}
