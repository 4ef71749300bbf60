// The filter's figures, beside GNU grep over the same lines (see ui_bench.cpp).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "activity_model.h"
#include "filter_model.h"
#include "process_memory.h"
#include "stall_probe.h"

namespace {

double Ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

const QString kTexts[] = {QStringLiteral("USER4242@mail"), QStringLiteral("quit"),
                          QStringLiteral("x"), QStringLiteral("Émile Zoë")};

// `grep -ciF` over the file, already in the page cache: the least of five, in ms.
double GrepMs(const QString& file, const QString& text) {
    std::vector<double> runs;
    for (int i = 0; i < 6; ++i) {
        QProcess grep;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        grep.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        grep.start(QStringLiteral("grep"), {QStringLiteral("-ciF"), text, file});
        grep.waitForFinished(60'000);
        if (i > 0) runs.push_back(Ms(t.nsecsElapsed()));
    }
    return *std::min_element(runs.begin(), runs.end());
}

double Ratio(double ms, double grepMs) {
    return grepMs > 0 ? ms / grepMs : 0;
}

// Sets `text` on every filter and runs the event loop until all are built: the
// time, and the longest gap a 2 ms timer saw between two turns of the loop.
std::pair<double, double> FilterAll(std::vector<std::unique_ptr<FilterModel>>& filters,
                                    const QString& text) {
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    for (auto& f : filters) f->SetText(text);
    const auto building = [&] {
        return std::any_of(filters.begin(), filters.end(), [](auto& f) { return f->Building(); });
    };
    while (building()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return {Ms(t.nsecsElapsed()), probe.WorstMs()};
}

}  // namespace

// Spawned by a process that holds a few megabytes, not the gigabyte of the
// benchmark: forking that costs grep several times its own time.
std::vector<double> GrepBaseline(const std::function<void(std::ostream&)>& write) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lines.txt"));
    {
        std::ofstream out(file.toStdString(), std::ios::binary);
        write(out);
    }
    std::vector<double> ms;
    for (const QString& text : kTexts) ms.push_back(GrepMs(file, text));
    return ms;
}

void BenchFilter(const std::vector<std::string>& lines, const std::vector<double>& grepMs) {
    std::size_t bytes = 0;
    activity::EntryBatch batch;
    for (const std::string& line : lines) {
        bytes += line.size();
        batch.Append(line);
    }
    std::printf(
        "filter: %zu entries, %.0f bytes each on average (%.0f MiB); grep -ciF over them as a "
        "file, spawned before the benchmark held them (least of 5)\n",
        lines.size(), static_cast<double>(bytes) / static_cast<double>(lines.size()),
        static_cast<double>(bytes) / 1048576.0);

    std::vector<std::unique_ptr<ActivityModel>> models;
    std::vector<std::unique_ptr<FilterModel>> filters;
    models.push_back(std::make_unique<ActivityModel>());
    models.back()->Append(batch);
    filters.push_back(std::make_unique<FilterModel>(models.back().get()));
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        const auto [ms, stall] = FilterAll(filters, kTexts[i]);
        std::printf(
            "  one window, \"%s\": %d matches in %.0f ms, %.1fx grep -ciF (%.1f ms); longest "
            "stall %.1f ms\n",
            qPrintable(kTexts[i]), filters[0]->rowCount(), ms, Ratio(ms, grepMs[i]), grepMs[i],
            stall);
    }

    // A batch of 100 into the full window while filtered: the match and the cap's removal.
    filters[0]->SetText(kTexts[0]);
    while (filters[0]->Building()) QCoreApplication::processEvents();
    std::vector<double> runs;
    for (int i = 0; i < 1000; ++i) {
        activity::EntryBatch scan;
        for (std::size_t k = 0; k < 100; ++k)
            scan.Append(lines[(std::size_t(i) * 100 + k) % lines.size()]);
        QElapsedTimer t;
        t.start();
        models[0]->Append(scan);
        runs.push_back(Ms(t.nsecsElapsed()));
    }
    std::printf("  100 new entries into the filtered full window: %.3f ms (median of 1000)\n",
                Median(runs));

    for (int i = 1; i < 7; ++i) {
        models.push_back(std::make_unique<ActivityModel>());
        models.back()->Append(batch);
        filters.push_back(std::make_unique<FilterModel>(models.back().get()));
    }
    for (auto& f : filters) f->SetText({});
    const std::size_t before = ResidentBytes();
    const auto [ms, stall] = FilterAll(filters, kTexts[1]);
    std::printf(
        "  seven windows, \"%s\": all filtered in %.0f ms, %.1fx seven grep -ciF; longest stall "
        "%.1f ms; memory added %.1f MiB\n",
        qPrintable(kTexts[1]), ms, Ratio(ms, 7 * grepMs[1]), stall,
        static_cast<double>(ResidentBytes() - before) / 1048576.0);
}
