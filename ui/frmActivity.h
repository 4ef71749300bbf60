#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

#include "activity_follower.h"
#include "earlier_lines.h"
#include "highlight_rules.h"

class ActivityListView;
class Highlights;
class ActivityModel;
class FilterModel;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QTimer;
class StatusLabel;

// One component's activity: follows its log with the follower it holds and
// lists every new entry. Loads when first shown: the caption names the
// component and Timer1 starts scanning every 3000 ms.
//
// A scan reads in slices, each its own turn in the work queue (work_queue.h),
// so that a burst of megabytes in every log never holds up the interface;
// scans never overlap.
class frmActivity : public QWidget {
    Q_OBJECT

  public:
    explicit frmActivity(const activity::Component& component, QWidget* parent = nullptr);
    ~frmActivity() override;

    // Adds the window to `workspace` in a fixed dialog border (a close box,
    // no minimise, maximise or resizing); the caller shows it.
    QMdiSubWindow* AddTo(QMdiArea* workspace);

    // The follower's settings and operations, under the window's names.
    const std::string& ServiceName() const { return follower_.ServiceName(); }
    std::int32_t ServiceType() const;
    bool LoadHistoricData() const { return follower_.LoadHistoricData(); }
    void SetLoadHistoricData(bool on) { follower_.SetLoadHistoricData(on); }
    std::string GetLoggingDirectory() const { return follower_.GetLoggingDirectory(); }
    std::string GetActiveFileName() const { return follower_.GetActiveFileName(); }
    // Scans from the work queue, a slice a turn, from the next turn on.
    void ScanFile();
    std::int64_t GetLastActivity() const { return follower_.GetLastActivity(); }
    // Finds the directory and the start; with LoadHistoricData it then scans
    // the day's file, in slices like any scan.
    void Initialise();

    // Replaces the clock that names the day's file (tests).
    void SetClock(activity::LocalClock clock) { follower_.SetClock(std::move(clock)); }

    // Lists today's lines before the first it lists (after a Clear: up to
    // where it reads) above it, newest first as far as the list's caps allow,
    // a slice a turn while following goes on.
    void LoadEarlierLines();

    // Lists only the entries that contain `text` ("" lists all).
    void SetFilter(const QString& text);
    void CopySelected() const;

    // The session's highlight rules, not owned (none: nothing is counted).
    // While the window is not looked at, the highlighted entries that arrive
    // are counted on its status line, and one that matches an alert rule
    // calls the user, once per rule per quiet time.
    void SetHighlights(Highlights* highlights);
    // Highlighted entries that arrived since the window was last looked at.
    std::size_t HighlightedCount() const { return highlighted_; }

  signals:
    // An arrival called for the user: the taskbar, and screen readers through
    // the status line (which a screen reader alone can observe).
    void Alerted();

  protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void Form_Load();
    void Timer1_Timer();
    void CmdStatus_Click();
    void CmdClear_Click();
    void lstActivity_DblClick();
    void Listed(const activity::EntryBatch& entries);
    bool ScanNextSlice();     // true while more is waiting
    bool ReadEarlierSlice();  // likewise
    void ShowMatches();
    // Looked at: the workspace's active window in the active application.
    bool Watched() const;
    void Seen();
    void CountHighlighted(const activity::EntryBatch& entries);

    activity::ActivityFollower follower_;
    ActivityModel* model_;
    FilterModel* filter_;
    ActivityListView* lstActivity;
    QPushButton* CmdClear;
    QPushButton* CmdStatus;
    StatusLabel* lblStatus;
    QTimer* Timer1;
    std::optional<activity::EarlierLines> earlier_;
    activity::EntryBatch earlierBatch_;
    // Where the last reading of earlier lines stopped, in that listing.
    std::uint64_t earlierGeneration_ = 0;
    std::int64_t earlierStop_ = 0;
    bool loaded_ = false;
    bool newScan_ = false;  // the slice being read is the first of its scan

    QPointer<Highlights> highlights_;
    std::vector<int> classes_;  // of the batch being counted
    // The alert rules alone, as of the rules' version: an entry whose first
    // rule does not alert may still match a later one that does.
    std::optional<activity::HighlightRules> alertRules_;
    std::uint64_t alertVersion_ = 0;
    std::size_t highlighted_ = 0;
};
