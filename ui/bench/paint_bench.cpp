// Paint: a page of 40 rows of a list of 1,000,000 entries, scrolled from its
// middle a page at a time, without rules, with five, and with five and a
// filter's text; each repaint of the viewport timed.

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
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
};

Figures Repaints(ActivityListView& list) {
    QScrollBar* bar = list.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    std::vector<double> ms;
    for (int i = 0; i < kRepaints; ++i) {
        bar->setValue(bar->value() + bar->pageStep());  // rows not painted yet
        QElapsedTimer t;
        t.start();
        list.viewport()->repaint();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back()};
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
        std::printf("  %-26s median %.2f ms, p95 %.2f ms, max %.2f ms\n", what, f.median, f.p95,
                    f.max);
    };
    report("no rules:", Repaints(list));
    for (const char* text : {"RCPT TO", "QUIT", "user42", "mail7.example", "192.0.2.1"})
        highlights.Add({text, static_cast<int>(highlights.Rules().Rules().size()), false});
    report("five rules:", Repaints(list));
    filter.SetText(QStringLiteral("example.com"));
    while (filter.Building()) QCoreApplication::processEvents();
    list.ShowModel(&filter);
    QCoreApplication::processEvents();
    report("five rules and a filter:", Repaints(list));
}
