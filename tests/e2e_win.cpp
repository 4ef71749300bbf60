// The application on Windows (or Wine) as a user runs it: the frame as main()
// builds it, the server's settings written by reg.exe, the logs by another
// Windows process in code page 1252, and each window checked from inside.
#include <QtTest>
#include <QtWidgets>

#include "MDIMain.h"
#include "components.h"
#include "frmActivity.h"
#include "log_naming.h"
#include "test_server.h"

namespace {

QStringList Rows(const MDIMain* frame, std::string_view component) {
    QStringList rows;
    for (const frmActivity* window : frame->findChildren<frmActivity*>()) {
        const auto* model = window->findChild<QAbstractItemView*>("lstActivity")->model();
        for (int row = 0; window->ServiceName == component && row < model->rowCount(); ++row) {
            rows << model->index(row, 0).data().toString();
        }
    }
    return rows;
}

// Runs a Windows program and returns its exit code (-1 when it did not run).
int Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int FileOp(const QStringList& arguments) {
    return Run(QStringLiteral(QV_WIN_FILE_OP), arguments);
}

QString Native(const std::string& utf8) {
    return QDir::toNativeSeparators(QString::fromStdString(utf8));
}

}  // namespace

class EndToEndWindows : public QObject {
    Q_OBJECT

  private slots:
    void cleanupTestCase() {
        // The 32-bit view's copy is ours too; the server's own 64-bit keys go with TestServer.
        Run("reg.exe", {"delete", "HKLM\\SOFTWARE\\Quor Vane", "/f", "/reg:32"});
    }

    void followsSevenLogsWrittenByAnotherProcess() {
        TestServer server;
        const QString root = Native(server.WindowsLogDir());
        // MTA's folder names a variable of the monitor's environment; SMTP's setting
        // is only in the 32-bit view; HTTPMAIL's folder is not ASCII.
        qputenv("QV_E2E_LOGS", (root + "\\Logs").toLocal8Bit());
        const QMap<QString, QStringList> kSettings = {
            {"HTTPMAIL", {"REG_SZ", root + "\\Accès Web"}},
            {"MTA", {"REG_EXPAND_SZ", "%QV_E2E_LOGS%"}},
            {"POPC", {"REG_SZ", root + "\\POPC Logs"}},
            {"SMTP", {"REG_SZ", root + "\\Logs", "/reg:32"}},
        };
        for (const auto& c : activity::kComponents) {
            QString key =
                "HKLM\\" + QString::fromStdString(activity::SettingsKey(c.name, c.branch));
            if (key.endsWith('\\')) key.chop(1);
            const QStringList s = kSettings.value(QString::fromLatin1(c.name.data(), c.name.size()),
                                                  {"REG_SZ", root + "\\Logs"});
            QDir().mkpath(s[1].startsWith('%') ? root + "\\Logs" : s[1]);
            QCOMPARE(Run("reg.exe", QStringList{"add", key, "/v", "Activity Log Directory", "/t",
                                                s[0], "/d", s[1], "/f"} +
                                        s.mid(2)),
                     0);
        }

        QPointer<MDIMain> frame = new MDIMain;
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QCOMPARE(frame->findChildren<frmActivity*>().size(), 7);

        // Each component's day file, made after the frame started, in the folder the
        // settings name; "café €" in code page 1252, and one line finished later.
        const activity::LocalDate today = activity::SystemLocalDate();
        QMap<std::string_view, QString> files;
        QMap<std::string_view, QStringList> expected;
        for (const auto& c : activity::kComponents) {
            const QString name = QString::fromLatin1(c.name.data(), c.name.size());
            const QString dir = kSettings.value(name, {"", root + "\\Logs"})[1];
            files[c.name] = Native(activity::ActiveFileName(
                (dir.startsWith('%') ? root + "\\Logs" : dir).toStdString(), c.name, today));
            const QByteArray line = "12:00:01 " + name.toLatin1() + " caf\xE9 \x80 entry\r\n";
            QCOMPARE(FileOp({"append", files[c.name], line.toHex()}), 0);
            expected[c.name] << "12:00:01 " + name + QStringLiteral(" café € entry");
        }
        QCOMPARE(FileOp({"append", files["SMTP"], QByteArray("12:00:02 a line ").toHex()}), 0);
        for (const auto& c : activity::kComponents)
            QTRY_COMPARE_WITH_TIMEOUT(Rows(frame, c.name), expected[c.name], 20000);
        QCOMPARE(FileOp({"append", files["SMTP"], QByteArray("finished later\r\n").toHex()}), 0);
        expected["SMTP"] << "12:00:02 a line finished later";
        QTRY_COMPARE_WITH_TIMEOUT(Rows(frame, "SMTP"), expected["SMTP"], 20000);

        // The monitor never holds a log against the server: renamed and deleted as it
        // follows, and a new one made in its place is followed from its first line.
        QCOMPARE(FileOp({"rename", files["SMTP"], files["SMTP"] + ".old"}), 0);
        QCOMPARE(FileOp({"delete", files["SMTP"] + ".old"}), 0);
        QCOMPARE(FileOp({"append", files["SMTP"], QByteArray("12:00:03 a new file\r\n").toHex()}),
                 0);
        expected["SMTP"] << "12:00:03 a new file";
        QTRY_COMPARE_WITH_TIMEOUT(Rows(frame, "SMTP"), expected["SMTP"], 20000);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        delete frame;
    }
};

QTEST_MAIN(EndToEndWindows)
#include "e2e_win.moc"
