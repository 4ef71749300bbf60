// The monitor as a user runs it, on the simulated server as a real process:
// what the server writes shows in the seven windows. That it writes nothing
// there is no_write.sh's to show, under strace.
#include <QtTest>
#include <QtWidgets>
#include <map>
#include <span>

#include "MDIMain.h"
#include "journal.h"
#include "support/frame_rows.h"

class EndToEnd : public QObject {
    Q_OBJECT

  private slots:
    void MonitorListsWhatTheServerWrites();
};

void EndToEnd::MonitorListsWhatTheServerWrites() {
    QTemporaryDir scratch;
    const QString prefix = scratch.filePath("prefix");
    const QString journal = scratch.filePath("journal");

    // The server is up and has written a little before the monitor starts.
    QCOMPARE(QProcess::execute(QV_SIMSERVER, {"--lines", "4", "--rate", "0", "--seed", "11",
                                              "--journal", journal, prefix}),
             0);
    qputenv("WINEPREFIX", prefix.toUtf8());
    const std::size_t earlier = sim::ReadJournal(journal.toStdString()).size();

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
    for (const sim::JournalEntry& e : std::span(all).subspan(earlier)) {
        const QString text = QString::fromStdString(e.text);
        if (text.size() > 10) expected[e.component] << text;
    }
    // Within a few ticks of the last line, every window lists exactly the
    // long lines written since it started, in order.
    for (const auto& [name, rows] : expected)
        QTRY_COMPARE_WITH_TIMEOUT(Rows(frame, name), rows, 10000);
    frame->close();
    QTRY_VERIFY(frame.isNull());
}

QTEST_MAIN(EndToEnd)
#include "e2e_monitor.moc"
