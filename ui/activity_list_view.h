#pragma once

#include <QListView>
#include <QString>

// The list of an activity window: a plain QListView, so that screen readers see
// its rows, laid out one line per row without measuring the entries.
// Double-click and Enter ask for the detail box; Ctrl+C copies the selected
// entry.
class ActivityListView final : public QListView {
    Q_OBJECT

  public:
    explicit ActivityListView(QWidget* parent = nullptr);

    // The selected entry's text as read, or the empty text.
    QString SelectedText() const;

  signals:
    void DetailRequested();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
