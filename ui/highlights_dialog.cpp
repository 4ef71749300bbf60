#include "highlights_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "highlights.h"

namespace {

using Refusal = activity::HighlightRules::Refusal;

QIcon Swatch(int colour, bool dark) {
    QPixmap swatch(16, 16);
    swatch.fill(Highlights::Colour(colour, dark));
    QPainter painter(&swatch);
    painter.setPen(Highlights::Tint(colour, dark));
    painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    return QIcon(swatch);
}

}  // namespace

HighlightsDialog::HighlightsDialog(Highlights* highlights, QWidget* parent)
    : QDialog(parent),
      highlights_(highlights),
      lstRules(new QListWidget(this)),
      txtRule(new QLineEdit(this)),
      cboColour(new QComboBox(this)),
      chkAlert(new QCheckBox(tr("A&lert"), this)),
      CmdAdd(new QPushButton(tr("&Add"), this)),
      CmdChange(new QPushButton(tr("C&hange"), this)),
      CmdRemove(new QPushButton(tr("&Remove"), this)),
      CmdUp(new QPushButton(tr("&Up"), this)),
      CmdDown(new QPushButton(tr("&Down"), this)),
      lblMessage(new QLabel(this)) {
    setWindowTitle(tr("Highlights"));
    lstRules->setObjectName(QStringLiteral("lstRules"));
    lstRules->setAccessibleName(tr("Rules, the first that matches colours a line"));
    txtRule->setObjectName(QStringLiteral("txtRule"));
    cboColour->setObjectName(QStringLiteral("cboColour"));
    chkAlert->setObjectName(QStringLiteral("chkAlert"));
    CmdAdd->setObjectName(QStringLiteral("CmdAdd"));
    CmdChange->setObjectName(QStringLiteral("CmdChange"));
    CmdRemove->setObjectName(QStringLiteral("CmdRemove"));
    CmdUp->setObjectName(QStringLiteral("CmdUp"));
    CmdDown->setObjectName(QStringLiteral("CmdDown"));
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setWordWrap(true);
    CmdAdd->setDefault(true);  // Enter in the text adds it

    const bool dark = Highlights::IsDark(palette().color(QPalette::Base));
    for (int c = 0; c < activity::kHighlightColours; ++c)
        cboColour->addItem(Swatch(c, dark), Highlights::ColourName(c));

    auto* text = new QLabel(tr("&Text:"), this);
    text->setBuddy(txtRule);
    auto* colour = new QLabel(tr("C&olour:"), this);
    colour->setBuddy(cboColour);
    auto* fields = new QGridLayout;
    fields->addWidget(text, 0, 0);
    fields->addWidget(txtRule, 0, 1, 1, 2);
    fields->addWidget(colour, 1, 0);
    fields->addWidget(cboColour, 1, 1);
    fields->addWidget(chkAlert, 1, 2);
    auto* edits = new QHBoxLayout;
    for (QPushButton* button : {CmdAdd, CmdChange, CmdRemove, CmdUp, CmdDown}) {
        button->setAutoDefault(false);
        edits->addWidget(button);
    }
    CmdAdd->setAutoDefault(true);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstRules, 1);
    layout->addLayout(fields);
    layout->addLayout(edits);
    layout->addWidget(lblMessage);
    layout->addWidget(close);

    connect(lstRules, &QListWidget::currentRowChanged, this, &HighlightsDialog::lstRules_Changed);
    connect(CmdAdd, &QPushButton::clicked, this, &HighlightsDialog::CmdAdd_Click);
    connect(CmdChange, &QPushButton::clicked, this, &HighlightsDialog::CmdChange_Click);
    connect(CmdRemove, &QPushButton::clicked, this, &HighlightsDialog::CmdRemove_Click);
    connect(CmdUp, &QPushButton::clicked, this, [this] { Shift(-1); });
    connect(CmdDown, &QPushButton::clicked, this, [this] { Shift(1); });
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Fill(-1);
    txtRule->setFocus();
}

void HighlightsDialog::Fill(int select) {
    const bool dark = Highlights::IsDark(lstRules->palette().color(QPalette::Base));
    const QSignalBlocker quiet(lstRules);
    lstRules->clear();
    for (const activity::HighlightRule& rule : highlights_->Rules().Rules()) {
        const QString text = QString::fromStdString(rule.text);
        lstRules->addItem(new QListWidgetItem(Swatch(rule.colour, dark),
                                              rule.alert ? tr("%1 (alert)").arg(text) : text));
    }
    lstRules->setCurrentRow(select);
    UpdateButtons();
}

void HighlightsDialog::lstRules_Changed() {
    const int row = lstRules->currentRow();
    const auto& rules = highlights_->Rules().Rules();
    if (row >= 0 && std::size_t(row) < rules.size()) {
        const activity::HighlightRule& rule = rules[std::size_t(row)];
        txtRule->setText(QString::fromStdString(rule.text));
        cboColour->setCurrentIndex(rule.colour);
        chkAlert->setChecked(rule.alert);
    }
    UpdateButtons();
}

void HighlightsDialog::UpdateButtons() {
    const int row = lstRules->currentRow();
    const int count = lstRules->count();
    CmdChange->setEnabled(row >= 0);
    CmdRemove->setEnabled(row >= 0);
    CmdUp->setEnabled(row > 0);
    CmdDown->setEnabled(row >= 0 && row + 1 < count);
}

bool HighlightsDialog::Taken(int refusal) {
    switch (static_cast<Refusal>(refusal)) {
        case Refusal::None:
            lblMessage->clear();
            return true;
        case Refusal::Empty:
            lblMessage->setText(tr("Type the text to highlight."));
            break;
        case Refusal::Duplicate:
            lblMessage->setText(tr("Another rule already has this text."));
            break;
        case Refusal::TooLong:
            lblMessage->setText(tr("The text is too long: at most %L1 characters.")
                                    .arg(qulonglong(activity::HighlightRules::kMaxTextChars)));
            break;
    }
    txtRule->setFocus();
    return false;
}

void HighlightsDialog::CmdAdd_Click() {
    const activity::HighlightRule rule{txtRule->text().toStdString(), cboColour->currentIndex(),
                                       chkAlert->isChecked()};
    if (!Taken(int(highlights_->Add(rule)))) return;
    Fill(-1);  // ready for the next
    txtRule->clear();
    txtRule->setFocus();
}

void HighlightsDialog::CmdChange_Click() {
    const int row = lstRules->currentRow();
    if (row < 0) return;
    const activity::HighlightRule rule{txtRule->text().toStdString(), cboColour->currentIndex(),
                                       chkAlert->isChecked()};
    if (Taken(int(highlights_->Change(std::size_t(row), rule)))) Fill(row);
}

void HighlightsDialog::CmdRemove_Click() {
    const int row = lstRules->currentRow();
    if (row < 0) return;
    highlights_->Remove(std::size_t(row));
    lblMessage->clear();
    Fill(std::min(row, lstRules->count() - 2));
    lstRules_Changed();
}

void HighlightsDialog::Shift(int by) {
    const int row = lstRules->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= lstRules->count()) return;
    highlights_->Move(std::size_t(row), std::size_t(to));
    lblMessage->clear();
    Fill(to);
}
