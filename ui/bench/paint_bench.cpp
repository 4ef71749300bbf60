// Paint: a page of 40 rows of a list of 1,000,000 entries, scrolled from its
// middle a page at a time, without rules, with five, and with five and a
// filter's text; each repaint of the viewport timed.

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "activity_list_view.h"
#include "activity_model.h"
#include "filter_model.h"
#include "highlights.h"

namespace {

constexpr int kPageRows = 40;
constexpr int kRepaints = 200;

struct Figures {
    double median = 0;
    double p95 = 0;
    double max = 0;
    double cpuMedian = 0;  // the thread's own time: what the figure is on an idle machine
};

double ThreadCpuMs() {
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
#else
    return 0;
#endif
}

Figures Repaints(ActivityListView& list) {
    QScrollBar* bar = list.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    std::vector<double> cpu;
    for (int i = 0; i < kRepaints; ++i) {
        bar->setValue(bar->value() + bar->pageStep());  // rows not painted yet
        QElapsedTimer t;
        t.start();
        const double cpuStart = ThreadCpuMs();
        list.viewport()->repaint();
        cpu.push_back(ThreadCpuMs() - cpuStart);
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), cpu[cpu.size() / 2]};
}

}  // namespace

void BenchPaint(const std::vector<std::string>& lines) {
    ActivityModel model;
    activity::EntryBatch batch;
    for (const std::string& line : lines) batch.Append(line);
    model.Append(batch);
    FilterModel filter(&model);
    Highlights highlights;
    ActivityListView list;
    list.ShowModel(&model);
    list.SetHighlights(&highlights);
    list.resize(800, 100);
    list.show();
    QCoreApplication::processEvents();
    // Exactly a page of rows in sight.
    const int row = std::max(list.sizeHintForRow(0), 1);
    list.resize(800, kPageRows * row + 2 * list.frameWidth());
    QCoreApplication::processEvents();
    const int inSight = list.viewport()->height() / row;

    std::printf("paint: %d entries, a page of %d rows, %d repaints each from the middle\n",
                model.rowCount(), inSight, kRepaints);
    const auto report = [](const char* what, const Figures& f) {
        std::printf("  %-26s median %.2f ms (CPU %.2f ms), p95 %.2f ms, max %.2f ms\n", what,
                    f.median, f.cpuMedian, f.p95, f.max);
    };
    ActivityModel none;
    list.ShowModel(&none);
    report("no rows (the floor):", Repaints(list));
    list.ShowModel(&model);
    report("no rules:", Repaints(list));
    for (const char* text : {"RCPT TO", "QUIT", "user42", "mail7.example", "192.0.2.1"})
        highlights.Add({text, static_cast<int>(highlights.Rules().Rules().size()), false});
    report("five rules:", Repaints(list));
    {
        // What the rules alone cost a page: its marks and its colour, row by row.
        const int first = model.rowCount() / 3;
        QElapsedTimer t;
        t.start();
        std::size_t marks = 0;
        for (int pass = 0; pass < kRepaints; ++pass) {
            for (int r = 0; r < kPageRows; ++r) {
                const QString entry = model.index(first + pass * kPageRows + r)
                                          .data(ActivityModel::kEntryTextRole)
                                          .toString();
                marks += std::size_t(highlights.Marks(entry).size()) +
                         std::size_t(highlights.LineColour(entry) + 1);
            }
        }
        std::printf("  %-26s %.3f ms a page (%zu)\n",
                    "their marks alone:", static_cast<double>(t.nsecsElapsed()) / 1e6 / kRepaints,
                    marks);
    }
    filter.SetText(QStringLiteral("example.com"));
    while (filter.Building()) QCoreApplication::processEvents();
    list.ShowModel(&filter);
    QCoreApplication::processEvents();
    report("five rules and a filter:", Repaints(list));
}
