#pragma once

#include <QToolBar>

class QLineEdit;

// The frame's filter: a text field along its bottom, hidden until asked for,
// so that the client area stays as it was. Esc empties and hides it.
class FilterBar final : public QToolBar {
    Q_OBJECT

  public:
    explicit FilterBar(QWidget* parent = nullptr);

    // Shows it, the focus in the field and its text selected.
    void Open();

  signals:
    void TextChanged(const QString& text);
    void Closed();

  private:
    QLineEdit* txtFilter;
};
