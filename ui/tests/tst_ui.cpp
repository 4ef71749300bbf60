#include <QtTest>
#include <QtWidgets>

#include <fstream>
#include <type_traits>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include "MDIMain.h"
#include "activity_list_view.h"
#include "activity_model.h"
#include "command_line.h"
#include "components.h"
#include "filter_model.h"
#include "find_dialog.h"
#include "form_layout.h"
#include "frmActivity.h"
#include "highlights.h"
#include "highlights_dialog.h"
#include "log_naming.h"
#include "modConfig.h"
#include "row_text.h"
#include "test_server.h"
#include "work_queue.h"

namespace {

const QString kCaption = QStringLiteral("-Quorvane Service Activity");
constexpr activity::LocalDate kToday{2026, 12, 6};
QStringList Lines(int first, int count) {
    QStringList out;
    for (int n = first; n < first + count; ++n) out << QString("log line %1").arg(n, 24);
    return out;
}
activity::EntryBatch Batch(const QStringList& entries) {
    activity::EntryBatch batch;
    for (const QString& e : entries) batch.Append(e.toStdString());
    return batch;
}
QStringList Rows(const ActivityModel* m) {
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r) out << QString::fromUtf8(m->Entry(std::size_t(r)));
    return out;
}

// The filter's rows, each checked against its source row, or why they differ
// from the source's rows that contain `text` as QString finds it, case aside.
QString FilterMismatch(const FilterModel& f, const ActivityModel& source) {
    QStringList rows, expected;
    for (int r = 0; r < f.rowCount(); ++r) {
        const QString text = f.index(r).data().toString();
        const auto seq = f.index(r).data(ActivityModel::kSeqRole).toULongLong();
        if (source.index(int(seq - source.FirstSeq())).data() != text)
            return QStringLiteral("row %1 maps wrong").arg(r);
        rows << text;
    }
    for (const QString& row : Rows(&source))
        if (row.contains(f.Text(), Qt::CaseInsensitive)) expected << row;
    return rows == expected
               ? QString()
               : QStringLiteral("%1 rows, not %2").arg(rows.size()).arg(expected.size());
}

// A window's controls, found by name as any client would.
QListView* List(const QObject* w) {
    return w->findChild<QListView*>();
}
ActivityModel* Model(const QObject* w) {
    return w->findChild<ActivityModel*>();
}
// What the list shows, filtered or not.
QStringList Shown(const QObject* w) {
    QStringList out;
    for (int r = 0; r < List(w)->model()->rowCount(); ++r)
        out << List(w)->model()->index(r, 0).data().toString();
    return out;
}
// The status button, whether the timer runs, and how many entries are listed.
QString State(const QObject* w) {
    const bool on = w->findChild<QTimer*>("Timer1")->isActive();
    return w->findChild<QPushButton*>("CmdStatus")->text() + (on ? " on " : " off ") +
           QString::number(Model(w)->rowCount());
}

// Once a modal box shows, hands it to `inspect`; then clicks a message box's OK button.
template <typename Box = QMessageBox>
void WhenModal(std::type_identity_t<std::function<void(Box*)>> inspect, int tries = 1000) {
    QTimer::singleShot(10, [inspect, tries] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        if (!box) return tries > 0 ? WhenModal<Box>(inspect, tries - 1) : void();
        inspect(box);
        if constexpr (std::is_same_v<Box, QMessageBox>) box->button(QMessageBox::Ok)->click();
    });
}

// Appends CRLF lines to `name`'s log of `day` in the server's folder.
void AppendLog(const TestServer& server, const char* name, activity::LocalDate day,
               const QStringList& lines) {
    const std::string file = activity::ActiveFileName("", name, day);
    std::ofstream(server.LocalLogDir() / file.substr(file.rfind('\\') + 1),
                  std::ios::binary | std::ios::app)
        << (lines.join("\r\n") + "\r\n").toStdString();
}

// Activity windows in a workspace of their own, following the SMTP log of a
// throwaway server on a fixed day, as often as they can.
struct Host {
    frmActivity* Open() {
        server.SetDirectory("Connectors\\SMTP", server.WindowsLogDir());
        area.show();
        auto* w = new frmActivity(*activity::FindComponent("SMTP"));
        w->SetClock([] { return kToday; });
        w->Initialise();
        w->AddTo(&area)->show();
        w->findChild<QTimer*>("Timer1")->setInterval(1);
        return w;
    }
    void Append(const QStringList& lines) const { AppendLog(server, "SMTP", kToday, lines); }
    TestServer server;
    QMdiArea area;
};

// The application's frame on a throwaway server whose components each have a
// directory of their own, so that each window shows which settings it read.
struct Frame {
    explicit Frame(bool settings = true) {
        if (settings) {
            for (const auto& c : activity::kComponents)
                SetFolder(c.name, "C:\\Logs\\" + std::string(c.name));
        }
    }
    void SetFolder(std::string_view name, const std::string& folder) {
        const activity::Component* c = activity::FindComponent(name);
        const std::string key = activity::SettingsKey(c->name, c->branch);
        server.SetDirectory(key.substr(activity::kSettingsRoot.size()), folder);
    }
    ~Frame() { delete frame; }
    bool Show() const {
        frame->show();
        frame->activateWindow();  // again after a popup: offscreen leaves none active
        return QTest::qWaitForWindowActive(frame);
    }
    QMdiArea* Workspace() const { return frame->findChild<QMdiArea*>(); }
    QList<QMdiSubWindow*> Children() const { return Workspace()->subWindowList(); }
    QStringList States() const {
        QStringList out;
        for (QMdiSubWindow* child : Children()) out << State(child);
        return out;
    }
    // Opens a menu of the bar by its Alt key, as a user would, and reads its items,
    // the checked one marked.
    QStringList Menu(Qt::Key key, const char* name) const {
        if (!Show()) return {"inactive"};
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        auto* menu = frame->findChild<QMenu*>(name);
        if (!QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; })) return {};
        QStringList out = {"open"};
        for (QAction* a : menu->actions()) out << a->text() + (a->isChecked() ? "*" : "");
        return out;
    }
    TestServer server;
    QPointer<MDIMain> frame = new MDIMain;
};

// The rules as "text/colour", "!" for an alert.
QString RulesOf(const Highlights& h) {
    QStringList out;
    for (const activity::HighlightRule& r : h.Rules().Rules())
        out << QString::fromStdString(r.text) + "/" + QString::number(r.colour) +
                   (r.alert ? "!" : "");
    return out.join(", ");
}

// How many pixels of `row` in the list's viewport have exactly `colour`, and the colour at
// its right end, where no text reaches.
struct RowPixels {
    int count = 0;
    QColor end;
};
RowPixels Painted(QListView* list, int row, const QColor& colour) {
    const QImage image = list->viewport()->grab().toImage();
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    RowPixels out{0, image.pixelColor(rect.right() - 2, rect.center().y())};
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            out.count += image.pixelColor(x, y).rgb() == colour.rgb();
    return out;
}

// Where a row's ink (darker than any tint) lies in `image`, in pixels from the row's top left,
// -1 where there is none: its top and bottom, left and right, the right of its black (the
// text outside the marks), and the left and right of the tint `tint`.
enum InkAt { kInkTop, kInkBottom, kInkLeft, kInkRight, kBlackRight, kTintLeft, kTintRight };
std::array<int, 7> InkOf(const QImage& image, const QRect& row, const QColor& tint) {
    std::array<int, 7> out;
    out.fill(-1);
    const auto widen = [&out](InkAt low, InkAt high, int at) {
        out[low] = out[low] < 0 ? at : std::min(out[low], at);
        out[high] = std::max(out[high], at);
    };
    for (int y = 0; y < row.height(); ++y) {
        for (int x = 0; x < row.width(); ++x) {
            const QRgb pixel = image.pixel(row.left() + x, row.top() + y);
            if (qGray(pixel) < 128) {
                widen(kInkLeft, kInkRight, x);
                widen(kInkTop, kInkBottom, y);
            }
            if (std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) < 100)
                out[kBlackRight] = std::max(out[kBlackRight], x);
            if (pixel == tint.rgb()) widen(kTintLeft, kTintRight, x);
        }
    }
    return out;
}

}  // namespace

class TestWindows : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QTRY_VERIFY_WITH_TIMEOUT(QApplication::allWidgets().isEmpty(), 5000); }

    void pauseResumeAndClear_data() {
        QTest::addColumn<bool>("clear");
        QTest::newRow("pause, resume") << false;
        QTest::newRow("clear while paused") << true;
    }
    // A burst of more than a slice's worth, as after a long pause: `w` pauses from the event
    // loop once its first slice is listed, while the rest of its scan waits there.
    void pauseResumeAndClear() {
        QFETCH(bool, clear);
        constexpr int kCount = 150'000;
        Host host;
        frmActivity* w = host.Open();
        frmActivity* reference = host.Open();  // shows when the ticks have read
        host.Append(Lines(0, 1) + QStringList{"short line", ""} + Lines(1, 1));
        QTRY_VERIFY(Rows(Model(w)) == Lines(0, 2) && Rows(Model(reference)) == Lines(0, 2));
        QListView* list = List(reference);
        QTest::keyClick(list, Qt::Key_Down);  // the first entry
        QTest::keyClick(list, Qt::Key_Down);  // the second
        int atPause = -1;
        const auto pause = [&] {
            if (atPause >= 0) return;
            QTest::mouseClick(w->findChild<QPushButton*>("CmdStatus"), Qt::LeftButton);
            atPause = Model(w)->rowCount();
        };
        connect(Model(w), &QAbstractItemModel::rowsInserted, w, pause, Qt::QueuedConnection);
        host.Append(Lines(2, kCount));
        QTRY_COMPARE_WITH_TIMEOUT(Model(reference)->rowCount(), kCount + 2, 30000);
        QCOMPARE(Rows(Model(reference)), Lines(0, kCount + 2));
        // New lines neither scroll the list nor move its selection.
        QCOMPARE(list->selectionModel()->selectedRows(), {Model(reference)->index(1)});
        QVERIFY(list->verticalScrollBar()->maximum() > 0 && list->indexAt({5, 5}).row() == 0);

        QVERIFY(atPause > 2 && atPause < kCount);
        if (clear) QTest::mouseClick(w->findChild<QPushButton*>("CmdClear"), Qt::LeftButton);
        const QString count = QString::number(clear ? 0 : atPause);
        QCOMPARE(State(w), "&Resume off " + count);
        w->SetFilter("LOG LINE");  // pausing stops the scan only
        QTRY_COMPARE(List(w)->model()->rowCount(), Model(w)->rowCount());
        w->SetFilter("");
        w->parentWidget()->hide();  // as when the frame is minimised: shown again, still paused
        w->parentWidget()->show();
        QCOMPARE(State(w), "&Resume off " + count);
        QTest::mouseClick(w->findChild<QPushButton*>("CmdStatus"), Qt::LeftButton);
        QCOMPARE(State(w), "&Pause on " + count);  // nothing before the next tick
        const int first = clear ? atPause : 0;
        QTRY_COMPARE_WITH_TIMEOUT(Model(w)->rowCount(), kCount + 2 - first, 30000);
        QCOMPARE(Rows(Model(w)), Lines(first, kCount + 2 - first));
        // A fixed frame with an icon of its own; rows of one height, laid out without measuring.
        QCOMPARE(w->parentWidget()->minimumSize(), w->parentWidget()->maximumSize());
        QVERIFY(!w->parentWidget()->windowIcon().isNull() && list->uniformItemSizes());
        // The controls lie side by side in the window (the list runs past its right edge,
        // as it was drawn), none over another.
        const QList<QWidget*> controls = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (const QWidget* a : controls) {
            QVERIFY2(w->rect().contains(a->geometry().topLeft()), qPrintable(a->objectName()));
            for (const QWidget* b : controls)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " " + b->objectName()));
        }
    }

    void detailBoxAndCopy_data() {
        // Even rows: selected by a click, opened by Enter. Odd rows: a double-click, which
        // selects too; -1 double-clicks below the rows, where nothing is selected.
        QTest::addColumn<int>("row");
        QTest::newRow("nothing selected") << -1;
        QTest::newRow("line feed kept, Enter") << 0;
        QTest::newRow("markup stays text") << 1;
        QTest::newRow("huge line scrolls, keypad Enter") << 2;
    }
    void detailBoxAndCopy() {
        QFETCH(int, row);
        Host host;
        frmActivity* w = host.Open();
        const QStringList entries = {"a line feed\ninside one entry",
                                     "<b>markup</b> & <i>tags</i> stay text", QString(30000, u'7')};
        Model(w)->Append(Batch(entries));
        // A row is one line: a line feed shows as a symbol, screen readers hear a space.
        QCOMPARE(Model(w)->index(0).data().toString(), "a line feed\u240Ainside one entry");
        QCOMPARE(QAccessible::queryAccessibleInterface(List(w))->child(0)->text(QAccessible::Name),
                 "a line feed inside one entry");

        QStringList seen;
        WhenModal([&seen](QMessageBox* box) {
            auto* view = box->findChild<QPlainTextEdit*>();
            const auto keys = (view ? view->textInteractionFlags() : box->textInteractionFlags());
            const bool plain =
                box->textFormat() == Qt::PlainText && keys.testFlag(Qt::TextSelectableByKeyboard);
            const bool fits = box->screen()->availableGeometry().contains(box->frameGeometry());
            seen = QStringList{box->windowTitle(), box->text(), view ? view->toPlainText() : "none",
                               plain ? "plain" : "rich", fits ? "fits" : "too big"};
        });
        QListView* list = List(w);
        const QPoint at = row >= 0 ? list->visualRect(Model(w)->index(row)).center()
                                   : QPoint(40, list->viewport()->height() - 5);
        if (row % 2 == 0) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (row == 0) QTest::keyClick(list, Qt::Key_Return);
        if (row == 2) QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        if (row % 2 != 0) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        const QString selected = entries.value(row);
        QCOMPARE(seen, QStringList({"SMTP" + kCaption + " (Detail)", selected,
                                    row == 2 ? selected : "none", "plain", "fits"}));

        // Ctrl+C copies the selected entry, or leaves the clipboard be.
        QGuiApplication::clipboard()->setText("before");
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), row >= 0 ? selected : "before");
    }

    // Edit > Highlights... by its keys and buttons: each edit reaches the frame's rules at once,
    // which every window's list shows; a refusal says why and changes nothing.
    void highlightsDialog() {
        Frame f;
        QVERIFY(f.Show());
        Highlights* h = f.frame->GetHighlights();
        f.frame->OpenFind("x", QDate::currentDate());
        QTRY_COMPARE(f.Children().size(), 8);
        for (QMdiSubWindow* child : f.Children())
            QCOMPARE(child->widget()->findChild<ActivityListView*>()->HighlightsShown(), h);
        QSignalSpy changed(h, &Highlights::Changed);

        QStringList seen;
        WhenModal<HighlightsDialog>([&](HighlightsDialog* d) {
            auto* text = d->findChild<QLineEdit*>("txtRule");
            auto* colour = d->findChild<QComboBox*>("cboColour");
            auto* rules = d->findChild<QListWidget*>("lstRules");
            const auto click = [d](const char* name) {
                QTest::mouseClick(d->findChild<QPushButton*>(name), Qt::LeftButton);
            };
            const auto pick = [rules](int row) {
                QTest::mouseClick(rules->viewport(), Qt::LeftButton, {},
                                  rules->visualItemRect(rules->item(row)).center());
            };
            const auto note = [&] {
                seen << RulesOf(*h) + " | " + d->findChild<QLabel*>("lblMessage")->text();
            };
            // Typed, a colour by the arrow key, Alert by the space bar, added by Enter.
            QTest::keyClicks(text, "error");
            QTest::keyClick(colour, Qt::Key_Down);
            QTest::keyClick(d->findChild<QCheckBox*>("chkAlert"), Qt::Key_Space);
            QTest::keyClick(text, Qt::Key_Return);
            QTest::keyClick(d->findChild<QCheckBox*>("chkAlert"), Qt::Key_Space);
            QTest::keyClicks(text, "smtp");
            click("CmdAdd");
            seen << text->text() + ":" + QString::number(rules->count());
            note();
            // Refused: nothing typed, another rule's text case aside, 10,000 characters.
            click("CmdAdd");
            note();
            QTest::keyClicks(text, "SMTP");
            click("CmdAdd");
            note();
            QGuiApplication::clipboard()->setText(QString(10000, u'x'));
            QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
            click("CmdAdd");
            note();
            // The second rule up, then down again; the buttons follow the place.
            pick(1);
            seen << text->text();
            click("CmdUp");
            seen << QString("%1 up %2")
                        .arg(rules->currentRow())
                        .arg(d->findChild<QPushButton*>("CmdUp")->isEnabled());
            note();
            click("CmdDown");
            note();
            // Changed in place; then refused as another rule's text.
            pick(0);
            QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(text, "warn");
            QTest::keyClick(colour, Qt::Key_Down);
            QTest::keyClick(colour, Qt::Key_Down);
            click("CmdChange");
            note();
            QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(text, "Smtp");
            click("CmdChange");
            note();
            pick(1);
            click("CmdRemove");
            seen << QString::number(rules->count()) + " " + rules->item(0)->text();
            d->reject();
        });
        f.frame->findChild<QAction*>("mnuEditHighlights")->trigger();
        QCOMPARE(seen, QStringList({
                           ":2",
                           "error/1!, smtp/1 | ",
                           "error/1!, smtp/1 | Type the text to highlight.",
                           "error/1!, smtp/1 | Another rule already has this text.",
                           "error/1!, smtp/1 | The text is too long: at most 1,000 characters.",
                           "smtp",
                           "0 up 0",
                           "smtp/1, error/1! | ",
                           "error/1!, smtp/1 | ",
                           "warn/3!, smtp/1 | ",
                           "warn/3!, smtp/1 | Another rule already has this text.",
                           "1 warn (alert)",
                       }));
        QCOMPARE(changed.size(), 6);  // two adds, two moves, a change, a removal
    }

    // What a list paints: a row takes the tint of the first rule it matches, each occurrence
    // its rule's shade, the filter's text its own; the selected row stays the selection's; a
    // dark list takes the dark shades. The detail box shows the same marks.
    void highlightsPainted() {
        Host host;
        frmActivity* w = host.Open();
        Highlights h;
        auto* list = w->findChild<ActivityListView*>();
        list->SetHighlights(&h);
        Model(w)->Append(Batch({"error at smtp", "smtp only", "nothing", "\u00c9MILE \u00e9mile"}));
        // Neither the style's focus frame nor its hover shade over the rows looked at.
        w->findChild<QPushButton*>("CmdClear")->setFocus();
        QTest::mouseMove(list->viewport(), {5, 200});
        const QColor base = list->palette().color(QPalette::Base);
        QCOMPARE(Painted(list, 0, base).end, base);  // no rules, nothing marked

        int paints = 0;
        struct Count : QObject {
            int* n;
            explicit Count(int* to) : n(to) {}
            bool eventFilter(QObject*, QEvent* e) override {
                *n += e->type() == QEvent::Paint;
                return false;
            }
        } count(&paints);
        list->viewport()->installEventFilter(&count);
        h.Add({"smtp", 3, false});
        h.Add({"error", 0, false});
        h.Add({"\u00e9mile", 5, false});
        QTRY_VERIFY(paints > 0);  // the rules' change repaints
        const auto tint = [](int rule) { return Highlights::Tint(rule, false); };
        QCOMPARE(Painted(list, 0, tint(3)).end, tint(3));
        QVERIFY(Painted(list, 0, tint(0)).count > 20);  // "error" in its own shade
        QCOMPARE(Painted(list, 1, tint(3)).end, tint(3));
        QCOMPARE(Painted(list, 2, base).end, base);
        QCOMPARE(Painted(list, 3, tint(5)).end, tint(5));  // both, case aside
        // Marks in the line's UTF-16 units, past a letter of two units and one of two bytes.
        using Span = Highlights::Span;
        QCOMPARE(h.Marks("\U0001F600\u00c9MILE \u00e9mile", "MI"),
                 QList<Span>({{2, 7, 5}, {8, 13, 5}}));
        QCOMPARE(h.Marks("smtp mi", "MI"), QList<Span>({{0, 4, 3}, {5, 7, -2}}));

        // Order decides: "error" first colours the first row its way.
        paints = 0;
        h.Move(1, 0);
        QTRY_VERIFY(paints > 0);
        QCOMPARE(Painted(list, 0, tint(0)).end, tint(0));
        QVERIFY(Painted(list, 0, tint(3)).count > 20);
        QCOMPARE(Painted(list, 1, tint(3)).end, tint(3));

        // Selected: the selection's colours, no tint.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(Model(w)->index(0)).center());
        const QColor selection = list->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(Painted(list, 0, tint(0)).count, 0);
        // The Vista style draws a selection from the theme, not from the palette.
        QVERIFY(Painted(list, 0, selection).count > 0 || list->style()->name() == "windowsvista");

        // The filter's text gets its own marker; only the filter's rows are listed.
        w->SetFilter("at");
        QTRY_COMPARE(List(w)->model()->rowCount(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, {5, 200});  // below the rows
        list->clearSelection();
        QVERIFY(
            Painted(list, 0, Highlights::Tint(activity::HighlightRules::kFilterMark, false)).count >
            10);

        // The detail box: the entry as read, its marks as the list's.
        QStringList marks;
        WhenModal([&marks](QMessageBox* box) {
            auto* view = box->findChild<QPlainTextEdit*>("detailText");
            if (!view) return;
            marks << view->toPlainText();
            for (const QTextEdit::ExtraSelection& s : view->extraSelections())
                marks << QString("%1-%2 %3")
                             .arg(s.cursor.selectionStart())
                             .arg(s.cursor.selectionEnd())
                             .arg(s.format.background().color().name());
        });
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(List(w)->model()->index(0, 0)).center());
        QCOMPARE(marks, QStringList({"error at smtp", "0-5 " + tint(0).name(),
                                     "6-8 " + Highlights::Tint(-2, false).name(),
                                     "9-13 " + tint(3).name()}));

        // A dark list takes the dark shades.
        QPalette dark = list->palette();
        dark.setColor(QPalette::Base, QColor(0x2B2B2B));
        dark.setColor(QPalette::Text, QColor(0xE6E6E6));
        list->setPalette(dark);
        w->SetFilter("");
        QCOMPARE(Painted(list, 1, Highlights::Tint(3, true)).end, Highlights::Tint(3, true));
        list->viewport()->removeEventFilter(&count);
    }

    // Rows of plain characters are drawn from the font's glyphs, others shaped: each plain row
    // paints as its shaped twin (a zero-width space before it) does, so that neighbours of
    // either kind line up: its ink, its marks, the ellipsis of a long one and a mark the
    // ellipsis cuts. A row with a tab and Arabic has its mark on its text.
    void plainRowsPaintAsShaped() {
        Highlights h;
        h.Add({"smtp", 3, false});  // every row's tint, under the marks looked at
        h.Add({"error", 0, false});
        const QStringList plain = {
            "smtp error at the end: error",
            "smtp \u00c9mile Zo\u00eb <error> AVATAR To. Wa fi fl",
            "smtp [01234] error RCPT TO:<user42@mail7.example.com> " +
                QString("AVATAR To. error ").repeated(20),
            "smtp " + QString("error").repeated(60),
        };
        QStringList rows;
        for (const QString& text : plain) rows << text << "\u200b" + text;  // invisible
        rows << "smtp\t\u0645\u0631\u062d\u0628\u0627 error";
        ActivityModel model;
        model.Append(Batch(rows));
        ActivityListView list;
        list.setFocusPolicy(Qt::NoFocus);  // no focus frame over a row
        list.ShowModel(&model);
        list.SetHighlights(&h);
        list.resize(420, 300);
        list.show();
        const int last = int(rows.size()) - 1;
        QTRY_VERIFY(list.viewport()->rect().contains(list.visualRect(model.index(last))));

        RowText layout;  // the path each row takes
        QImage scratch(1, 1, QImage::Format_RGB32);
        QPainter painter(&scratch);
        // Another font before, as on a move to another screen: nothing of it stays.
        QFont big = list.font();
        big.setPixelSize(30);
        painter.setFont(big);
        layout.Layout(painter, plain[2], 400);
        painter.setFont(list.font());
        RowText fresh;
        fresh.Layout(painter, plain[2], 400);
        layout.Layout(painter, plain[2], 400);
        QCOMPARE(layout.Kept(), fresh.Kept());
        const QImage image = list.viewport()->grab().toImage();
        const QColor tint = Highlights::Tint(0, false);
        QStringList wrong;
        for (int row = 0; row < last; row += 2) {
            for (int twin : {0, 1}) {
                layout.Layout(painter, rows[row + twin], 400);
                if (layout.Shaped() != bool(twin))
                    wrong << QString("row %1's path").arg(row + twin);
            }
            const auto mine = InkOf(image, list.visualRect(model.index(row)), tint);
            const auto shaped = InkOf(image, list.visualRect(model.index(row + 1)), tint);
            // None up or down. Along a row, a pixel or two where harfbuzz kerns what the
            // font's kerning table does not, and one in a hundred more: the Windows font
            // engine's advances round apart from shaping's over a long row.
            for (std::size_t i = 0; i < mine.size(); ++i) {
                const int slack = i <= kInkBottom ? 0 : 2 + std::max(mine[i], shaped[i]) / 100;
                if (mine[i] >= 0 && std::abs(mine[i] - shaped[i]) <= slack) continue;
                QStringList both;
                for (std::size_t j = 0; j < mine.size(); ++j)
                    both << QString("%1/%2").arg(mine[j]).arg(shaped[j]);
                wrong << QString("row %1 ink and tint: %2").arg(row).arg(both.join(" "));
                break;
            }
        }
        // The tab's and the Arabic's row: its mark where its text is, after a space.
        const auto tab = InkOf(image, list.visualRect(model.index(last)), tint);
        if (tab[kBlackRight] < 0 || tab[kTintLeft] - tab[kBlackRight] > 8 ||
            tab[kTintLeft] < tab[kBlackRight])
            wrong << QString("row %1: text to %2, mark from %3")
                         .arg(last)
                         .arg(tab[kBlackRight])
                         .arg(tab[kTintLeft]);
        QCOMPARE(wrong.join("; "), QString());
    }

    void theCapsDropTheOldestEntries() {
        ActivityModel model(nullptr, 4, 40);
        QAbstractItemModelTester tester(&model);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.Append(Batch({"aaaaaaaa1", "aaaaaaaa2", "aaaaaaaa3"}));
        model.Append(Batch({"bbbbbbbb1", "bbbbbbbb2"}));
        // One insertion per batch; the oldest leave first, in one removal.
        QCOMPARE(Rows(&model), QStringList({"aaaaaaaa2", "aaaaaaaa3", "bbbbbbbb1", "bbbbbbbb2"}));
        QCOMPARE(removed, QList<QVariantList>({{QModelIndex(), 0, 0}}));
        QCOMPARE(inserted, QList<QVariantList>({{QModelIndex(), 0, 2}, {QModelIndex(), 2, 3}}));
        QCOMPARE(model.TextBytes(), std::size_t{36});

        // The text cap: 40 bytes hold two of these 15-byte entries and a 9.
        model.Append(Batch({"ccccccccccccc01", "ccccccccccccc02"}));
        QCOMPARE(Rows(&model), QStringList({"bbbbbbbb2", "ccccccccccccc01", "ccccccccccccc02"}));
        QCOMPARE(model.TextBytes(), std::size_t{39});
        // A batch over the caps by itself leaves only its newest entries...
        model.Append(Batch(Lines(0, 5)));
        QCOMPARE(Rows(&model), Lines(4, 1));
        // ...and an entry over the text cap alone is still listed.
        model.Append(Batch({QString(100, u'h')}));
        QCOMPARE(Rows(&model), QStringList({QString(100, u'h')}));
        model.Clear();
        QVERIFY(Rows(&model).isEmpty() && model.TextBytes() == 0);

        // Many small scans across many storage blocks, at the entry cap.
        ActivityModel big(nullptr, 10'000, std::size_t{1} << 30);
        for (int scan = 0; scan < 3000; ++scan) big.Append(Batch(Lines(scan * 7, 7)));
        QCOMPARE(Rows(&big), Lines(21'000 - 10'000, 10'000));
        QCOMPARE(big.TextBytes(), std::size_t(Lines(11'000, 10'000).join("").size()));

        // Older entries above the first: the newest that fit, by either cap, in rising numbers;
        // none once the oldest were dropped; after a Clear, numbers never given before.
        ActivityModel up(nullptr, 5, 50);
        QAbstractItemModelTester upTester(&up);
        up.Append(Batch({"cccccccc1", "cccccccc2"}));
        QCOMPARE(up.Prepend(Batch({"bbbbbbbb1", "bbbbbbbb2"})), std::size_t{2});
        QCOMPARE(up.Prepend(Batch({"aaaaaaaa1", "aaaaaaaa2", "aaaaaaaa3"})), std::size_t{1});
        QCOMPARE(Rows(&up),
                 QStringList({"aaaaaaaa3", "bbbbbbbb1", "bbbbbbbb2", "cccccccc1", "cccccccc2"}));
        for (int r = 0; r < 5; ++r)
            QCOMPARE(up.index(r).data(ActivityModel::kSeqRole).toULongLong(), up.FirstSeq() + r);
        const std::uint64_t given = up.EndSeq();
        up.Append(Batch({"dddddddd1"}));
        QCOMPARE(up.Prepend(Batch({"zzzzzzzz1"})), std::size_t{0});
        up.Clear();
        up.Append(Batch({QString(30, u'e')}));
        QCOMPARE(up.Prepend(Batch({QString(15, u'1'), QString(10, u'2'), QString(10, u'3')})),
                 std::size_t{2});
        QVERIFY(up.FirstSeq() > given && up.TextBytes() == 50);

        // Before it is first shown a window neither names its component nor scans.
        frmActivity unshown(activity::kComponents[0]);
        QCOMPARE(unshown.windowTitle() + State(&unshown), kCaption.mid(1) + "&Pause off 0");
    }

    void commandLine_data() {
        using A = CommandLine::Action;
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<A>("action");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("find");  // null: no search
        QTest::addColumn<QDate>("day");     // null: today
        const QString none;
        QTest::newRow("none") << QStringList{} << A::Run << "" << none << QDate();
        QTest::newRow("help") << QStringList{"-h", "--version"} << A::Help << "" << none << QDate();
        QTest::newRow("version") << QStringList{"--version"} << A::Version << "" << none << QDate();
        QTest::newRow("a mistake wins")
            << QStringList{"--bogus", "--help"} << A::Error << "" << none << QDate();
        QTest::newRow("argument") << QStringList{"x"} << A::Error << "" << none << QDate();
        // Only where the settings come from a Wine prefix.
        const A offered = A(QV_WINE_PREFIX_OPTION ? A::Run : A::Error);
        QTest::newRow("prefix") << QStringList{"--wine-prefix", "/a b"} << offered << "/a b" << none
                                << QDate();
        QTest::newRow("empty folder")
            << QStringList{"--wine-prefix="} << A::Error << "" << none << QDate();
        // A search of today's logs, or of a day's; the text as given.
        QTest::newRow("find today") << QStringList{"--find", " Émile "} << A::Run << ""
                                    << " Émile " << QDate();
        QTest::newRow("find on a leap day")
            << QStringList{"--day=2024-02-29", "--find=-x", "--find", "y"} << A::Run << ""
            << "y" << QDate(2024, 2, 29);
        QTest::newRow("help wins")
            << QStringList{"--find", "", "--help"} << A::Help << "" << none << QDate();
        for (const char* bad :
             {"2026-02-30", "2026-13-01", "2026-00-10", "0000-01-01", "yesterday", "", "2026-1-05",
              "2026-01-05 ", "+2026-01-05", "2026-01-05T00:00", "2026-01-0\u0665", "2026/01/05"}) {
            QTest::addRow("day '%s'", bad)
                << QStringList{"--find", "x", "--day", bad} << A::Error << "" << none << QDate();
        }
        QTest::newRow("day alone")
            << QStringList{"--day", "2026-01-05"} << A::Error << "" << none << QDate();
        QTest::newRow("empty text") << QStringList{"--find="} << A::Error << "" << none << QDate();
        QTest::newRow("no text") << QStringList{"--find"} << A::Error << "" << none << QDate();
    }
    void commandLine() {
        QFETCH(QStringList, args);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, prefix);
        QFETCH(QString, find);
        QFETCH(QDate, day);
        const QDate before = QDate::currentDate();
        const CommandLine line = ParseCommandLine(QStringList{"QVActivityMonitor"} + args);
        QCOMPARE(line.action, action);
        QCOMPARE(line.winePrefix, action == CommandLine::Action::Run ? prefix : "");
        QCOMPARE(line.find, !find.isNull());
        QCOMPARE(line.findText, find);
        if (line.find && day.isNull()) {
            QVERIFY(line.findDay == before || line.findDay == QDate::currentDate());
        } else {
            QCOMPARE(line.findDay, line.find ? day : QDate());
        }
        // A mistake is named, above the usage.
        QCOMPARE(line.text.contains("Usage:"),
                 action == CommandLine::Action::Error || action == CommandLine::Action::Help);
        QCOMPARE(line.text.startsWith("QVActivityMonitor: "), action == CommandLine::Action::Error);
    }

    // --highlight and --alert as rules, "text colour" with "!" when it alerts; or the mistake.
    void commandLineRules_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<qlonglong>("quietMs");  // -1: not given
        QTest::addColumn<bool>("sound");
        const auto row = [](const char* name, const QStringList& args, const QStringList& rules,
                            qlonglong quietMs = -1, bool sound = false) {
            QTest::newRow(name) << args << rules << quietMs << sound;
        };
        row("none", {}, {});
        row("in the order given, an alert also highlights",
            {"--highlight", "b", "--alert=a", "--alert-sound", "--highlight", "c"},
            {"b 0", "a 1!", "c 2"}, -1, true);
        row("given twice, kept once where first given",
            {"--highlight", "Émile", "--highlight", "x", "--alert", "ÉMILE", "--highlight=émile"},
            {"Émile 0!", "x 1"});
        QStringList many, coloured;
        for (int n = 0; n < 8; ++n) {
            many << "--highlight" << QString("rule %1").arg(n);
            coloured << QString("rule %1 %2").arg(n).arg(n % activity::kHighlightColours);
        }
        row("colours in turn", many, coloured);
        const QString longest(int(activity::HighlightRules::kMaxTextChars), u'k');
        row("the longest text", {"--alert", longest}, {longest + " 0!"});
        row("no quiet time", {"--alert-quiet", "0"}, {}, 0);
        row("the last quiet time given", {"--alert-quiet=90", "--alert-quiet", "5"}, {}, 5000);
        row("a year", {"--alert-quiet", "31622400"}, {}, 31'622'400'000);
        const QString mistake = "QVActivityMonitor: ";
        row("empty text", {"--highlight", "a", "--highlight="}, {mistake + "--highlight needs"});
        row("10,000 characters", {"--alert", QString(10'000, u'x')},
            {mistake + "--alert: the text is longer than " +
             QLocale().toString(qulonglong(longest.size()))});
        for (const char* bad :
             {"-1", "1.5", "", "x", " 5", "+5", "31622401", "99999999999999999999", "\u0665"}) {
            QTest::addRow("quiet '%s'", bad)
                << QStringList{"--alert-quiet", bad} << QStringList{mistake + "--alert-quiet: '"}
                << -1LL << false;
        }
    }
    void commandLineRules() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, rules);
        QFETCH(qlonglong, quietMs);
        QFETCH(bool, sound);
        const CommandLine line = ParseCommandLine(QStringList{"QVActivityMonitor"} + args);
        if (line.action == CommandLine::Action::Error) {
            QVERIFY2(rules.size() == 1 && line.text.startsWith(rules.first()),
                     qPrintable(line.text));
            QVERIFY(line.text.contains("Usage:"));
            return;
        }
        QCOMPARE(line.action, CommandLine::Action::Run);
        QStringList got;
        for (const activity::HighlightRule& rule : line.highlights) {
            got << QString::fromStdString(rule.text) + " " + QString::number(rule.colour) +
                       (rule.alert ? "!" : "");
        }
        QCOMPARE(got, rules);
        QCOMPARE(line.alertQuietMs.value_or(-1), quietMs);
        QCOMPARE(line.alertSound, sound);
    }

    // Highlighted entries that arrive unseen are counted on the window's status line and in
    // the Windows menu until it is looked at; an alert rule calls once per quiet time (a fake
    // clock), also for an entry whose first rule does not alert; a line written in two pieces
    // is matched once, whole.
    void highlightCountsAndAlerts() {
        Frame f(false);
        // The logs are in the server's code page: ASCII here, the folding is the rules' own.
        const activity::LocalDate today = activity::SystemLocalDate();
        for (const char* name : {"LS", "SMTP"}) {
            f.SetFolder(name, f.server.WindowsLogDir());
            AppendLog(f.server, name, today, {"an old line: mark, Emile"});
        }
        f.frame->StartHighlights({{"mark", 0, false}, {"Emile", 1, true}, {"late", 2, true}},
                                 std::nullopt, false);
        std::int64_t now = 0;
        f.frame->findChild<Highlights*>()->Gate() =
            activity::AlertGate(60'000, [&now] { return now; });
        QVERIFY(f.Show());
        for (QMdiSubWindow* child : f.Children())
            child->findChild<QTimer*>("Timer1")->setInterval(1);
        QMdiSubWindow* ls = f.Children().at(1);
        QMdiSubWindow* smtp = f.Children().at(5);  // SF is the active one
        QList<QWidget*> alerts;                    // the windows that alerted, in turn
        for (QMdiSubWindow* child : f.Children()) {
            connect(qobject_cast<frmActivity*>(child->widget()), &frmActivity::Alerted, this,
                    [&alerts, child] { alerts << child; });
        }
        const auto label = [](QMdiSubWindow* c) { return c->findChild<QLabel*>("lblStatus"); };
        const auto status = [&label](QMdiSubWindow* c) { return label(c)->accessibleName(); };
        const auto count = [](int n) {
            return QLocale().toString(n) + " new highlighted entr" + (n == 1 ? "y" : "ies");
        };

        AppendLog(
            f.server, "SMTP", today,
            {"12:00:01 mark one", "12:00:02 nothing", "12:00:03 mark for EMILE", "12:00:04 mark"});
        QTRY_COMPARE(status(smtp), count(3));
        QCOMPARE(alerts, QList<QWidget*>{smtp});
        AppendLog(f.server, "SMTP", today, QStringList(1000, "12:00:05 emile again"));
        QTRY_COMPARE(status(smtp), count(1003));
        now = 59'999;  // another rule has a quiet time of its own
        AppendLog(f.server, "LS", today, {"12:00:06 late", "12:00:07 Emile"});
        QTRY_COMPARE(status(ls), count(2));
        QCOMPARE(alerts, (QList<QWidget*>{smtp, ls}));
        now = 60'001;
        AppendLog(f.server, "SMTP", today, {"12:00:08 Emile after the quiet time"});
        QTRY_COMPARE(status(smtp), count(1004));
        QCOMPARE(alerts.size(), 3);

        // The Windows menu carries the counts; choosing a window clears its own.
        const auto item = [&f](int number, int unseen) {
            const QString title = f.Children().at(number - 1)->windowTitle();
            return QString("&%1 %2").arg(number).arg(title) +
                   (unseen ? " (" + QLocale().toString(unseen) + " new)" : "");
        };
        QStringList menu = f.Menu(Qt::Key_W, "menuWindows");
        QCOMPARE(menu.mid(1, 6), QStringList({item(1, 0), item(2, 2), item(3, 0), item(4, 0),
                                              item(5, 0), item(6, 1004)}));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_6);
        QTRY_VERIFY(status(smtp).startsWith("Following "));
        QCOMPARE(f.Menu(Qt::Key_W, "menuWindows").mid(1, 6).join('|'),
                 QStringList(
                     {item(1, 0), item(2, 2), item(3, 0), item(4, 0), item(5, 0), item(6, 0) + "*"})
                     .join('|'));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);

        // Looked at as it arrives: neither counted nor called.
        QVERIFY(f.Show());
        now = 200'000;
        const int rows = Model(smtp)->rowCount();
        AppendLog(f.server, "SMTP", today, {"12:00:09 Emile while looked at"});
        QTRY_COMPARE(Model(smtp)->rowCount(), rows + 1);
        QVERIFY(status(smtp).startsWith("Following ") && alerts.size() == 3);

        // Another application active: the active window counts too, until the frame is back.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        AppendLog(f.server, "SMTP", today, {"12:00:10 mark while away"});
        QTRY_COMPARE(status(smtp), count(1));
        QVERIFY(f.Show());
        QTRY_VERIFY(status(smtp).startsWith("Following "));

        // A line in two writes, scanned between them, is one entry matched once.
        const std::string name = activity::ActiveFileName("", "LS", today);
        const auto log = f.server.LocalLogDir() / name.substr(name.rfind('\\') + 1);
        std::ofstream(log, std::ios::binary | std::ios::app) << "12:00:11 a mark for EMI";
        QSignalSpy ticks(ls->findChild<QTimer*>("Timer1"), &QTimer::timeout);
        QTRY_VERIFY(ticks.size() >= 3);
        std::ofstream(log, std::ios::binary | std::ios::app) << "LE, whole\r\n";
        QTRY_COMPARE(status(ls), count(3));
        QCOMPARE(Rows(Model(ls)).last(), "12:00:11 a mark for EMILE, whole");
        QCOMPARE(alerts.size(), 4);
    }

    void session_data() {
        QTest::addColumn<bool>("settings");
        // How the session ends: 0 every child closed, 1 Exit, 2 the close box.
        QTest::addColumn<int>("how");
        QTest::newRow("settings; File, Exit") << true << 1;
        QTest::newRow("no settings; every child closed") << false << 0;
        QTest::newRow("settings; the close box") << true << 2;
    }
    // A user's session with the frame: start-up, the keys, the menus, and one way out.
    void session() {
        QFETCH(bool, settings);
        QFETCH(int, how);
        Frame f(settings);
        // Each one set up, initialised and shown before the next is made.
        QStringList activated, expected;
        connect(f.Workspace(), &QMdiArea::subWindowActivated, this, [&](QMdiSubWindow* child) {
            const auto* w = qobject_cast<frmActivity*>(child ? child->widget() : nullptr);
            if (!w) return;
            activated << QStringLiteral("%1 %2 %3 shown=%4 of %5")
                             .arg(QString::fromStdString(w->ServiceName()))
                             .arg(w->ServiceType())
                             .arg(QString::fromStdString(w->GetLoggingDirectory()))
                             .arg(child->isVisible())
                             .arg(f.Children().size());
        });
        QVERIFY(f.Show());
        for (const auto& c : activity::kComponents) {
            const QString name = QString::fromLatin1(c.name.data(), qsizetype(c.name.size()));
            expected << QStringLiteral("%1 %2 %3 shown=1 of %4")
                            .arg(name)
                            .arg(activity::ServiceTypeOf(c.branch))
                            .arg(settings ? QStringLiteral("C:\\Logs\\") + name : "")
                            .arg(expected.size() + 1);
        }
        QCOMPARE(activated, expected);
        QVERIFY(f.Workspace()->viewport()->rect().contains(f.Children().first()->geometry()));
        // A window moved out of sight can be scrolled to.
        const QPoint home = f.Children().last()->pos();
        f.Children().last()->move(f.Workspace()->width(), f.Workspace()->height());
        QTRY_VERIFY(f.Workspace()->verticalScrollBar()->isVisible() &&
                    f.Workspace()->horizontalScrollBar()->isVisible());
        f.Children().last()->move(home);
        // The client area is the one asked for, whatever height the platform gives the menu bar.
        QCOMPARE(f.Workspace()->size(), form_layout::kFrameClient);

        // Real key presses: a button's accelerator clicks it a moment later, as a visible press.
        for (QMdiSubWindow* child : f.Children()) Model(child)->Append(Batch({"an entry"}));
        const auto press = [](Qt::Key k) {
            QTest::keyClick(qApp->focusWidget(), k, Qt::AltModifier);
        };
        const QString P = "&Pause on 1", R = "&Resume off 1", P0 = "&Pause on 0",
                      R0 = "&Resume off 0";
        press(Qt::Key_P);  // SF, the last one shown, is the active window
        QTRY_COMPARE(f.States(), QStringList({P, P, P, P, P, P, R}));
        press(Qt::Key_C);
        QTRY_COMPARE(f.States(), QStringList({P, P, P, P, P, P, R0}));
        // SMTP, by a click on its list where SF does not cover it.
        QTest::mouseClick(List(f.Children().at(5))->viewport(), Qt::LeftButton, {}, QPoint(3, 60));
        QTRY_COMPARE(f.Workspace()->activeSubWindow(), f.Children().at(5));
        press(Qt::Key_P);
        QTRY_COMPARE(f.States(), QStringList({P, P, P, P, P, R, R0}));
        press(Qt::Key_R);
        QTRY_COMPARE(f.States(), QStringList({P, P, P, P, P, P, R0}));
        press(Qt::Key_R);  // following already: nothing to resume
        press(Qt::Key_C);
        QTRY_COMPARE(f.States(), QStringList({P, P, P, P, P, P0, R0}));

        // About opens, and closes alone.
        bool opened = false;
        WhenModal([&opened](QMessageBox*) { opened = true; });
        QCOMPARE(f.Menu(Qt::Key_H, "mnuHelp").size(), 2);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
        QTRY_VERIFY(opened && !QApplication::activeModalWidget());

        // The Windows menu checks the active window; choosing another activates it.
        QStringList items = {"open"};
        for (QMdiSubWindow* child : f.Children())
            items << QStringLiteral("&%1 %2").arg(items.size()).arg(child->windowTitle());
        items[6] += "*";
        QCOMPARE(f.Menu(Qt::Key_W, "menuWindows"), items);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_4);
        QTRY_COMPARE(f.Workspace()->activeSubWindow(), f.Children().at(3));
        items[6].chop(1);
        items[4] += "*";
        QCOMPARE(f.Menu(Qt::Key_W, "menuWindows"), items);
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);

        f.frame->hide();  // as when minimised: shown again, it loads nothing more
        QVERIFY(f.Show());
        QCOMPARE(f.Children().size(), 7);

        int closed = 0;
        for (QMdiSubWindow* child : f.Children()) {
            connect(child->widget(), &QObject::destroyed, this, [&closed] { ++closed; });
            if (how == 0) QVERIFY(child->close());
        }
        if (how == 1) QCOMPARE(f.Menu(Qt::Key_F, "mnuFile").size(), 2);
        if (how == 1) QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
        if (how == 2) QVERIFY(f.frame->close());
        QTRY_VERIFY(closed == 7 && f.frame.isNull() == (how != 0));
        if (how == 0) QCOMPARE(f.Menu(Qt::Key_W, "menuWindows"), QStringList{"open"});
    }
    // The one queue of slices: turns go round the owners, a slice a pass of the event loop
    // (an event posted by a slice, as painting is, comes before the next slice); an owner has
    // each kind waiting once; Cancel drops only its kind, also from inside the slice; an
    // owner deleted while waiting loses its turn.
    void workQueueTakesTurns() {
        using WorkQueue::Kind;
        QStringList log;
        auto a = std::make_unique<QObject>(), b = std::make_unique<QObject>();
        auto gone = std::make_unique<QObject>();
        // A slice that logs itself up to `runs` times, and posts a marker.
        const auto slices = [&log](QString name, int runs, std::function<void()> then = {}) {
            return [&log, name, runs, then, n = 0]() mutable {
                log << name + QString::number(++n);
                QMetaObject::invokeMethod(
                    qApp, [&log] { log << "|"; }, Qt::QueuedConnection);
                if (then) then();
                return n < runs;
            };
        };
        WorkQueue::Post(a.get(), Kind::Scan, slices("a", 3, [&] {
                            QVERIFY(WorkQueue::Pending(a.get(), Kind::Scan));  // while it runs
                            WorkQueue::Post(a.get(), Kind::Scan, slices("again", 1));
                        }));
        WorkQueue::Post(gone.get(), Kind::Scan, slices("gone", 1));
        WorkQueue::Post(b.get(), Kind::Filter, slices("b", 5, [&] {
                            if (log.count("|") >= 4) WorkQueue::Cancel(b.get(), Kind::Filter);
                        }));
        WorkQueue::Post(a.get(), Kind::Scan, slices("twice", 1));
        WorkQueue::Post(a.get(), Kind::Earlier, slices("e", 2));
        WorkQueue::Post(b.get(), Kind::Scan, slices("s", 1));
        WorkQueue::Cancel(b.get(), Kind::Scan);
        gone.reset();
        QVERIFY(WorkQueue::Pending(b.get(), Kind::Filter) &&
                !WorkQueue::Pending(b.get(), Kind::Scan));
        const QStringList turns = {"a1", "|",  "b1", "|",  "e1", "|",  "a2",
                                   "|",  "b2", "|",  "e2", "|",  "a3", "|"};
        QTRY_COMPARE(log, turns);
        QVERIFY(!WorkQueue::Pending(a.get(), Kind::Scan) &&
                !WorkQueue::Pending(b.get(), Kind::Filter));
        WorkQueue::Post(a.get(), Kind::Scan, slices("end", 1));  // after anything left
        QTRY_COMPARE(log, turns + QStringList({"end1", "|"}));
    }

    // A filter over a busy model: built a slice at a time while entries arrive and
    // the oldest leave at the cap, then kept batch by batch; accents fold as users expect.
    void filterFollowsItsModel() {
        ActivityModel model(nullptr, 200'000, std::size_t{1} << 30);
        const auto lines = [](int first, int count) {
            QStringList out;
            for (int n = first; n < first + count; ++n)
                out << QStringLiteral("%1 entry %2").arg(n % 997 ? "cafe" : "CAFÉ").arg(n, 40);
            return out;
        };
        model.Append(Batch(lines(0, 120'000)));  // past one slice of text
        FilterModel filter(&model);
        QSignalSpy progress(&filter, &FilterModel::Progress);
        filter.SetText(QStringLiteral("Café"));
        QVERIFY(filter.Building());
        model.Append(Batch(lines(120'000, 130'000)));  // drops some not yet looked at
        QTRY_VERIFY(!filter.Building());
        QVERIFY(progress.size() > 1 && filter.rowCount() > 100);
        QCOMPARE(FilterMismatch(filter, model), QString());
        model.Append(Batch({"a new CAFÉ line", "a new café line", "a new cafe line"}));
        QCOMPARE(FilterMismatch(filter, model), QString());
        for (const QString text : {"ÿ", "e 249999", "12 ENTRY"}) {
            filter.SetText(text);
            QTRY_VERIFY(!filter.Building());
            QCOMPARE(FilterMismatch(filter, model), QString());
        }
        model.Clear();
        model.Append(Batch({"after Clear: 12 entry"}));
        QCOMPARE(filter.rowCount(), 1);
        filter.SetText("");
        QVERIFY(!filter.Building() && filter.rowCount() == 0);

        // A monitor that runs for years: matches are kept from a base that moves up as the
        // oldest leave, here after 150 entries instead of 4 billion; then a Clear.
        ActivityModel held(nullptr, 100, std::size_t{1} << 30);
        FilterModel longRun(&held, nullptr, 150);
        QAbstractItemModelTester heldTester(&held), longRunTester(&longRun);
        held.Append(Batch(lines(0, 100)));
        longRun.SetText("cafe");
        QTRY_VERIFY(!longRun.Building());
        for (const int count : {30, 30, 20}) {  // the oldest leave; then the base moves
            held.Append(Batch(lines(int(held.EndSeq()), count)));
            QCOMPARE(FilterMismatch(longRun, held), QString());
        }
        held.Clear();
        held.Append(Batch(lines(1000, 3)));
        QCOMPARE(FilterMismatch(longRun, held), QString());
        QCOMPARE(longRun.rowCount(), 3);
        held.Prepend(Batch(lines(2000, 50)));  // below the base
        QCOMPARE(FilterMismatch(longRun, held), QString());
        QCOMPARE(longRun.rowCount(), 53);
    }
    // The frame's filter, by real keys: Ctrl+F, typing, the shown entries selected and
    // copied, arrivals, Clear while filtered, and Esc.
    void filterEveryWindow() {
        Frame f;
        QVERIFY(f.Show());
        // In SF, the active window, the last entry is selected, far down the list.
        for (QMdiSubWindow* child : f.Children()) {
            const int filler = child == f.Children().at(6) ? 300 : 1;
            Model(child)->Append(Batch(QStringList{"12:00:01 émile first"} +
                                       QStringList(filler, "12:00:02 nobody") +
                                       QStringList{"12:00:03 ÉMILE"}));
        }
        QListView* sf = List(f.Children().at(6));
        sf->setFocus();
        QTRY_VERIFY(sf->verticalScrollBar()->maximum() > 0);  // laid out
        QTest::keyClick(sf, Qt::Key_Home);  // the first key only makes a current row
        QTest::keyClick(sf, Qt::Key_End);
        QTRY_COMPARE(sf->selectionModel()->selectedRows(),
                     QModelIndexList{sf->model()->index(301, 0)});
        QTest::keyClick(sf, Qt::Key_F, Qt::ControlModifier);
        auto* field = f.frame->findChild<QLineEdit*>("txtFilter");
        QTRY_COMPARE(QApplication::focusWidget(), field);
        const QLabel* label = f.frame->findChild<QToolBar*>("filterBar")->findChild<QLabel*>();
        QVERIFY(label->isVisible() && label->geometry().right() < field->geometry().left());
        QCOMPARE(f.Workspace()->size().height() < form_layout::kFrameClient.height(), true);
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_Eacute, QStringLiteral("É"), {});
        QTest::keyClicks(field, "mi");
        for (QMdiSubWindow* child : f.Children())
            QTRY_COMPARE(Shown(child), QStringList({"12:00:01 émile first", "12:00:03 ÉMILE"}));
        QCOMPARE(sf->selectionModel()->selectedRows(), {sf->model()->index(1, 0)});
        const auto status = [&f](int i) {
            return f.Children().at(i)->widget()->findChild<QLabel*>("lblStatus")->accessibleName();
        };
        QCOMPARE(status(6), "2 of 302 entries match");
        sf->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(sf, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "12:00:03 ÉMILE");

        Model(f.Children().at(0))->Append(Batch({"12:00:04 late Émile", "12:00:05 other"}));
        QTRY_COMPARE(Shown(f.Children().at(0)).size(), 3);
        QCOMPARE(status(0), "3 of 5 entries match");
        QTest::mouseClick(f.Children().at(5)->widget()->findChild<QPushButton*>("CmdClear"),
                          Qt::LeftButton);
        QCOMPARE(Shown(f.Children().at(5)), QStringList());

        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_Escape);
        QTRY_VERIFY(!field->isVisible());
        QCOMPARE(field->text(), QString());
        QCOMPARE(Shown(f.Children().at(0)).size(), 5);
        QVERIFY(!status(0).contains("match"));
        QCOMPARE(Shown(f.Children().at(5)), QStringList());
        QCOMPARE(sf->selectionModel()->selectedRows(), {sf->model()->index(301, 0)});
        QVERIFY(sf->viewport()->rect().contains(sf->visualRect(sf->model()->index(301, 0))));
        QTRY_COMPARE(f.Workspace()->size(), form_layout::kFrameClient);
    }

    // Find in Logs by its key: the dialog's defaults and OK, a search of another day in two
    // components' logs and a missing folder, By Time and back, copy, detail and the menus.
    void findInLogs() {
        Frame f(false);
        f.SetFolder("LS", f.server.WindowsLogDir());
        f.SetFolder("SMTP", f.server.WindowsLogDir());
        f.SetFolder("MTA", "C:\\Missing");
        const QDate day(2026, 12, 1);
        const QString ls1 = "LS 12:00:01 anne@example.com one",
                      ls2 = "LS 12:00:03 ANNE@example.com",
                      smtp1 = "SMTP 12:00:02 anne@example.com", smtp2 = "SMTP to anne@example.com",
                      smtp3 = "SMTP 12:00:04 anne@example.com";
        AppendLog(f.server, "LS", {2026, 12, 1},
                  {ls1.mid(3), "12:00:02 bob@example.com", ls2.mid(3)});
        AppendLog(f.server, "SMTP", {2026, 12, 1}, {smtp1.mid(5), smtp2.mid(5), smtp3.mid(5)});
        QVERIFY(f.Show());

        QStringList seen;
        WhenModal<FindDialog>([&seen](FindDialog* d) {
            auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            const QCalendarWidget* calendar = d->findChild<QDateEdit*>()->calendarWidget();
            const auto bold = [calendar](QDate date) {
                return QString::number(calendar->dateTextFormat(date).fontWeight() == QFont::Bold);
            };
            seen << d->Text() + (d->Day() == QDate::currentDate() ? "today" : "another day")
                 << d->Components().join(' ') << bold({2026, 12, 1}) + bold({2026, 12, 2})
                 << QString::number(ok->isEnabled());
            QTest::keyClicks(d->findChild<QLineEdit*>("txtFind"), "anne@EXAMPLE.com");
            seen << QString::number(ok->isEnabled());
            for (QCheckBox* box : d->findChildren<QCheckBox*>()) box->setChecked(false);
            seen << QString::number(ok->isEnabled());
            for (QCheckBox* box : d->findChildren<QCheckBox*>())
                box->setChecked(
                    QStringList({"HTTPMAIL", "LS", "MTA", "SMTP"}).contains(box->text()));
            seen << QString::number(ok->isEnabled());
            d->findChild<QDateEdit*>()->setDate({2026, 12, 1});
            ok->click();
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(seen, QStringList({"today", "HTTPMAIL LS MTA POP POPC SMTP SF", "10", "0", "1",
                                    "0", "1"}));

        QMdiSubWindow* found = f.Workspace()->activeSubWindow();
        const QString title =
            "Find \"anne@EXAMPLE.com\" - " + QLocale().toString(day, QLocale::LongFormat);
        QCOMPARE(found->windowTitle(), title);
        auto* byTime = found->findChild<QPushButton*>("CmdByTime");
        QTRY_VERIFY(byTime->isEnabled());
        QCOMPARE(Shown(found), QStringList({ls1, ls2, smtp1, smtp2, smtp3}));
        QCOMPARE(found->findChild<QLabel*>("lblStatus")->text(), "Lines found: 5");
        QCOMPARE(found->findChild<QLabel*>("lblProblems")->text(),
                 "HTTPMAIL: no log folder set in the server's settings\n"
                 "MTA: log folder not found: C:\\Missing");
        // The selected line stays selected as the order changes.
        QListView* list = List(found);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(3, 0)).center());
        byTime->click();
        QCOMPARE(Shown(found), QStringList({ls1, smtp1, smtp2, ls2, smtp3}));
        QCOMPARE(list->selectionModel()->selectedRows(), {list->model()->index(2, 0)});
        byTime->click();
        QCOMPARE(Shown(found), QStringList({ls1, ls2, smtp1, smtp2, smtp3}));
        QCOMPARE(list->selectionModel()->selectedRows(), {list->model()->index(3, 0)});

        QGuiApplication::clipboard()->clear();
        QCOMPARE(f.Menu(Qt::Key_E, "mnuEdit").size(), 5);  // "open" and four items
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
        QCOMPARE(QGuiApplication::clipboard()->text(), smtp2);
        WhenModal([&seen](QMessageBox* box) { seen = {box->windowTitle(), box->text()}; });
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(seen, QStringList({title + " (Detail)", smtp2}));

        // Listed last in the Windows menu, the active window; the activity windows as they were.
        const QStringList windows = f.Menu(Qt::Key_W, "menuWindows");
        QCOMPARE(windows.size(), 9);
        QCOMPARE(windows.last(), "&8 " + title + "*");
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_1);
        QTRY_COMPARE(f.Workspace()->activeSubWindow(), f.Children().at(0));
        QCOMPARE(f.Children().at(0)->maximumSize(), f.Children().at(0)->minimumSize());
        QVERIFY(found->maximumSize() != found->minimumSize());
    }

    // Two logs of many slices, searched two at a time, listed in the components' order once
    // found; another search cancelled at once, and a third closed while it runs.
    void findManySlices() {
        Frame f(false);
        const QStringList lines = Lines(0, 200'000);
        QStringList rows;
        for (const char* name : {"LS", "SMTP"}) {
            f.SetFolder(name, f.server.WindowsLogDir());
            AppendLog(f.server, name, kToday, lines);
            for (const QString& line : lines) rows << name + (" " + line);
        }
        for (int n = 0; n < 3; ++n) f.frame->OpenFind("log line", {2026, 12, 6});
        QWidget* done = f.Children().at(0)->widget();
        QWidget* cancelled = f.Children().at(1)->widget();
        QPointer<QWidget> closed = f.Children().at(2)->widget();
        cancelled->findChild<QPushButton*>("CmdCancel")->click();
        closed->parentWidget()->close();
        QTRY_VERIFY(cancelled->findChild<QLabel*>("lblStatus")->text().startsWith("Cancelled. "));
        QVERIFY(Model(cancelled)->rowCount() < rows.size());
        QTRY_VERIFY_WITH_TIMEOUT(done->findChild<QPushButton*>("CmdByTime")->isEnabled(), 30000);
        QCOMPARE(Rows(Model(done)), rows);
        QCOMPARE(done->findChild<QLabel*>("lblStatus")->text(),
                 "Lines found: " + QLocale().toString(rows.size()));
        QTRY_VERIFY(closed.isNull());
    }

    // An idle frame reads each log once a tick, counted by the opens of the logs
    // themselves: Initialise's look, then one scan each 3 s.
    void idleFrameScansOncePerTick() {
#ifndef Q_OS_LINUX
        QSKIP("the opens are counted with inotify");
#else
        Frame f(false);
        for (const auto& c : activity::kComponents) {
            const std::string key = activity::SettingsKey(c.name, c.branch);
            f.server.SetDirectory(key.substr(activity::kSettingsRoot.size()),
                                  f.server.WindowsLogDir());
            const std::string name =
                activity::ActiveFileName("", c.name, activity::SystemLocalDate());
            std::ofstream(f.server.LocalLogDir() / name.substr(1)) << "an old line\r\n";
        }
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(inotify_add_watch(watch, f.server.LocalLogDir().c_str(), IN_OPEN) >= 0);
        QMap<QString, int> opens;
        const auto least = [&] {
            alignas(inotify_event) char events[4096];
            for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
                for (const char* at = events; at < events + n;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(at);
                    ++opens[QString::fromUtf8(event->name)];
                    at += sizeof(inotify_event) + event->len;
                }
            }
            const QList<int> counts = opens.values();
            return counts.size() < 7 ? 0 : *std::min_element(counts.begin(), counts.end());
        };
        QElapsedTimer clock;
        clock.start();
        QVERIFY(f.Show());
        QTRY_VERIFY_WITH_TIMEOUT(least() >= 2, 10000);
        close(watch);
        const QList<int> counts = opens.values();
        QVERIFY2(clock.elapsed() >= 2500 && *std::max_element(counts.begin(), counts.end()) <= 3,
                 qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
#endif
    }

    // The status line as a log goes through its states on disk, as a screen reader reads it;
    // the line sits right of the buttons, clear of the list.
    // Earlier lines put above what a window lists: the line being written at its start listed
    // once, whole; the rows in sight and the selection kept; a filter applied to them; asked
    // again, nothing; after a Clear, all up to where it reads. Read by the keys of the menu.
    void earlierLines() {
        constexpr int kEarlier = 150'000;  // more than a slice
        Frame f;
        f.server.SetDirectory("Connectors\\SMTP", f.server.WindowsLogDir());
        const std::string name = activity::ActiveFileName("", "SMTP", activity::SystemLocalDate());
        const auto day = f.server.LocalLogDir() / name.substr(1);
        std::ofstream(day, std::ios::binary)
            << (Lines(0, kEarlier).join("\r\n") + "\r\nthe line being wri").toStdString();
        QVERIFY(f.Show());
        QMdiSubWindow* child = f.Children().at(5);  // SMTP
        f.Workspace()->setActiveSubWindow(child);
        std::ofstream(day, std::ios::binary | std::ios::app)
            << (QStringList{"tten at the start"} + Lines(kEarlier, 30)).join("\r\n").toStdString()
            << "\r\n";
        QTRY_COMPARE_WITH_TIMEOUT(Model(child)->rowCount(), 31, 10000);
        QListView* list = List(child);
        list->scrollTo(list->model()->index(5, 0), QAbstractItemView::PositionAtTop);
        list->selectionModel()->select(list->model()->index(7, 0), QItemSelectionModel::Select);
        const QStringList listed = Rows(Model(child));
        const auto says = [child](const QString& start) {
            auto* a = QAccessible::queryAccessibleInterface(child->findChild<QLabel*>("lblStatus"));
            return QTest::qWaitFor([&] { return a->text(QAccessible::Name).startsWith(start); });
        };
        QTest::keyClick(f.frame, Qt::Key_E, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(Model(child)->rowCount(), kEarlier + 31, 10000);
        QCOMPARE(listed.first(), "the line being written at the start");
        QCOMPARE(Rows(Model(child)), Lines(0, kEarlier) + listed);
        QTRY_COMPARE(list->indexAt({3, 3}).row(), kEarlier + 5);  // once laid out
        QCOMPARE(list->selectionModel()->selectedRows(), {list->model()->index(kEarlier + 7, 0)});
        QVERIFY(says("Earlier lines of today listed"));
        QTest::keyClick(f.frame, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(says("No earlier lines of today to list"));
        QCOMPARE(Model(child)->rowCount(), kEarlier + 31);

        // After a Clear, filtered, in every window: SMTP's lines up to where it read.
        QTest::mouseClick(child->widget()->findChild<QPushButton*>("CmdClear"), Qt::LeftButton);
        for (QMdiSubWindow* c : f.Children())
            qobject_cast<frmActivity*>(c->widget())->SetFilter(" 9");
        QTest::keyClick(f.frame, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(Model(child)->rowCount(), kEarlier + 31, 10000);
        QCOMPARE(Rows(Model(child)), Lines(0, kEarlier) + listed);
        QCOMPARE(FilterMismatch(*child->findChild<FilterModel*>(), *Model(child)), QString());
        QCOMPARE(Shown(child).size(), 11111);  // 9, 90-99, ..., 90000-99999
        QVERIFY(says(QLocale().toString(11111) + " of " + QLocale().toString(kEarlier + 31)));
    }

    void statusLine() {
        // Once the line reads `start`...`end`.
        const auto says = [](const QWidget* w, const QString& start, const QString& end = {}) {
            auto* a = QAccessible::queryAccessibleInterface(w->findChild<QLabel*>("lblStatus"));
            return QTest::qWaitFor([&] {
                const QString name = a->text(QAccessible::Name);
                return name.startsWith(start) && name.endsWith(end);
            });
        };
        Host host;
        frmActivity* w = host.Open();
        auto* label = w->findChild<QLabel*>("lblStatus");
        const QString file = "SMTP-Activity-261206.log";
        const auto day = host.server.LocalLogDir() / file.toStdString();
        QVERIFY(label->accessibleName().startsWith("Waiting for " + file));  // before a tick
        // The whole path in its tooltip, which screen readers have as its description.
        QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Description),
                 QString::fromStdString(host.server.WindowsLogDir()) + "\\" + file);
        host.Append(Lines(0, 1));
        QVERIFY(says(w, "Following " + file + ", last line "));
        std::filesystem::resize_file(day, 0);
        QVERIFY(says(w, "Read again from the start at ", "(the file was truncated)"));
        host.Append(Lines(1, 1));
        QVERIFY(says(w, "Following "));
        // Replaced by a file of many slices' worth, while paused: said after its last slice.
        auto* status = w->findChild<QPushButton*>("CmdStatus");
        QTest::mouseClick(status, Qt::LeftButton);
        const int listed = Model(w)->rowCount();
        std::ofstream(day.string() + ".new")
            << (QStringList{"a longer file put in its place"} + Lines(0, 200'000))
                   .join("\r\n")
                   .toStdString()
            << "\r\n";
        std::filesystem::rename(day.string() + ".new", day);
        QTest::mouseClick(status, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Model(w)->rowCount(), listed + 200'001, 30000);
        QVERIFY(says(w, "Read again from the start at ", "(the file was replaced)"));

        // The cap is said once, with its figure, over the replacement's notice.
        activity::EntryBatch full;
        for (std::size_t n = 0; n <= Model(w)->MaxEntries(); ++n) full.Append("x");
        Model(w)->Append(full);
        QVERIFY(says(w, "The list keeps the newest " +
                            QLocale().toString(qulonglong(Model(w)->MaxEntries()))));
        host.Append(Lines(3, 1));
        QVERIFY(says(w, "Following "));
        Model(w)->Append(full);
        QVERIFY(label->accessibleName().startsWith("Following "));
        // Clear makes the cap news again, and takes its notice away.
        QTest::mouseClick(w->findChild<QPushButton*>("CmdClear"), Qt::LeftButton);
        Model(w)->Append(full);
        QVERIFY(says(w, "The list keeps the newest "));
        QTest::mouseClick(w->findChild<QPushButton*>("CmdClear"), Qt::LeftButton);
        QVERIFY(says(w, "Following "));

        std::filesystem::remove(day);
        std::filesystem::create_directory(day);
        QVERIFY(says(w, file + " is not a file"));
        QTest::mouseClick(w->findChild<QPushButton*>("CmdStatus"), Qt::LeftButton);
        QVERIFY(says(w, "Paused"));
        const QRect line = label->geometry();
        QVERIFY(w->rect().contains(line) && line.top() > List(w)->geometry().bottom() &&
                line.left() > w->findChild<QPushButton*>("CmdStatus")->geometry().right());

        // No setting: its tooltip names the key, and where settings come from. A long
        // missing folder: the line shows what fits, the whole of it to screen readers.
        frmActivity pop({"POP", activity::SettingsBranch::Connectors, "POP-Debug-", false});
        frmActivity lost(*activity::FindComponent("SMTP"));
        const QString folder = "C:" + QString("\\missing").repeated(20);
        host.server.SetDirectory("Connectors\\SMTP", folder.toStdString());
        for (frmActivity* x : {&pop, &lost}) {
            x->Initialise();
            x->show();
        }
        QVERIFY(says(&pop, "No log folder set for POP in the server's settings"));
        const QString tip = pop.findChild<QLabel*>("lblStatus")->toolTip();
        QVERIFY(tip.contains("Connectors\\POP, value \"Activity Log Directory\"") &&
                tip.contains(QString::fromStdString(modConfig::SettingsFile())));
        QVERIFY(says(&lost, "Log folder not found: " + folder));
        QVERIFY(lost.findChild<QLabel*>("lblStatus")->text().size() < folder.size());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_ui.moc"
