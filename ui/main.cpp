#include <QApplication>

#include "MDIMain.h"
#include "app_icons.h"
#include "command_line.h"
#include "language.h"

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QString::fromLatin1(MDIMain::kAppTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
    // The arguments as the system gives them, read before any window system starts.
    CommandLine line;
    {
        QCoreApplication reader(argc, argv);
        InstallTranslations(reader);  // for the help and the mistakes
        line = ParseCommandLine(QCoreApplication::arguments());
    }
    if (const int status = ActOnCommandLine(line); status >= 0) return status;
    // Every argument is ours and has been taken: Qt gets none to read.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    InstallTranslations(app);
    // Lets Wayland match the windows with the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QV_APP_ID));
    QApplication::setWindowIcon(FrameIcon());
    auto* frame = new MDIMain;  // deletes itself when closed
    frame->StartHighlights(line.highlights, line.alertQuietMs, line.alertSound);
    frame->show();
    // After the show, which brings up the activity windows, so that the
    // results come on top of them.
    if (line.find) frame->OpenFind(line.findText, line.findDay);
    return QApplication::exec();
}
