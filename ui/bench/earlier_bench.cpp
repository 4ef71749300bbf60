// Earlier lines of a large day file: the cost should follow what is kept.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "activity_follower.h"
#include "activity_model.h"
#include "components.h"
#include "earlier_lines.h"
#include "frmActivity.h"
#include "log_naming.h"
#include "process_memory.h"
#include "stall_probe.h"
#include "test_server.h"

namespace {

// The window's earlier lines of a file of about `bytes`: how long until the
// list holds the newest million, the longest stall, and the memory they took.
void EarlierOf(const std::vector<std::string>& lines, std::uint64_t bytes) {
    constexpr activity::LocalDate kDay{2026, 12, 6};
    TestServer server;
    server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
    const std::string name = activity::ActiveFileName("", "SMTP", kDay);
    const auto log = server.LocalLogDir() / name.substr(name.rfind('\\') + 1);
    std::uint64_t written = 0;
    {
        std::string block;
        for (const std::string& line : lines) block += line + "\r\n";
        std::ofstream out(log, std::ios::binary);
        while (written < bytes) {
            out << block;
            written += block.size();
        }
    }
    QMdiArea area;
    area.resize(800, 600);
    auto* w = new frmActivity(*activity::FindComponent("SMTP"));
    w->SetClock([] { return kDay; });
    w->Initialise();
    w->AddTo(&area)->show();
    area.show();
    QCoreApplication::processEvents();
    auto* model = w->findChild<ActivityModel*>();
    auto* list = w->findChild<QListView*>(QStringLiteral("lstActivity"));

    {  // the same lines without a window, for comparison
        activity::ActivityFollower f("SMTP", activity::SettingsBranch::Connectors, nullptr);
        f.SetClock([] { return kDay; });
        f.Initialise();
        activity::EarlierLines e(f.Listing());
        activity::EntryBatch b;
        QElapsedTimer c;
        c.start();
        std::size_t n = 0;
        while (n < 1'000'000 && e.ReadSlice(activity::kSliceBytes, b)) n += b.size();
        std::printf("  %.0f MiB day file: the core alone reads the newest %zu in %.0f ms\n",
                    double(written) / (1 << 20), n, double(c.nsecsElapsed()) / 1e6);
    }
    const std::size_t before = ResidentBytes();
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    w->LoadEarlierLines();
    while (model->rowCount() < int(model->MaxEntries()) && t.elapsed() < 60'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    list->viewport()->repaint();
    const double grown = double(ResidentBytes() - before);
    std::printf(
        "  %.0f MiB day file: newest %d earlier entries listed in %.0f ms; longest stall "
        "%.1f ms; memory %.2fx their text\n",
        double(written) / (1 << 20), model->rowCount(), ms, probe.WorstMs(),
        grown / double(model->TextBytes()));
    delete w;
    std::filesystem::remove(log);
}

}  // namespace

void BenchEarlier(const std::vector<std::string>& lines) {
    std::printf("earlier lines:\n");
    // The large file first, while the heap is fresh, for its memory figure.
    EarlierOf(lines, std::uint64_t{4} << 30);
    EarlierOf(lines, std::uint64_t{400} << 20);
}
