#include <QApplication>

#include "ui_test_support.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QVActivityMonitor"));
    int status = RunActivityWindowTests(argc, argv);
    status |= RunMainFrameTests(argc, argv);
    return status;
}
