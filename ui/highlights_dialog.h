#pragma once

#include <QDialog>

class Highlights;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Edit > Highlights...: the session's rules, in the order they colour a line.
// Each edit takes effect at once; a refused one says why beneath the fields
// and changes nothing.
class HighlightsDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit HighlightsDialog(Highlights* highlights, QWidget* parent = nullptr);

  private:
    void Fill(int select);
    void lstRules_Changed();
    void CmdAdd_Click();
    void CmdChange_Click();
    void CmdRemove_Click();
    void Shift(int by);
    void UpdateButtons();
    // Says why an edit was refused, or clears the line; true if taken.
    bool Taken(int refusal);

    Highlights* highlights_;
    QListWidget* lstRules;
    QLineEdit* txtRule;
    QComboBox* cboColour;
    QCheckBox* chkAlert;
    QPushButton* CmdAdd;
    QPushButton* CmdChange;
    QPushButton* CmdRemove;
    QPushButton* CmdUp;
    QPushButton* CmdDown;
    QLabel* lblMessage;
};
