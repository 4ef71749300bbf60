#pragma once

#include <QStringList>
#include <QWidget>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "entry_batch.h"
#include "log_search.h"

class ActivityListView;
class ActivityModel;
class QDate;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QPushButton;
class QTimer;

// Find in Logs: the lines of one day's logs that contain a text, one row per
// line ("COMPONENT line"), in the components' order or by time of day, in the
// activity windows' list. The search runs on a worker thread, so that a day of
// megabytes never holds up the interface; what it finds is taken in from the
// event loop. Closing the window cancels the search.
class FindWindow final : public QWidget {
    Q_OBJECT

  public:
    // Searches the logs of the components named (in kComponents' order
    // whatever the order given; none names them all) and starts at once.
    FindWindow(const QString& text, const QDate& day, const QStringList& components,
               QWidget* parent = nullptr);
    // Cancels the search and waits for its worker: a slice at most.
    ~FindWindow() override;

    // Adds the window to `workspace` in a sizeable frame; the caller shows it.
    QMdiSubWindow* AddTo(QMdiArea* workspace);
    void CopySelected() const;

  private:
    // A batch of one component's rows, as the worker hands it over.
    struct Found {
        std::size_t component = 0;
        activity::EntryBatch rows;
        std::vector<int> times;  // each row's LeadingTimeOfDay
    };

    void Search(activity::LogSearchRequest request);
    void TakeFound();
    void Finished(const activity::LogSearchOutcome& outcome);
    // Each component's first line, numbered in the components' order.
    std::vector<std::size_t> FirstLines() const;
    // Lists the rows anew, row r showing line next[r] (none: the components' order).
    void Reorder(std::vector<std::size_t> next);
    void CmdCancel_Click();
    void CmdByTime_Click(bool byTime);
    void lstResults_DblClick();

    std::vector<std::string> names_;  // the components searched, in order
    ActivityModel* model_;
    ActivityListView* lstResults;
    QLabel* lblProblems;
    QPushButton* CmdByTime;
    QPushButton* CmdCancel;
    QProgressBar* prgSearch;
    QLabel* lblStatus;
    QTimer* take_;

    // Per component, the LeadingTimeOfDay of each line listed, in file order.
    std::vector<std::vector<int>> times_;
    // The line each row lists, numbered in the components' order; empty when
    // the rows are in that order.
    std::vector<std::size_t> order_;
    // While the search runs, each row's component: it reads two logs at a time,
    // and the rows are listed as found, put in order once all are in.
    std::vector<std::size_t> arrival_;

    // Shared with the worker.
    std::mutex mutex_;
    std::vector<Found> found_;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    std::optional<activity::LogSearchOutcome> outcome_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};
