#pragma once

#include <QLabel>

#include <cstddef>

#include "scan_status.h"

// The line right of an activity window's buttons: what the last scan saw, so
// that a broken setup does not pass for a quiet server. It only words what the
// follower and the list report; the path or settings key is its tooltip, and
// a screen reader hears every change of wording.
class StatusLabel final : public QLabel {
    Q_OBJECT

  public:
    explicit StatusLabel(QWidget* parent = nullptr);

    // The component, and where its setting is (a key under
    // HKEY_LOCAL_MACHINE, in `store` unless that is "", the system's registry).
    void SetComponent(const QString& name, const QString& settingsKey, const QString& store);
    // A slice of a scan has been read.
    void Scanned(const activity::ScanStatus& status);
    // A slice listed entries, the first of its scan if `newScan`: that ends a
    // notice from an earlier scan.
    void Listed(bool newScan);
    // The list dropped its oldest entries at a cap: said once, until cleared.
    void Dropped(std::size_t cap, bool entryCap);
    void Cleared();
    // Reading earlier lines: at `percent`, or how it ended; LeftOut stays
    // said, as a cap does, until cleared.
    enum class EarlierState { Reading, Done, NoneLeft, LeftOut, Changed };
    void Earlier(EarlierState state, int percent = 0);
    void SetPaused(bool paused);
    // While a filter is set: how many entries it shows out of how many.
    void SetMatches(bool filtering, std::size_t matches, std::size_t total);
    // How many highlighted entries arrived since the window was last looked
    // at (0: none, nothing said).
    void SetHighlighted(std::size_t count);
    // Sends the line to screen readers as an alert, not only as a new name.
    void Alert();

  private:
    enum class Notice { None, Truncated, Replaced, Capped, Earlier };
    void Show();

    QString name_;
    QString settingsKey_;
    activity::ScanStatus status_;
    QString lastLine_;  // when the newest entry was listed
    Notice notice_ = Notice::None;
    QString noticeText_;
    bool capSaid_ = false;
    QString reading_;  // while earlier lines are being read
    bool paused_ = false;
    QString matches_;      // while filtering
    QString highlighted_;  // while highlighted entries wait to be seen
};
