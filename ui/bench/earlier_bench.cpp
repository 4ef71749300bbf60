// Earlier lines of a large day file: the cost should follow what is kept.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "activity_model.h"
#include "components.h"
#include "frmActivity.h"
#include "log_naming.h"
#include "process_memory.h"
#include "stall_probe.h"
#include "test_server.h"

namespace {

constexpr activity::LocalDate kDay{2026, 12, 6};

// Writes the day's SMTP log of about `bytes` from `lines`; its size.
std::uint64_t WriteLog(const TestServer& server, const std::vector<std::string>& lines,
                       std::uint64_t bytes) {
    const std::string name = activity::ActiveFileName("", "SMTP", kDay);
    std::uint64_t written = 0;
    std::string block;
    for (const std::string& line : lines) block += line + "\r\n";
    std::ofstream out(server.LocalLogDir() / name.substr(name.rfind('\\') + 1), std::ios::binary);
    while (written < bytes) {
        out << block;
        written += block.size();
    }
    out.close();
    // Written back before the clock starts: a kernel flushing gigabytes would
    // take the processor from the reading that is timed.
    ::sync();
    return written;
}

struct Figures {
    double ms = 0;
    double stallMs = 0;
    double memory = 0;  // the process's growth over the text kept
};

// A window's earlier lines of the log: until its list holds the newest million.
Figures EarlierOnce() {
    QMdiArea area;
    area.resize(800, 600);
    auto* w = new frmActivity(*activity::FindComponent("SMTP"));
    w->SetClock([] { return kDay; });
    w->Initialise();
    w->AddTo(&area)->show();
    area.show();
    QCoreApplication::processEvents();
    auto* model = w->findChild<ActivityModel*>();
    const std::size_t before = ResidentBytes();
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    w->LoadEarlierLines();
    while (model->rowCount() < int(model->MaxEntries()) && t.elapsed() < 60'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    Figures f;
    f.ms = double(t.nsecsElapsed()) / 1e6;
    w->findChild<QListView*>(QStringLiteral("lstActivity"))->viewport()->repaint();
    f.stallMs = probe.WorstMs();
    f.memory = double(ResidentBytes() - before) / double(model->TextBytes());
    delete w;
    return f;
}

}  // namespace

void BenchEarlier(const std::vector<std::string>& lines) {
    std::printf("earlier lines (least time and longest stall of 3 runs; memory of the first):\n");
    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    // The large file first, while the heap is fresh, for its memory figure.
    for (const std::uint64_t bytes : {std::uint64_t{4} << 30, std::uint64_t{400} << 20}) {
        const std::uint64_t written = WriteLog(server, lines, bytes);
        Figures best = EarlierOnce();
        for (int run = 1; run < 3; ++run) {
            const Figures f = EarlierOnce();
            best.ms = std::min(best.ms, f.ms);
            best.stallMs = std::max(best.stallMs, f.stallMs);
        }
        std::printf(
            "  %.0f MiB day file: newest 1,000,000 earlier entries listed in %.0f ms; "
            "longest stall %.1f ms; memory %.2fx their text\n",
            double(written) / (1 << 20), best.ms, best.stallMs, best.memory);
    }
}
