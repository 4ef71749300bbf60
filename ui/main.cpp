#include <QApplication>

#include "MDIMain.h"
#include "app_icons.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(MDIMain::kAppTitle));
    QApplication::setWindowIcon(FrameIcon());
    auto* frame = new MDIMain;  // deletes itself when closed
    frame->show();
    return QApplication::exec();
}
