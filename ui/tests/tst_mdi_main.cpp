#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <algorithm>

#include "MDIMain.h"
#include "activity_model.h"
#include "entry_batch.h"
#include "ui_test_support.h"

namespace {

struct Row {
    const char* name;
    int type;
    const char* key;  // below the server's settings root
};

constexpr Row kRows[] = {
    {"HTTPMAIL", 1, "Services\\HTTPMAIL"},
    {"LS", 0, "Connectors\\LS"},
    {"MTA", 3, "Agents\\MTA"},
    {"POP", 1, "Services\\POP"},
    {"POPC", 0, "Connectors\\"},
    {"SMTP", 0, "Connectors\\SMTP"},
    {"SF", 0, "Connectors\\SF"},
};

QString Caption(const char* name) {
    return QString::fromLatin1(name) + QStringLiteral("-Quorvane Service Activity");
}

// The application's frame on a throwaway server whose components each have a
// directory of their own, so that each window shows which settings it read.
class Frame {
  public:
    explicit Frame(bool settings = true) {
        if (settings) {
            for (const Row& row : kRows) {
                server.SetDirectory(row.key, std::string("C:\\Logs\\") + row.name);
            }
        }
        frame = new MDIMain;
        frame->show();
    }
    ~Frame() {
        if (frame) frame->close();
    }

    QMdiArea* Workspace() const { return frame->findChild<QMdiArea*>(); }
    QList<QMdiSubWindow*> Children() const {
        return Workspace()->subWindowList(QMdiArea::CreationOrder);
    }
    frmActivity* Window(int i) const {
        return qobject_cast<frmActivity*>(Children().at(i)->widget());
    }
    QList<QPointer<frmActivity>> Windows() const {
        QList<QPointer<frmActivity>> out;
        for (int i = 0; i < Children().size(); ++i) out << Window(i);
        return out;
    }
    QMenu* Menu(const char* name) const { return Control<QMenu>(frame, name); }
    QStringList Statuses() const {
        QStringList out;
        for (int i = 0; i < Children().size(); ++i) out << StatusText(Window(i));
        return out;
    }
    QList<qsizetype> Counts() const {
        QList<qsizetype> out;
        for (int i = 0; i < Children().size(); ++i) out << Entries(Window(i)).size();
        return out;
    }
    // Opens a menu of the bar by its Alt key, as a user would.
    bool OpenMenu(Qt::Key key, const char* name) const {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        return QTest::qWaitFor([&] { return QApplication::activePopupWidget() == Menu(name); });
    }

    TestServer server;
    QPointer<MDIMain> frame;
};

bool AllGone(const QList<QPointer<frmActivity>>& windows) {
    return std::all_of(windows.begin(), windows.end(), [](const auto& w) { return w.isNull(); });
}

// Records, as each activity window is first shown, what start-up had done.
class ShowRecorder final : public QObject {
  public:
    QStringList shown;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<frmActivity*>(watched);
        if (w && event->type() == QEvent::Show && !seen_.contains(w)) {
            seen_ << w;
            const QWidgetList all = QApplication::allWidgets();
            const auto alive = std::count_if(all.cbegin(), all.cend(), [](QWidget* x) {
                return qobject_cast<frmActivity*>(x) != nullptr;
            });
            shown << QStringLiteral("%1 %2 %3 alive=%4")
                         .arg(QString::fromStdString(w->ServiceName))
                         .arg(w->ServiceType)
                         .arg(QString::fromStdString(w->LoggingDirectory()))
                         .arg(alive);
        }
        return false;
    }

  private:
    QList<QObject*> seen_;
};

}  // namespace

class TestMainFrame : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();
    void startUpBuildsSevenWindowsInOrder();
    void withoutSettingsEveryWindowStillOpens();
    void acceleratorsActOnTheActiveWindowOnly();
    void windowListChecksTheActiveWindowAndActivatesTheChosen();
    void closingEveryChildLeavesTheFrame();
    void exitAndTheCloseBoxCloseEverything();
    void aboutShowsTheProductName();
};

void TestMainFrame::cleanup() {
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::allWidgets().isEmpty(), 5000);
}

void TestMainFrame::startUpBuildsSevenWindowsInOrder() {
    ShowRecorder recorder;
    qApp->installEventFilter(&recorder);
    Frame f;
    qApp->removeEventFilter(&recorder);
    QVERIFY(QTest::qWaitForWindowActive(f.frame));

    // Each one set up, initialised and shown before the next is made.
    QCOMPARE(recorder.shown, QStringList({
                                 "HTTPMAIL 1 C:\\Logs\\HTTPMAIL alive=1",
                                 "LS 0 C:\\Logs\\LS alive=2",
                                 "MTA 3 C:\\Logs\\MTA alive=3",
                                 "POP 1 C:\\Logs\\POP alive=4",
                                 "POPC 0 C:\\Logs\\POPC alive=5",
                                 "SMTP 0 C:\\Logs\\SMTP alive=6",
                                 "SF 0 C:\\Logs\\SF alive=7",
                             }));
    const QList<QMdiSubWindow*> children = f.Children();
    QCOMPARE(children.size(), 7);
    for (int i = 0; i < 7; ++i) {
        frmActivity* w = f.Window(i);
        QVERIFY(w);
        QCOMPARE(w->ServiceName, std::string(kRows[i].name));
        QCOMPARE(children.at(i)->windowTitle(), Caption(kRows[i].name));
        QVERIFY(!w->LoadHistoricData);
        QVERIFY(Following(w));
        QVERIFY(!children.at(i)->windowIcon().isNull());
    }
    QCOMPARE(f.Workspace()->activeSubWindow(), children.last());

    QCOMPARE(f.frame->windowTitle(), QStringLiteral("Quorvane Real Time Activity Monitor"));
    QVERIFY(!f.frame->windowIcon().isNull());
    QCOMPARE(f.Workspace()->size(), QSize(679, 483));
    QCOMPARE(f.Workspace()->background(), f.Workspace()->palette().brush(QPalette::Dark));

    QStringList menus;
    for (QAction* a : f.frame->menuBar()->actions()) menus << a->text();
    QCOMPARE(menus, QStringList({"&File", "&Windows", "&Help"}));
    QCOMPARE(f.Menu("mnuFile")->actions().size(), 1);
    QCOMPARE(Control<QAction>(f.frame, "mnuFileExit")->text(), QStringLiteral("E&xit"));
    QCOMPARE(f.Menu("mnuHelp")->actions().size(), 1);
    QCOMPARE(Control<QAction>(f.frame, "mnuHelpAbout")->text(), QStringLiteral("&About"));
    QVERIFY(f.Menu("menuWindows")->actions().isEmpty());
}

void TestMainFrame::withoutSettingsEveryWindowStillOpens() {
    Frame f(false);
    QVERIFY(QTest::qWaitForWindowExposed(f.frame));
    QCOMPARE(f.Children().size(), 7);
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(f.Children().at(i)->windowTitle(), Caption(kRows[i].name));
        QCOMPARE(f.Window(i)->LoggingDirectory(), std::string());
        QCOMPARE(Entries(f.Window(i)), QStringList());
    }
}

void TestMainFrame::acceleratorsActOnTheActiveWindowOnly() {
    Frame f;
    QVERIFY(QTest::qWaitForWindowActive(f.frame));
    for (int i = 0; i < 7; ++i) {
        activity::EntryBatch batch;
        batch.Append("one entry in every window");
        qobject_cast<ActivityModel*>(Control<QListView>(f.Window(i), "lstActivity")->model())
            ->Append(batch);
    }
    // A button's accelerator clicks it a moment later, as a visible press.
    const auto press = [](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
    };
    const QString P = QStringLiteral("&Pause");
    const QString R = QStringLiteral("&Resume");

    QVERIFY(f.Children().last()->isAncestorOf(QApplication::focusWidget()));
    press(Qt::Key_P);
    QTRY_COMPARE(f.Statuses(), QStringList({P, P, P, P, P, P, R}));
    QVERIFY(!Following(f.Window(6)));
    press(Qt::Key_C);
    QTRY_COMPARE(f.Counts(), QList<qsizetype>({1, 1, 1, 1, 1, 1, 0}));

    // SMTP, by a click on its list where SF does not cover it.
    QTest::mouseClick(Control<QListView>(f.Window(5), "lstActivity")->viewport(), Qt::LeftButton,
                      {}, QPoint(3, 60));
    QTRY_COMPARE(f.Workspace()->activeSubWindow(), f.Children().at(5));
    press(Qt::Key_P);
    QTRY_COMPARE(f.Statuses(), QStringList({P, P, P, P, P, R, R}));
    press(Qt::Key_R);
    QTRY_COMPARE(f.Statuses(), QStringList({P, P, P, P, P, P, R}));
    press(Qt::Key_R);  // following already: nothing to resume
    press(Qt::Key_C);
    QTRY_COMPARE(f.Counts(), QList<qsizetype>({1, 1, 1, 1, 1, 0, 0}));
    QCOMPARE(f.Statuses(), QStringList({P, P, P, P, P, P, R}));
}

void TestMainFrame::windowListChecksTheActiveWindowAndActivatesTheChosen() {
    Frame f;
    QVERIFY(QTest::qWaitForWindowActive(f.frame));
    QMenu* menu = f.Menu("menuWindows");
    const auto checked = [menu] {
        QList<bool> out;
        for (QAction* a : menu->actions()) out << a->isChecked();
        return out;
    };

    QVERIFY(f.OpenMenu(Qt::Key_W, "menuWindows"));
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    QStringList expected;
    for (int i = 0; i < 7; ++i)
        expected << QStringLiteral("&%1 %2").arg(i + 1).arg(Caption(kRows[i].name));
    QCOMPARE(items, expected);
    QCOMPARE(checked(), QList<bool>({false, false, false, false, false, false, true}));

    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->actions().at(3)).center());
    QTRY_COMPARE(f.Workspace()->activeSubWindow(), f.Children().at(3));
    QTRY_VERIFY(!QApplication::activePopupWidget());

    QVERIFY(f.OpenMenu(Qt::Key_W, "menuWindows"));
    QCOMPARE(menu->actions().size(), 7);
    QCOMPARE(checked(), QList<bool>({false, false, false, true, false, false, false}));
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

void TestMainFrame::closingEveryChildLeavesTheFrame() {
    Frame f;
    QVERIFY(QTest::qWaitForWindowActive(f.frame));
    const QList<QPointer<frmActivity>> windows = f.Windows();
    for (QMdiSubWindow* child : f.Children()) QVERIFY(child->close());
    QTRY_VERIFY(AllGone(windows));
    QVERIFY(f.frame);
    QVERIFY(f.frame->isVisible());
    QVERIFY(f.Children().isEmpty());

    QVERIFY(f.OpenMenu(Qt::Key_W, "menuWindows"));
    QVERIFY(f.Menu("menuWindows")->actions().isEmpty());
    QTest::keyClick(f.Menu("menuWindows"), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(f.frame);
}

void TestMainFrame::exitAndTheCloseBoxCloseEverything() {
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(f.frame));
        const QList<QPointer<frmActivity>> windows = f.Windows();
        QVERIFY(f.OpenMenu(Qt::Key_F, "mnuFile"));
        QTest::keyClick(f.Menu("mnuFile"), Qt::Key_X);
        QTRY_VERIFY(!f.frame);
        QVERIFY(AllGone(windows));
    }
    {
        Frame f;
        QVERIFY(QTest::qWaitForWindowActive(f.frame));
        const QList<QPointer<frmActivity>> windows = f.Windows();
        QVERIFY(f.frame->close());
        QTRY_VERIFY(!f.frame);
        QVERIFY(AllGone(windows));
    }
}

void TestMainFrame::aboutShowsTheProductName() {
    Frame f;
    QVERIFY(QTest::qWaitForWindowActive(f.frame));
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Information;
    qsizetype buttons = 0;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
    });
    QVERIFY(f.OpenMenu(Qt::Key_H, "mnuHelp"));
    QTest::keyClick(f.Menu("mnuHelp"), Qt::Key_A);
    QTRY_COMPARE(title, QStringLiteral("QVActivityMonitor"));
    QCOMPARE(text, QStringLiteral("Quorvane Activity Monitor (Beta 1)"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(buttons, 1);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

int RunMainFrameTests(int argc, char** argv) {
    TestMainFrame tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_mdi_main.moc"
