// The monitor as a user runs it, on the simulated server as a real process:
// what the server writes shows in the seven windows, and the prefix is left
// exactly as the server left it.
#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "MDIMain.h"
#include "app_icons.h"
#include "frmActivity.h"
#include "journal.h"
#include "prefix_snapshot.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

const QStringList kComponents = {"HTTPMAIL", "LS", "MTA", "POP", "POPC", "SMTP", "SF"};

QStringList Rows(const frmActivity* window) {
    const auto* list = window->findChild<QAbstractItemView*>(QStringLiteral("lstActivity"));
    QStringList rows;
    if (!list || !list->model()) return rows;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        rows << model->data(model->index(row, 0)).toString();
    }
    return rows;
}

// A log file as the prefix's own path, the way the snapshot names it.
std::string InPrefix(const std::string& path, const fs::path& prefix) {
    return fs::relative(fs::canonical(path), fs::canonical(prefix)).string();
}

}  // namespace

class EndToEnd : public QObject {
    Q_OBJECT

  private slots:
    void MonitorListsWhatTheServerWritesAndTouchesNothing();
};

void EndToEnd::MonitorListsWhatTheServerWritesAndTouchesNothing() {
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const fs::path prefix = fs::path(scratch.path().toStdString()) / "prefix";
    const QString before = scratch.filePath(QStringLiteral("before.journal"));
    const QString during = scratch.filePath(QStringLiteral("during.journal"));

    // The server is up and has written a little before the monitor starts.
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral(QV_SIMSERVER),
                 {"--lines", "4", "--rate", "0", "--seed", "11", "--journal", before,
                  QString::fromStdString(prefix.string())});
    QVERIFY(server.waitForFinished(30000));
    QCOMPARE(server.exitCode(), 0);
    qputenv("WINEPREFIX", QByteArray::fromStdString(prefix.string()));
    const Snapshot untouched = TakeSnapshot(prefix);

    // As main() does.
    QApplication::setApplicationName(QString::fromLatin1(MDIMain::kAppTitle));
    QApplication::setWindowIcon(FrameIcon());
    QPointer<MDIMain> frame = new MDIMain;
    frame->show();
    QTRY_COMPARE(frame->findChildren<frmActivity*>().size(), kComponents.size());
    std::map<QString, frmActivity*> windows;
    for (frmActivity* w : frame->findChildren<frmActivity*>()) {
        windows[QString::fromStdString(w->ServiceName)] = w;
        QVERIFY2(!w->LoggingDirectory().empty(), w->ServiceName.c_str());
    }
    for (const QString& name : kComponents) QVERIFY2(windows.contains(name), qPrintable(name));

    // Lines arrive over a few ticks, some of them in pieces.
    server.start(QStringLiteral(QV_SIMSERVER),
                 {"--lines", "120", "--rate", "40", "--seed", "12", "--journal", during,
                  QString::fromStdString(prefix.string())});
    QVERIFY(server.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);

    const std::vector<sim::JournalEntry> earlier = sim::ReadJournal(before.toStdString());
    const std::vector<sim::JournalEntry> written = sim::ReadJournal(during.toStdString());
    QCOMPARE(written.size(), std::size_t{120} * 7);
    std::map<QString, QStringList> expected;
    int shortLines = 0;
    for (const sim::JournalEntry& e : written) {
        const QString text = QString::fromStdString(e.text);
        if (text.size() > 10) {
            expected[QString::fromStdString(e.component)] << text;
        } else {
            ++shortLines;
        }
    }
    QVERIFY(shortLines > 0);  // or the test would prove nothing about them

    // Within a few 3-second ticks of the last line, every window lists
    // exactly the long lines written since it started, in order.
    for (const QString& name : kComponents) {
        QVERIFY2(!expected[name].isEmpty(), qPrintable(name));
        QTRY_COMPARE_WITH_TIMEOUT(Rows(windows[name]), expected[name], 10000);
    }

    frame->close();
    QTRY_VERIFY(frame.isNull());

    // No entry of the prefix was created, changed or removed but the logs,
    // which hold what the server wrote and nothing else.
    std::map<std::string, std::string> logs;
    for (const auto* journal : {&earlier, &written}) {
        for (const sim::JournalEntry& e : *journal) {
            logs[InPrefix(e.path, prefix)] += sim::EncodeCp1252(e.text) + "\r\n";
        }
    }
    const Snapshot after = TakeSnapshot(prefix);
    std::set<std::string> grown;  // folders that gained a log (a new day came)
    for (const auto& [path, bytes] : logs) {
        QFile file(QString::fromStdString((prefix / path).string()));
        QVERIFY2(file.open(QIODevice::ReadOnly), path.c_str());
        QVERIFY2(file.readAll().toStdString() == bytes, path.c_str());
        if (!untouched.contains(path)) grown.insert(fs::path(path).parent_path().string());
    }
    for (const auto& [path, state] : untouched) {
        QVERIFY2(after.contains(path), ("removed: " + path).c_str());
        if (logs.contains(path)) continue;
        EntryState now = after.at(path);
        if (grown.contains(path)) {
            now.modified = state.modified;
            now.changed = state.changed;
        }
        QVERIFY2(now == state, ("changed: " + path).c_str());
    }
    for (const auto& [path, state] : after) {
        QVERIFY2(untouched.contains(path) || logs.contains(path), ("created: " + path).c_str());
    }
}

QTEST_MAIN(EndToEnd)
#include "e2e_monitor.moc"
