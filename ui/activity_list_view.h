#pragma once

#include <QListView>
#include <QString>

#include <cstdint>
#include <optional>

class ActivityModel;
class FilterModel;

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
    // Puts it on the clipboard; leaves the clipboard be when none is selected.
    void CopySelected() const;

    // Shows only the entries of `source` that contain `text`, or all of them
    // for "". The selected entry stays selected while it is shown, and is
    // scrolled to when the filter goes.
    void SetFilter(ActivityModel* source, const QString& text);
    // Null until a filter is first set.
    FilterModel* Filter() const { return filter_; }

  signals:
    void DetailRequested();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The selected entry's sequence number in the source.
    std::optional<std::uint64_t> SelectedSeq() const;
    // Selects the entry once it is shown (a filter may find it a slice later).
    void Reselect();
    void ShowModel(QAbstractItemModel* model);

    ActivityModel* source_ = nullptr;
    FilterModel* filter_ = nullptr;
    std::optional<std::uint64_t> wanted_;  // to select once shown
};
