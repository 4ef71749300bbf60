#pragma once

#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "frmActivity.h"
#include "local_date.h"
#include "test_env.h"

inline constexpr activity::LocalDate kToday{2026, 12, 6};

// Where `service`'s log of kToday lies in `server`'s log folder.
std::filesystem::path LogPath(const TestServer& server, const std::string& service);
void AppendText(const std::filesystem::path& file, const std::string& text);

// A window's controls, found by name as any client would.
template <class T>
T* Control(const QObject* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}
inline QString StatusText(const frmActivity* w) {
    return Control<QPushButton>(w, "CmdStatus")->text();
}
inline bool Following(const frmActivity* w) {
    return Control<QTimer>(w, "Timer1")->isActive();
}
QStringList Entries(const frmActivity* w);
// Shortens the scan interval, so that a test sees several ticks a second.
void SetScanInterval(frmActivity* w, int ms);

// Once a modal widget shows, hands it to `inspect`, then closes it by a click
// on its OK button (or Escape). Arm it before the action that opens the box.
void WhenModal(std::function<void(QWidget*)> inspect);

int RunActivityWindowTests(int argc, char** argv);
int RunMainFrameTests(int argc, char** argv);
