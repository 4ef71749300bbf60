#include <QtTest>
#include <QtWidgets>

#include "MDIMain.h"
#include "language.h"
#include "test_server.h"

// The frame as main() builds it, under a German locale (LANG=de_DE.UTF-8, or
// Wine's user locale made from it): German menus, buttons and status line,
// Qt's own catalogue too, the product's name and the components' as they are.
class TestLanguage : public QObject {
    Q_OBJECT

  private slots:
    void germanFrame() {
        QVERIFY2(QLocale().language() == QLocale::German,
                 "not a German locale: run with LANG=de_DE.UTF-8");
        InstallTranslations(*qApp);
        const TestServer server;  // no settings: each window says so
        QPointer<MDIMain> frame = new MDIMain;
        frame->show();
        QCOMPARE(frame->windowTitle(), "Quorvane Real Time Activity Monitor");
        QStringList texts;
        for (const QAction* menu : frame->menuBar()->actions()) texts << menu->text();
        QCOMPARE(texts, QStringList({"&Datei", "&Bearbeiten", "A&nsicht", "&Fenster", "&Hilfe"}));
        const QAction* filter = frame->findChild<QMenu*>("mnuEdit")->actions().constFirst();
        QCOMPARE(filter->text() + ' ' + filter->shortcut().toString(QKeySequence::NativeText),
                 "&Filtern... Strg+F");

        const QWidget* window = frame->findChild<QMdiArea*>()->activeSubWindow()->widget();
        const QString name = window->windowTitle().section('-', 0, 0);
        QCOMPARE(window->windowTitle(), name + "-Quorvane-Dienstaktivität");
        const QLabel* status = window->findChild<QLabel*>("lblStatus");
        QTRY_COMPARE(status->accessibleName(),
                     "Kein Protokollordner für " + name + " in den Einstellungen des Servers");
        auto* pause = window->findChild<QPushButton*>("CmdStatus");
        texts << window->findChild<QPushButton*>("CmdClear")->text() << pause->text();
        pause->click();
        QCOMPARE(status->accessibleName(), "Angehalten");
        texts << pause->text()
              << frame->findChild<QToolBar*>("filterBar")->findChild<QLabel*>()->text();
        QCOMPARE(texts.mid(5), QStringList({"&Leeren", "&Anhalten", "Fo&rtsetzen", "F&ilter:"}));
        // A key of its own for each of the frame's mnemonics.
        QSet<QKeySequence> keys;
        for (const QString& text : texts) keys << QKeySequence::mnemonic(text);
        QCOMPARE(keys.size(), texts.size());
        delete frame;
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
