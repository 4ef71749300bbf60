#pragma once

#include <QDate>
#include <QDialog>
#include <QList>
#include <QStringList>

class QCheckBox;
class QDateEdit;
class QDialogButtonBox;
class QLineEdit;

// Asks what to find in the logs: the text, the day (the calendar marks the
// days that have logs) and the components. OK only with a text and at least
// one component.
class FindDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString Text() const;
    QDate Day() const;
    // The names of the components checked, in the table's order.
    QStringList Components() const;

  private:
    void EnableOk();

    QLineEdit* txtFind;
    QDateEdit* dtpDay;
    QList<QCheckBox*> chkComponents;
    QDialogButtonBox* buttons_;
};
