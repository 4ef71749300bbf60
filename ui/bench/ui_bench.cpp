// Figures for the activity window and the start-up; run by hand, not a test.
//
//   ui_bench [append|catch-up|highlights|filter|paint|start-up]   the figures, offscreen
//   ui_bench --startup-child   one start-up, timed by the parent run
//   ui_bench --write-lines FILE   the benchmark's lines, to time grep from a shell
//
// Append: one scan's batch of 1,000,000 entries of about 110 characters into
// a window, until the view has laid out and painted the new rows, with the
// memory it took; then the same lines in a QListWidget. Catch-up: a 110 MB
// burst in the log, read by the timer; then seven windows' bursts at once; the
// longest the event loop waited, as the longest gap between two turns of a 2 ms
// timer (stall_probe.h).
// Highlights: the catch-up's burst into a window with five rules (one that
// alerts) while another window is the active one, so that every batch is
// classified, counted and may alert; the longest stall.
// Filter: one window and seven of 1,000,000 entries, beside grep -ciF over the
// same lines as a file, spawned before this process holds them.
// Start-up: from process start to the frame with its seven windows painted,
// with a 2 MB system.reg.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MDIMain.h"
#include "activity_model.h"
#include "app_icons.h"
#include "bench_lines.h"
#include "components.h"
#include "entry_batch.h"
#include "frmActivity.h"
#include "highlights.h"
#include "log_naming.h"
#include "process_memory.h"
#include "stall_probe.h"
#include "test_server.h"
#include "text_search.h"

// filter_bench.cpp
std::vector<double> GrepBaseline(const std::function<void(std::ostream&)>& write);
void BenchFilter(const std::vector<std::string>& lines, const std::vector<double>& grepMs);
// earlier_bench.cpp
void BenchEarlier(const std::vector<std::string>& lines);
// paint_bench.cpp
void BenchPaint(const std::vector<std::string>& lines);

namespace {

constexpr int kEntries = 1'000'000;
constexpr activity::LocalDate kToday{2026, 12, 6};

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double MiB(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// SMTP-like lines of about 110 characters, the same for every run.
void MakeLines(int count, const std::function<void(std::string_view)>& take) {
    MakeBenchLines(static_cast<std::size_t>(count), 7, false, [&take](std::string_view line) {
        take(line);
        return true;
    });
}

void WaitExposed(QWidget& w) {
    w.show();
    QElapsedTimer t;
    t.start();
    while (!(w.windowHandle() && w.windowHandle()->isExposed()) && t.elapsed() < 5000) {
        QCoreApplication::processEvents();
    }
}

// Until the view's layout covers `rows` rows, then one paint.
void WaitShown(QListView* list, int rows) {
    QElapsedTimer t;
    t.start();
    const QScrollBar* bar = list->verticalScrollBar();
    while (bar->maximum() + bar->pageStep() < rows && t.elapsed() < 120'000) {
        QCoreApplication::processEvents();
    }
    list->viewport()->repaint();
}

// Writes `lines` as the window's whole log and lets its timer, ticking as
// often as it can, list and show them all.
// SMTP's log folder set in the server's settings, and its file of today.
std::filesystem::path SmtpLog(TestServer& server) {
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    const std::string name = activity::ActiveFileName("", "SMTP", kToday);
    return server.LocalLogDir() / name.substr(name.rfind('\\') + 1);
}

struct Burst {
    std::size_t bytes = 0;
    double ms = 0;
    double stallMs = 0;
};
Burst ListBurst(frmActivity* w, const std::filesystem::path& log,
                const std::vector<std::string>& lines) {
    Burst burst;
    {
        std::ofstream out(log, std::ios::binary);
        for (const std::string& line : lines) {
            out << line << "\r\n";
            burst.bytes += line.size() + 2;
        }
    }
    auto* list = w->findChild<QListView*>(QStringLiteral("lstActivity"));
    w->findChild<QTimer*>(QStringLiteral("Timer1"))->setInterval(1);
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    while (list->model()->rowCount() < kEntries && t.elapsed() < 120'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    WaitShown(list, kEntries);
    burst.ms = Ms(t);
    burst.stallMs = probe.WorstMs();
    return burst;
}

void BenchAppend(const std::vector<std::string>& lines) {
    activity::EntryBatch batch;
    std::size_t textBytes = 0;
    for (const std::string& line : lines) {
        batch.Append(line);
        textBytes += line.size();
    }
    const double perEntryText = static_cast<double>(textBytes) / kEntries;
    std::printf("append: %d entries, %.1f bytes of text each (%.1f MiB)\n", kEntries, perEntryText,
                MiB(textBytes));

    {
        QMdiArea area;
        area.resize(800, 600);
        auto* w = new frmActivity(*activity::FindComponent("SMTP"));
        w->AddTo(&area)->show();
        WaitExposed(area);
        auto* list = w->findChild<QListView*>(QStringLiteral("lstActivity"));
        auto* model = qobject_cast<ActivityModel*>(list->model());

        const std::size_t before = ResidentBytes();
        QElapsedTimer t;
        t.start();
        model->Append(batch);
        const double stored = Ms(t);
        WaitShown(list, kEntries);
        const double shown = Ms(t);
        const std::size_t grown = ResidentBytes() - before;
        std::printf("  activity window: stored in %.0f ms, shown in %.0f ms\n", stored, shown);
        std::printf("    memory: process %.1f bytes/entry (%.2fx the text)\n",
                    static_cast<double>(grown) / kEntries,
                    static_cast<double>(grown) / static_cast<double>(textBytes));

        // One ordinary scan into a window at its cap: the whole cost of a tick's listing.
        activity::EntryBatch scan;
        for (int i = 0; i < 100; ++i) scan.Append(lines[static_cast<std::size_t>(i)]);
        t.restart();
        model->Append(scan);
        QCoreApplication::processEvents();  // the view's deferred layout
        list->viewport()->repaint();
        std::printf("  100 more into the full window (oldest dropped): shown in %.1f ms\n", Ms(t));
    }

    {
        const std::size_t before = ResidentBytes();
        QListWidget widget;
        widget.resize(605, 160);
        WaitExposed(widget);
        QElapsedTimer t;
        t.start();
        for (const std::string& line : lines) {
            widget.addItem(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        }
        const double stored = Ms(t);
        WaitShown(&widget, kEntries);
        const double shown = Ms(t);
        const std::size_t grown = ResidentBytes() - before;
        std::printf(
            "  QListWidget, addItem per line: stored in %.0f ms, shown in %.0f ms, "
            "process %.1f bytes/entry (%.2fx)\n",
            stored, shown, static_cast<double>(grown) / kEntries,
            static_cast<double>(grown) / static_cast<double>(textBytes));
    }
}

// Seven windows whose ticks land together, each on a burst of kBurstLines lines
// appended to its log between two ticks (as tools/burst-bench.sh appends them).
// With `earlier`, each log also holds as many lines before the windows start,
// which they read as earlier lines while the burst is listed.
void BenchBurst(const std::vector<std::string>& lines, bool earlier) {
    constexpr std::size_t kBurstLines = 300'000;
    TestServer server;
    QMdiArea area;
    area.resize(1400, 1000);
    std::vector<frmActivity*> windows;
    std::vector<std::filesystem::path> logs;
    for (const activity::Component& c : activity::kComponents) {
        const std::string key = activity::SettingsKey(c.name, c.branch);
        server.SetDirectory(key.substr(activity::kSettingsRoot.size()), server.WindowsLogDir());
        const std::string name = activity::ActiveFileName("", c.name, kToday);
        logs.push_back(server.LocalLogDir() / name.substr(name.rfind('\\') + 1));
        {
            std::ofstream out(logs.back(), std::ios::binary);
            out << "an earlier line of the day\r\n";
            for (std::size_t i = 0; earlier && i < kBurstLines; ++i) out << lines[i] << "\r\n";
        }
        auto* w = new frmActivity(c);
        w->SetClock([] { return kToday; });
        w->Initialise();
        w->AddTo(&area)->show();
        windows.push_back(w);
    }
    WaitExposed(area);
    std::vector<QTimer*> ticks;
    for (frmActivity* w : windows) {
        ticks.push_back(w->findChild<QTimer*>(QStringLiteral("Timer1")));
        ticks.back()->stop();
    }
    std::size_t bytes = 0;
    for (const auto& log : logs) {
        std::ofstream out(log, std::ios::binary | std::ios::app);
        for (std::size_t i = 0; i < kBurstLines; ++i) {
            out << lines[i] << "\r\n";
            bytes += lines[i].size() + 2;
        }
    }
    const int rows = int(kBurstLines * (earlier ? 2 : 1));
    const auto listed = [&] {
        return std::all_of(windows.begin(), windows.end(), [rows](const frmActivity* w) {
            return w->findChild<ActivityModel*>()->rowCount() >= rows;
        });
    };
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    for (QTimer* tick : ticks) tick->start(1);  // due in the same turn, every turn
    for (frmActivity* w : windows) {
        if (earlier) w->LoadEarlierLines();
    }
    while (!listed() && t.elapsed() < 120'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    for (frmActivity* w : windows) {
        WaitShown(w->findChild<QListView*>(QStringLiteral("lstActivity")), rows);
    }
    std::printf(
        "  seven windows, %zu lines each (%.0f MiB in all), ticks together%s: listed in %.0f ms; "
        "longest stall %.1f ms\n",
        kBurstLines, MiB(bytes), earlier ? ", and as many earlier lines read" : "", Ms(t),
        probe.WorstMs());
}

void BenchCatchUp(const std::vector<std::string>& lines) {
    TestServer server;
    const auto log = SmtpLog(server);

    QMdiArea area;
    area.resize(800, 600);
    auto* w = new frmActivity(*activity::FindComponent("SMTP"));
    w->SetClock([] { return kToday; });
    w->Initialise();
    w->AddTo(&area)->show();
    WaitExposed(area);

    const Burst burst = ListBurst(w, log, lines);
    std::printf("catch-up: %.0f MiB burst listed by the timer in %.0f ms; longest stall %.1f ms\n",
                MiB(burst.bytes), burst.ms, burst.stallMs);

    // Initialise with LoadHistoricData leaves the day's file to the work queue.
    frmActivity historic(*activity::FindComponent("SMTP"));
    historic.SetLoadHistoricData(true);
    historic.SetClock([] { return kToday; });
    QElapsedTimer t;
    t.start();
    historic.Initialise();
    const double call = Ms(t);
    StallProbe historicProbe;
    while (historic.findChild<ActivityModel*>()->rowCount() < kEntries && t.elapsed() < 120'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf(
        "  Initialise with LoadHistoricData on it: %.1f ms in the call, the file listed (not "
        "shown) in %.0f ms; longest stall %.1f ms\n",
        call, Ms(t), historicProbe.WorstMs());
}

void BenchHighlights(const std::vector<std::string>& lines) {
    TestServer server;
    const auto log = SmtpLog(server);

    Highlights highlights;
    // As many lines match as an administrator's rules would mark: some rare, one common.
    for (const activity::HighlightRule& rule :
         std::initializer_list<activity::HighlightRule>{{"user42@", 0, true},
                                                        {"QUIT from", 1, false},
                                                        {"mail7.example", 2, false},
                                                        {"size=9999", 3, true},
                                                        {"192.0.2.1 ", 4, false}})
        highlights.Add(rule);
    QMdiArea area;
    area.resize(800, 600);
    auto* w = new frmActivity(*activity::FindComponent("SMTP"));
    w->SetHighlights(&highlights);
    w->SetClock([] { return kToday; });
    w->Initialise();
    w->AddTo(&area)->show();
    auto* other = new QWidget;  // the active window: w counts and alerts
    area.addSubWindow(other)->show();
    area.setActiveSubWindow(area.subWindowList().last());
    WaitExposed(area);
    int alerts = 0;
    QObject::connect(w, &frmActivity::Alerted, [&alerts] { ++alerts; });

    const Burst burst = ListBurst(w, log, lines);
    std::printf(
        "highlights: %d entries, five rules, listed by the timer in %.0f ms; %zu highlighted, %d "
        "alert(s); longest stall %.1f ms (target: at most 100 ms)\n",
        kEntries, burst.ms, w->HighlightedCount(), alerts, burst.stallMs);

    // The rules' matching beside the filter's over the same entries, each rule's
    // text on its own: the least of five runs each.
    activity::EntryBatch batch;
    for (const std::string& line : lines) batch.Append(line);
    const auto least = [](const std::function<void()>& run) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            run();
            best = std::min(best, Ms(t));
        }
        return best;
    };
    std::vector<int> classes;
    const double match = least([&] {
        classes.clear();
        highlights.Rules().Classify(batch, classes);
    });
    double sum = 0, slowest = 0;
    for (const activity::HighlightRule& rule : highlights.Rules().Rules()) {
        const activity::TextSearch search(rule.text);
        std::size_t found = 0;
        const double ms = least([&] {
            activity::ForEachMatchingEntry(search, batch.text(), 0, batch.ends(),
                                           [&found](std::size_t) { ++found; });
        });
        sum += ms;
        slowest = std::max(slowest, ms);
    }
    const double average = sum / static_cast<double>(highlights.Rules().Rules().size());
    std::printf(
        "  matching the five rules: %.1f ms; the filter's %.1f ms on average for one of "
        "their texts, %.1f ms at most: %.2fx and %.2fx (target: at most 2x)\n",
        match, average, slowest, match / average, match / slowest);
}

// A copy of a real Wine system.reg grown to 2 MiB with keys before the
// server's, so that a reader has to pass them.
bool WriteBigRegistry(const QString& prefix) {
    QFile fixture(QStringLiteral(QV_TEST_DATA_DIR "/wine-8.0-system.reg"));
    if (!fixture.open(QIODevice::ReadOnly)) return false;
    QByteArray reg = fixture.readAll();
    const qsizetype at = reg.indexOf("[Software\\\\Quor Vane");
    if (at < 0) return false;
    QByteArray padding;
    for (int i = 0; reg.size() + padding.size() < 2 * 1024 * 1024; ++i) {
        padding += QStringLiteral(
                       "[Software\\\\Padding\\\\Key%1] 1796582264\n#time=1dd85b0e24b5f44\n"
                       "\"Value\"=\"C:\\\\Program Files\\\\Padding\\\\%1\"\n\n")
                       .arg(i, 6, 10, QLatin1Char('0'))
                       .toUtf8();
    }
    reg.insert(at, padding);
    QFile out(prefix + QStringLiteral("/system.reg"));
    return out.open(QIODevice::WriteOnly) && out.write(reg) == reg.size();
}

void BenchStartUp(const char* self) {
    QTemporaryDir prefix;
    QTemporaryDir empty;
    if (!prefix.isValid() || !WriteBigRegistry(prefix.path())) {
        std::printf("start-up: no registry fixture\n");
        return;
    }
    for (const QTemporaryDir* dir : {&prefix, &empty}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WINEPREFIX"), dir->path());
        std::vector<double> runs;
        for (int i = 0; i < 11; ++i) {
            QProcess child;
            child.setProcessEnvironment(env);
            QElapsedTimer t;
            t.start();
            child.start(QString::fromLocal8Bit(self), {QStringLiteral("--startup-child")});
            if (!child.waitForReadyRead(10'000)) break;
            runs.push_back(Ms(t));
            child.waitForFinished(10'000);
        }
        if (runs.empty()) continue;
        std::sort(runs.begin(), runs.end());
        std::printf(
            "start-up to seven windows painted, %s: median %.0f ms (min %.0f, max %.0f, "
            "%zu runs)\n",
            dir == &prefix ? "2 MiB system.reg" : "no system.reg", runs[runs.size() / 2],
            runs.front(), runs.back(), runs.size());
    }
}

int StartUpChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(MDIMain::kAppTitle));
    QApplication::setWindowIcon(FrameIcon());
    auto* frame = new MDIMain;
    frame->show();
    QTimer::singleShot(0, frame, [frame] {
        frame->repaint();
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::string(argv[1]) == "--startup-child") return StartUpChild(argc, argv);

    if (argc > 2 && std::string(argv[1]) == "--write-lines") {
        std::ofstream out(argv[2], std::ios::binary);
        MakeLines(kEntries, [&out](std::string_view line) { out << line << '\n'; });
        return out ? 0 : 1;
    }

    QApplication app(argc, argv);
    const std::string only = argc > 1 ? argv[1] : "";
    // grep first, while this process is small, as from a shell.
    std::vector<double> grepMs;
    if (only.empty() || only == "filter") {
        grepMs = GrepBaseline([](std::ostream& out) {
            MakeLines(kEntries, [&out](std::string_view line) { out << line << '\n'; });
        });
    }
    std::vector<std::string> lines;
    lines.reserve(kEntries);
    MakeLines(kEntries, [&lines](std::string_view line) { lines.emplace_back(line); });
    if (only.empty() || only == "append") BenchAppend(lines);
    if (only.empty() || only == "catch-up") {
        BenchCatchUp(lines);
        BenchBurst(lines, false);
        BenchBurst(lines, true);
    }
    if (only.empty() || only == "highlights") BenchHighlights(lines);
    if (only.empty() || only == "filter") BenchFilter(lines, grepMs);
    if (only.empty() || only == "earlier") BenchEarlier(lines);
    if (only.empty() || only == "paint") BenchPaint(lines);
    if (only.empty() || only == "start-up") BenchStartUp(argv[0]);
    return 0;
}
