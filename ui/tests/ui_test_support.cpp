#include "ui_test_support.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTest>

#include <fstream>

#include "activity_model.h"
#include "log_naming.h"

std::filesystem::path LogPath(const TestServer& server, const std::string& service) {
    const std::string windowsPath = activity::ActiveFileName("", service, kToday);
    return server.LocalLogDir() / windowsPath.substr(windowsPath.rfind('\\') + 1);
}

void AppendText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << text;
}

QStringList Entries(const frmActivity* w) {
    const QAbstractItemModel* model = Control<QListView>(w, "lstActivity")->model();
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row) {
        out << model->index(row, 0).data(ActivityModel::kEntryTextRole).toString();
    }
    return out;
}

void SetScanInterval(frmActivity* w, int ms) {
    Control<QTimer>(w, "Timer1")->setInterval(ms);
}

void WhenModal(std::function<void(QWidget*)> inspect) {
    auto* poll = new QTimer;
    const QDeadlineTimer deadline(10'000);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired()) return;
        poll->stop();
        poll->deleteLater();
        if (!modal) return;
        inspect(modal);
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (QAbstractButton* ok = box ? box->button(QMessageBox::Ok) : nullptr) {
            QTest::mouseClick(ok, Qt::LeftButton);
        } else {
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    poll->start(10);
}
