// The monitor as a user runs it, on the simulated server as a real process:
// what the server writes shows in the seven windows, and the prefix is left
// exactly as the server left it.
#include <sys/stat.h>

#include <QtTest>
#include <QtWidgets>
#include <filesystem>
#include <map>
#include <span>
#include <sstream>

#include "MDIMain.h"
#include "app_icons.h"
#include "frmActivity.h"
#include "journal.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;  // path -> state or bytes

// What the window of `component` lists.
QStringList Rows(const MDIMain* frame, const std::string& component) {
    QStringList rows;
    for (const frmActivity* window : frame->findChildren<frmActivity*>()) {
        const auto* model = window->findChild<QAbstractItemView*>("lstActivity")->model();
        for (int row = 0; window->ServiceName == component && row < model->rowCount(); ++row) {
            rows << model->index(row, 0).data().toString();
        }
    }
    return rows;
}

// What a writer could change of each entry under `root`, links taken as they
// are: its inode and mode, and but for a folder, whose times follow the logs
// made in it, its ctime, which any write, chmod, rename or touch moves on.
Entries Snapshot(const fs::path& root) {
    Entries entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        std::ostringstream state;
        state << st.st_ino << ' ' << st.st_mode;
        if (!S_ISDIR(st.st_mode)) state << ' ' << st.st_ctim.tv_sec << '.' << st.st_ctim.tv_nsec;
        entries[fs::relative(entry, root)] = state.str();
    }
    return entries;
}

}  // namespace

class EndToEnd : public QObject {
    Q_OBJECT

  private slots:
    void MonitorListsWhatTheServerWritesAndTouchesNothing();
};

void EndToEnd::MonitorListsWhatTheServerWritesAndTouchesNothing() {
    QTemporaryDir scratch;
    const QString prefix = scratch.filePath("prefix");
    const QString journal = scratch.filePath("journal");

    // The server is up and has written a little before the monitor starts.
    QCOMPARE(QProcess::execute(QV_SIMSERVER, {"--lines", "4", "--rate", "0", "--seed", "11",
                                              "--journal", journal, prefix}),
             0);
    qputenv("WINEPREFIX", prefix.toUtf8());
    Entries untouched = Snapshot(prefix.toStdString());
    const std::size_t earlier = sim::ReadJournal(journal.toStdString()).size();

    // As main() does.
    QApplication::setApplicationName(QString::fromLatin1(MDIMain::kAppTitle));
    QApplication::setWindowIcon(FrameIcon());
    QPointer<MDIMain> frame = new MDIMain;
    frame->show();
    QTRY_COMPARE(frame->findChildren<frmActivity*>().size(), 7);

    // Lines arrive over a few ticks, some of them in pieces.
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QV_SIMSERVER,
                 {"--lines", "120", "--rate", "40", "--seed", "12", "--journal", journal, prefix});
    QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
    QCOMPARE(server.exitCode(), 0);
    const std::vector<sim::JournalEntry> all = sim::ReadJournal(journal.toStdString());
    QCOMPARE(all.size(), earlier + 120 * 7);
    std::map<std::string, QStringList> expected;
    int shortLines = 0;
    for (const sim::JournalEntry& e : std::span(all).subspan(earlier)) {
        const QString text = QString::fromStdString(e.text);
        if (text.size() > 10) expected[e.component] << text;
        shortLines += text.size() <= 10;
    }
    QVERIFY(shortLines > 0);  // or the test would prove nothing about them
    // Within a few ticks of the last line, every window lists exactly the
    // long lines written since it started, in order.
    for (const auto& [name, rows] : expected) {
        QTRY_COMPARE_WITH_TIMEOUT(Rows(frame, name), rows, 10000);
    }
    frame->close();
    QTRY_VERIFY(frame.isNull());

    // The logs hold what the server wrote and nothing else; no other entry of
    // the prefix was created, changed or removed.
    Entries logs, after = Snapshot(prefix.toStdString());
    for (const sim::JournalEntry& e : all) {
        logs[fs::relative(e.path, prefix.toStdString())] += sim::EncodeCp1252(e.text) + "\r\n";
    }
    for (const auto& [path, bytes] : logs) {
        QFile file(prefix + "/" + QString::fromStdString(path));
        QVERIFY2(file.open(QIODevice::ReadOnly) && file.readAll().toStdString() == bytes,
                 path.c_str());
        untouched.erase(path);
        after.erase(path);
    }
    for (const auto& [path, state] : after) {
        QVERIFY2(untouched[path] == state, ("created or changed: " + path).c_str());
    }
    QCOMPARE(after.size(), untouched.size());  // or some entry was removed
}

QTEST_MAIN(EndToEnd)
#include "e2e_monitor.moc"
