#pragma once

#include <QListView>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>

// The list of an activity window: a plain QListView, so that screen readers see
// its rows, laid out one line per row without measuring the entries.
// Double-click and Enter ask for the detail box; Ctrl+C copies the selected
// entry.
class Highlights;

class ActivityListView final : public QListView {
    Q_OBJECT

  public:
    explicit ActivityListView(QWidget* parent = nullptr);

    // Shows `model`, whose rows are entries in rising ActivityModel::kSeqRole.
    // The selected entry stays selected wherever a model shows it, now or
    // once it lists it, and is scrolled to when the new model shows it at once.
    void ShowModel(QAbstractItemModel* model);

    // The selected entry's text as read, or the empty text.
    QString SelectedText() const;
    // Puts it on the clipboard; leaves the clipboard be when none is selected.
    void CopySelected() const;

    // The rules whose marks the rows show, with the filter's text while the
    // model shown is a FilterModel with one; repaints when they change.
    void SetHighlights(const Highlights* highlights);
    const Highlights* HighlightsShown() const;
    QString FilterText() const;

  signals:
    void DetailRequested();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void updateGeometries() override;

  private:
    // The selected entry's sequence number, or the one still to select.
    std::optional<std::uint64_t> SelectedSeq() const;
    // Selects the wanted entry if the model shows it; true if it did.
    bool Reselect();

    QPointer<const Highlights> highlights_;
    std::optional<std::uint64_t> wanted_;  // to select once shown
    int shift_ = 0;                        // rows put above those in sight since the last layout
};
