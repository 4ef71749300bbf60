#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

#include "activity_model.h"
#include "entry_batch.h"
#include "ui_test_support.h"

namespace {

const QString kSmtpCaption = QStringLiteral("SMTP-Quorvane Service Activity");

std::string Line(int n) {
    char text[64];
    std::snprintf(text, sizeof text, "activity line %06d of the test log", n);
    return text;
}

std::string Lines(int first, int count) {
    std::string log;
    log.reserve(std::size_t(count) * (Line(0).size() + 2));
    for (int n = first; n < first + count; ++n) log += Line(n) + "\r\n";
    return log;
}

QStringList Expected(int first, int count) {
    QStringList out;
    for (int n = first; n < first + count; ++n) out << QString::fromStdString(Line(n));
    return out;
}

QListView* List(const frmActivity* w) {
    return Control<QListView>(w, "lstActivity");
}

ActivityModel* Model(const frmActivity* w) {
    return qobject_cast<ActivityModel*>(List(w)->model());
}

void Click(const frmActivity* w, const char* button) {
    QTest::mouseClick(Control<QPushButton>(w, button), Qt::LeftButton);
}

// Activity windows in a workspace of their own, following the SMTP log of a
// throwaway server on a fixed day.
class Host {
  public:
    Host() {
        server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
        area.resize(800, 600);
        area.show();
    }

    frmActivity* Open(QPoint at = {0, 0}) {
        auto* w = new frmActivity;
        w->ServiceName = "SMTP";
        w->ServiceType = 0;
        w->SetClock([] { return kToday; });
        w->Initialise();
        QMdiSubWindow* frame = w->AddTo(&area);
        frame->move(at);
        frame->show();
        return w;
    }

    std::filesystem::path Log() const { return LogPath(server, "SMTP"); }

    TestServer server;
    QMdiArea area;
};

}  // namespace

class TestActivityWindow : public QObject {
    Q_OBJECT

  private slots:
    void cleanup();
    void loadsWithItsCaptionTimerAndFixedLayout();
    void listsNewLinesWithoutScrollingOrSelecting();
    void pauseHoldsLinesUntilTheFirstTickAfterResume();
    void clearWhilePausedStaysPausedAndKeepsThePosition();
    void detailBoxShowsTheSelectedEntryWhole();
    void slicedScansStayInOrderAndPauseStopsThem();
    void theCapDropsTheOldestEntries();
};

void TestActivityWindow::cleanup() {
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::allWidgets().isEmpty(), 5000);
}

void TestActivityWindow::loadsWithItsCaptionTimerAndFixedLayout() {
    Host host;
    auto* w = new frmActivity;
    w->ServiceName = "SMTP";
    w->Initialise();
    QMdiSubWindow* frame = w->AddTo(&host.area);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quorvane Service Activity"));
    QVERIFY(!Following(w));

    frame->show();
    QCOMPARE(w->windowTitle(), kSmtpCaption);
    QCOMPARE(frame->windowTitle(), kSmtpCaption);
    QVERIFY(Following(w));
    QCOMPARE(Control<QTimer>(w, "Timer1")->interval(), 3000);
    QCOMPARE(StatusText(w), QStringLiteral("&Pause"));
    QCOMPARE(Control<QPushButton>(w, "CmdClear")->text(), QStringLiteral("&Clear"));

    // Twips at 15 to the pixel; the list is wider than the client area, as drawn.
    QCOMPARE(w->size(), QSize(605, 196));
    QListView* list = List(w);
    QCOMPARE(list->geometry(), QRect(0, 0, 609, 160));
    QCOMPARE(Control<QPushButton>(w, "CmdClear")->geometry(), QRect(0, 168, 65, 25));
    QCOMPARE(Control<QPushButton>(w, "CmdStatus")->geometry(), QRect(72, 168, 65, 25));
    QVERIFY(QTest::qWaitForWindowActive(&host.area));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Control<QPushButton>(w, "CmdClear"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Control<QPushButton>(w, "CmdStatus"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(list->uniformItemSizes());

    // A fixed dialog border with a close box and an icon.
    const Qt::WindowFlags flags = frame->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(frame->minimumSize(), frame->maximumSize());
    QVERIFY(!frame->windowIcon().isNull());
    QVERIFY(!frame->windowIcon().pixmap(32).isNull());

    // Screen readers reach the entries and the buttons.
    activity::EntryBatch batch;
    batch.Append("a line feed\ninside one entry");
    batch.Append("the second entry of the list");
    Model(w)->Append(batch);
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list);
    QVERIFY(view);
    QCOMPARE(view->role(), QAccessible::List);
    QCOMPARE(view->childCount(), 2);
    QCOMPARE(view->child(1)->text(QAccessible::Name),
             QStringLiteral("the second entry of the list"));
    QCOMPARE(view->child(0)->text(QAccessible::Name),
             QStringLiteral("a line feed inside one entry"));
    QCOMPARE(QAccessible::queryAccessibleInterface(Control<QPushButton>(w, "CmdStatus"))
                 ->text(QAccessible::Name),
             QStringLiteral("Pause"));
    // A row is one line: the line feed shows as a symbol, the entry keeps it.
    QCOMPARE(Model(w)->index(0, 0).data().toString(),
             QStringLiteral("a line feed\u240Ainside one entry"));
    QCOMPARE(Entries(w).first(), QStringLiteral("a line feed\ninside one entry"));
}

void TestActivityWindow::listsNewLinesWithoutScrollingOrSelecting() {
    Host host;
    AppendText(host.Log(), Lines(0, 3));  // before the start: never listed
    frmActivity* w = host.Open();
    SetScanInterval(w, 50);

    AppendText(host.Log(), Line(3) + "\r\nshort line\r\n\r\n" + Line(4) + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Entries(w), Expected(3, 2), 10000);

    QListView* list = List(w);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(Model(w)->index(1, 0)).center());
    QCOMPARE(list->selectionModel()->selectedIndexes(), QModelIndexList{Model(w)->index(1, 0)});

    AppendText(host.Log(), Lines(5, 60));
    QTRY_COMPARE_WITH_TIMEOUT(Entries(w), Expected(3, 62), 10000);
    QCOMPARE(list->selectionModel()->selectedIndexes(), QModelIndexList{Model(w)->index(1, 0)});
    QVERIFY(list->verticalScrollBar()->maximum() > 0);
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QCOMPARE(list->indexAt(QPoint(5, 5)).row(), 0);
}

void TestActivityWindow::pauseHoldsLinesUntilTheFirstTickAfterResume() {
    Host host;
    frmActivity* paused = host.Open({0, 0});
    frmActivity* reference = host.Open({0, 260});  // shows when the ticks have read
    SetScanInterval(paused, 50);
    SetScanInterval(reference, 50);

    Click(paused, "CmdStatus");
    QCOMPARE(StatusText(paused), QStringLiteral("&Resume"));
    QVERIFY(!Following(paused));
    const std::int64_t position = paused->ReadPosition();

    AppendText(host.Log(), Lines(0, 2) + "tiny\r\n" + Line(2) + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(Entries(reference), Expected(0, 3), 10000);
    QCOMPARE(Entries(paused), QStringList());
    QCOMPARE(paused->ReadPosition(), position);

    Click(paused, "CmdStatus");
    QCOMPARE(StatusText(paused), QStringLiteral("&Pause"));
    QVERIFY(Following(paused));
    QCOMPARE(Entries(paused), QStringList());  // nothing before the next tick
    QTRY_COMPARE_WITH_TIMEOUT(Entries(paused), Expected(0, 3), 10000);
}

void TestActivityWindow::clearWhilePausedStaysPausedAndKeepsThePosition() {
    Host host;
    frmActivity* w = host.Open();
    SetScanInterval(w, 50);
    AppendText(host.Log(), Lines(0, 2));
    QTRY_COMPARE_WITH_TIMEOUT(Entries(w), Expected(0, 2), 10000);

    Click(w, "CmdStatus");
    AppendText(host.Log(), Line(2) + "\r\n");
    const std::int64_t position = w->ReadPosition();
    Click(w, "CmdClear");
    QCOMPARE(Entries(w), QStringList());
    QCOMPARE(StatusText(w), QStringLiteral("&Resume"));
    QVERIFY(!Following(w));
    QCOMPARE(w->ReadPosition(), position);

    // Cleared lines stay gone; what came during the pause follows.
    Click(w, "CmdStatus");
    QTRY_COMPARE_WITH_TIMEOUT(Entries(w), Expected(2, 1), 10000);
}

void TestActivityWindow::detailBoxShowsTheSelectedEntryWhole() {
    Host host;
    frmActivity* w = host.Open();
    const std::string plain = "the first entry of the list";
    const std::string markup = "<b>markup stays text</b> & so do <i>tags</i>";
    std::string wide;
    while (wide.size() < 30000) wide += "0123456789";
    activity::EntryBatch batch;
    batch.Append(plain);
    batch.Append(markup);
    batch.Append(wide);
    Model(w)->Append(batch);
    QListView* list = List(w);
    const auto rowCentre = [&](int row) {
        return list->visualRect(Model(w)->index(row, 0)).center();
    };

    struct Seen {
        QString title, text, scrolled;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        qsizetype buttonCount = 0;
        Qt::TextFormat format = Qt::AutoText;
        Qt::TextInteractionFlags interaction;
        bool fitsScreen = false;
    };
    Seen seen;
    const auto inspect = [&seen](QWidget* modal) {
        seen = Seen();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.buttonCount = box->buttons().size();
        seen.format = box->textFormat();
        seen.interaction = box->textInteractionFlags();
        if (auto* view = box->findChild<QPlainTextEdit*>()) seen.scrolled = view->toPlainText();
        seen.fitsScreen = box->screen()->availableGeometry().contains(box->frameGeometry());
    };

    // No entry selected: a double-click below the entries shows the empty text.
    WhenModal(inspect);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       QPoint(40, list->viewport()->height() - 5));
    QCOMPARE(seen.title, kSmtpCaption + QStringLiteral(" (Detail)"));
    QCOMPARE(seen.text, QString());
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.buttonCount, 1);

    WhenModal(inspect);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QCOMPARE(seen.title, kSmtpCaption + QStringLiteral(" (Detail)"));
    QCOMPARE(seen.text, QString::fromStdString(markup));
    QCOMPARE(seen.format, Qt::PlainText);
    QVERIFY(seen.interaction & Qt::TextSelectableByMouse);
    QVERIFY(seen.interaction & Qt::TextSelectableByKeyboard);
    QVERIFY(seen.fitsScreen);

    // Enter opens it too; a line too big for the screen scrolls inside it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(2));
    WhenModal(inspect);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(seen.text, QString::fromStdString(wide));
    QCOMPARE(seen.scrolled, QString::fromStdString(wide));
    QVERIFY(seen.fitsScreen);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(plain));
}

void TestActivityWindow::slicedScansStayInOrderAndPauseStopsThem() {
    Host host;
    frmActivity* paused = host.Open({0, 0});
    frmActivity* reference = host.Open({0, 260});
    SetScanInterval(paused, 1);
    SetScanInterval(reference, 1);

    // Several slices' worth, arriving at once as after a long pause.
    constexpr int kCount = 150'000;
    AppendText(host.Log(), Lines(0, kCount));

    // Pause from the event loop once the first slice is listed, while the
    // rest of the scan waits there.
    int atPause = -1;
    connect(
        Model(paused), &QAbstractItemModel::rowsInserted, paused,
        [&atPause, paused] {
            if (atPause >= 0) return;
            Click(paused, "CmdStatus");
            atPause = Model(paused)->rowCount();
        },
        Qt::QueuedConnection);

    QTRY_COMPARE_WITH_TIMEOUT(Model(reference)->rowCount(), kCount, 30000);
    QCOMPARE(Entries(reference), Expected(0, kCount));
    QVERIFY(atPause > 0);
    QVERIFY(atPause < kCount);
    QCOMPARE(Model(paused)->rowCount(), atPause);

    Click(paused, "CmdStatus");
    QTRY_COMPARE_WITH_TIMEOUT(Model(paused)->rowCount(), kCount, 30000);
    QCOMPARE(Entries(paused), Expected(0, kCount));
}

void TestActivityWindow::theCapDropsTheOldestEntries() {
    const auto batchOf = [](std::initializer_list<const char*> entries) {
        activity::EntryBatch batch;
        for (const char* e : entries) batch.Append(e);
        return batch;
    };
    const auto rows = [](const ActivityModel& m) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r) out << QString::fromUtf8(m.Entry(std::size_t(r)));
        return out;
    };

    ActivityModel model(nullptr, 4, 40);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.Append(batchOf({"aaaaaaaa1", "aaaaaaaa2", "aaaaaaaa3"}));
    model.Append(batchOf({"bbbbbbbb1", "bbbbbbbb2"}));
    // One insertion per batch; the oldest leave first, in one removal.
    QCOMPARE(rows(model), QStringList({"aaaaaaaa2", "aaaaaaaa3", "bbbbbbbb1", "bbbbbbbb2"}));
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), 0);
    QCOMPARE(removed.at(0).at(2).toInt(), 0);
    QCOMPARE(inserted.at(1).at(1).toInt(), 2);
    QCOMPARE(inserted.at(1).at(2).toInt(), 3);
    QCOMPARE(model.TextBytes(), std::size_t{36});

    // The text cap: 40 bytes hold two of these 15-byte entries and a 9.
    model.Append(batchOf({"ccccccccccccc01", "ccccccccccccc02"}));
    QCOMPARE(rows(model), QStringList({"bbbbbbbb2", "ccccccccccccc01", "ccccccccccccc02"}));
    QCOMPARE(model.TextBytes(), std::size_t{39});

    // A batch over the caps by itself leaves only its newest entries.
    model.Append(
        batchOf({"d1 ........", "d2 ........", "d3 ........", "d4 ........", "d5 ........"}));
    QCOMPARE(rows(model), QStringList({"d3 ........", "d4 ........", "d5 ........"}));
    // An entry over the text cap alone is still listed.
    const std::string huge(100, 'h');
    model.Append(batchOf({huge.c_str()}));
    QCOMPARE(rows(model), QStringList({QString::fromStdString(huge)}));

    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.TextBytes(), std::size_t{0});

    // Many small scans across many storage blocks, at the entry cap.
    ActivityModel big(nullptr, 10'000, std::size_t{1} << 30);
    int next = 0;
    for (int scan = 0; scan < 3000; ++scan) {
        activity::EntryBatch batch;
        for (int i = 0; i < 7; ++i) batch.Append(Line(next++));
        big.Append(batch);
    }
    QCOMPARE(big.rowCount(), 10'000);
    for (const int row : {0, 1, 4095, 4096, 5000, 9999}) {
        QCOMPARE(QString::fromUtf8(big.Entry(std::size_t(row))),
                 QString::fromStdString(Line(next - 10'000 + row)));
    }
    QCOMPARE(big.TextBytes(), std::size_t{10'000} * Line(0).size());
    QVERIFY(big.MemoryBytes() < big.TextBytes() * 3 / 2);
}

int RunActivityWindowTests(int argc, char** argv) {
    TestActivityWindow tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_activity_window.moc"
