// The application on Windows (or Wine) as a user runs it: the frame as main()
// builds it, the server's settings written by reg.exe, the logs by another
// Windows process in code page 1252, and each window checked from inside.
#include <QtTest>
#include <QtWidgets>

#include "MDIMain.h"
#include "components.h"
#include "log_naming.h"
#include "support/frame_rows.h"
#include "test_server.h"

namespace {

QString Name(const activity::Component& c) {
    return QString::fromLatin1(c.name.data(), qsizetype(c.name.size()));
}

// Runs a Windows program and returns its exit code (-1 when it did not run).
int Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int Append(const QString& file, const QByteArray& bytes, const QByteArray& repeated = {},
           int times = 0, const QByteArray& after = {}) {
    QStringList args = {"append", file, bytes.toHex()};
    if (times > 0) args << repeated.toHex() + '*' + QByteArray::number(times) << after.toHex();
    return Run(QV_WIN_FILE_OP, args);
}

// Every file and folder under `root`, with the size of each file.
QStringList Tree(const QString& root) {
    QStringList tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree << info.filePath() + (info.isDir() ? "/" : " " + QString::number(info.size()));
    }
    tree.sort();
    return tree;
}

// The frame, started after the server's settings are written with reg.exe:
// "type|data[|more reg.exe arguments]" by component, none for no setting. A
// folder named by a string setting is made unless its name ends with '-'.
struct Monitor {
    bool Start(const QMap<QString, QString>& settings) {
        for (const auto& c : activity::kComponents) {
            const QStringList s = settings.value(Name(c)).split('|');
            if (s.size() < 2) continue;
            QString key = "HKLM\\" + QString::fromStdString(SettingsKey(c.name, c.branch));
            if (key.endsWith('\\')) key.chop(1);
            const QString folder = QString(s[1]).replace(
                "%QV_E2E_LOGS%", QString::fromLocal8Bit(qgetenv("QV_E2E_LOGS")));
            if (s[0].endsWith("SZ") && !folder.endsWith('-')) QDir().mkpath(folder);
            QStringList add = {"add", key, "/v", "Activity Log Directory", "/t", s[0], "/f", "/d"};
            if (Run("reg.exe", add << s.mid(1)) != 0) return false;
            files[Name(c)] = QString::fromStdString(activity::ActiveFileName(
                folder.toStdString(), c.name, activity::SystemLocalDate()));
        }
        frame->show();
        return QTest::qWaitForWindowExposed(frame) &&
               frame->findChildren<frmActivity*>().size() == 7;
    }
    ~Monitor() { delete frame; }

    TestServer server;             // the registry's keys are ours until the end
    QMap<QString, QString> files;  // each component's day file
    QPointer<MDIMain> frame = new MDIMain;
};

}  // namespace

class EndToEndWindows : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        // The 32-bit view's copy is ours too; the 64-bit keys go with TestServer.
        Run("reg.exe", {"delete", "HKLM\\SOFTWARE\\Quor Vane", "/f", "/reg:32"});
    }

    void followsSevenLogsWrittenByAnotherProcess() {
        const QString root = QDir::toNativeSeparators(QDir::tempPath()) + "\\qv-e2e";
        QDir(root).removeRecursively();
        // MTA's folder names a variable of the monitor's environment; SMTP's setting
        // is only in the 32-bit view; HTTPMAIL's folder is not ASCII.
        qputenv("QV_E2E_LOGS", (root + "\\Logs").toLocal8Bit());
        const QString logs = "REG_SZ|" + root + "\\Logs";
        Monitor m;
        QVERIFY(m.Start({{"HTTPMAIL", "REG_SZ|" + root + "\\Accès Web"},
                         {"LS", logs},
                         {"MTA", "REG_EXPAND_SZ|%QV_E2E_LOGS%"},
                         {"POP", logs},
                         {"POPC", "REG_SZ|" + root + "\\POPC Logs"},
                         {"SMTP", logs + "|/reg:32"},
                         {"SF", logs}}));

        // Each component's day file, made after the frame started, "café €" in code
        // page 1252, and one line finished by a later write.
        QMap<QString, QStringList> expected;
        for (const auto& c : activity::kComponents) {
            QCOMPARE(
                Append(m.files[Name(c)], "12:00:01 " + Name(c).toLatin1() + " caf\xE9 \x80\r\n"),
                0);
            expected[Name(c)] << "12:00:01 " + Name(c) + QStringLiteral(" café €");
        }
        QCOMPARE(Append(m.files["SMTP"], "12:00:02 a line "), 0);
        for (const auto& c : activity::kComponents)
            QTRY_COMPARE_WITH_TIMEOUT(Rows(m.frame, c.name), expected[Name(c)], 20000);
        QCOMPARE(Append(m.files["SMTP"], "finished later\r\n"), 0);
        expected["SMTP"] << "12:00:02 a line finished later";
        QTRY_COMPARE_WITH_TIMEOUT(Rows(m.frame, "SMTP"), expected["SMTP"], 20000);

        // The monitor never holds a log against the server: renamed and deleted as it
        // follows, and a new one made in its place is followed from its first line.
        QCOMPARE(Run(QV_WIN_FILE_OP, {"rename", m.files["SMTP"], m.files["SMTP"] + ".old"}), 0);
        QCOMPARE(Run(QV_WIN_FILE_OP, {"delete", m.files["SMTP"] + ".old"}), 0);
        QCOMPARE(Append(m.files["SMTP"], "12:00:03 a new file\r\n"), 0);
        expected["SMTP"] << "12:00:03 a new file";
        QTRY_COMPARE_WITH_TIMEOUT(Rows(m.frame, "SMTP"), expected["SMTP"], 20000);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QDir(root).removeRecursively();
    }

    // What a broken server or machine puts where the monitor looks costs only the
    // windows concerned: no dialog, nothing written, the others go on.
    void badInputCostsOnlyItsOwnWindow() {
        const QString root = QDir::toNativeSeparators(QDir::tempPath()) + "\\qv-e2e-bad";
        QDir(root).removeRecursively();
        Monitor m;
        QVERIFY(m.Start({{"HTTPMAIL", "REG_SZ|" + root + "\\missing-"},
                         {"LS", "REG_SZ|" + root + "\\LS"},         // its day file a folder
                         {"MTA", "REG_SZ|\\\\.\\pipe\\qv-e2e-"},    // a pipe's name space
                         {"POP", "REG_SZ|" + root + "\\POP"},       // a line of 200,000 bytes
                         {"POPC", "REG_DWORD|1"},                   // not a string
                         {"SMTP", "REG_SZ|" + root + "\\SMTP"}}));  // SF: no setting at all
        QVERIFY(QDir().mkpath(QDir::fromNativeSeparators(m.files["LS"])));
        QCOMPARE(Append(m.files["POP"], "12:00:01 ", "x", 200'000, "\r\n12:00:02 after it\r\n"), 0);
        QCOMPARE(Append(m.files["SMTP"], "12:00:01 still going\r\n"), 0);
        const QStringList before = Tree(root);

        const QString line = "12:00:01 " + QString(200'000, 'x');
        const QStringList pop = {line.left(65536), line.mid(65536, 65536), line.mid(131072, 65536),
                                 line.mid(196608), "12:00:02 after it"};
        QTRY_COMPARE_WITH_TIMEOUT(Rows(m.frame, "POP"), pop, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(Rows(m.frame, "SMTP"), QStringList{"12:00:01 still going"},
                                  20000);
        for (const char* quiet : {"HTTPMAIL", "LS", "MTA", "POPC", "SF"})
            QCOMPARE(Rows(m.frame, quiet), QStringList());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(Tree(root), before);
        QDir(root).removeRecursively();
    }
};

QTEST_MAIN(EndToEndWindows)
#include "e2e_win.moc"
