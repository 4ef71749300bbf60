#include "find_dialog.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "components.h"
#include "log_days.h"

namespace {

constexpr int kBoxColumns = 4;

}  // namespace

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      txtFind(new QLineEdit(this)),
      dtpDay(new QDateEdit(QDate::currentDate(), this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(tr("Find in Logs"));
    txtFind->setObjectName(QStringLiteral("txtFind"));
    dtpDay->setObjectName(QStringLiteral("dtpDay"));
    dtpDay->setCalendarPopup(true);

    auto* group = new QGroupBox(tr("Components"), this);
    auto* grid = new QGridLayout(group);
    std::vector<activity::ComponentFolder> folders;
    for (const activity::Component& c : activity::kComponents) {
        auto* box =
            new QCheckBox(QString::fromLatin1(c.name.data(), qsizetype(c.name.size())), group);
        box->setChecked(true);
        const auto at = static_cast<int>(chkComponents.size());
        grid->addWidget(box, at / kBoxColumns, at % kBoxColumns);
        chkComponents << box;
        connect(box, &QCheckBox::toggled, this, &FindDialog::EnableOk);
        folders.push_back({std::string(c.name), activity::LogDirectory(c.name, c.branch)});
    }
    // Only the folders' listings are read: quick enough to wait for here.
    QTextCharFormat hasLogs;
    hasLogs.setFontWeight(QFont::Bold);
    hasLogs.setToolTip(tr("Logs on this day"));
    for (const activity::LocalDate& day : activity::LogDays(folders)) {
        dtpDay->calendarWidget()->setDateTextFormat(QDate(day.year, day.month, day.day), hasLogs);
    }

    auto* form = new QFormLayout;
    form->addRow(tr("Find &what:"), txtFind);
    form->addRow(tr("&Day:"), dtpDay);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addWidget(buttons_);

    connect(txtFind, &QLineEdit::textChanged, this, &FindDialog::EnableOk);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    EnableOk();
}

QString FindDialog::Text() const {
    return txtFind->text();
}

QDate FindDialog::Day() const {
    return dtpDay->date();
}

QStringList FindDialog::Components() const {
    QStringList names;
    for (const QCheckBox* box : chkComponents) {
        if (box->isChecked()) names << box->text();
    }
    return names;
}

void FindDialog::EnableOk() {
    buttons_->button(QDialogButtonBox::Ok)
        ->setEnabled(!txtFind->text().isEmpty() && !Components().isEmpty());
}
