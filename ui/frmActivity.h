#pragma once

#include <QWidget>

#include "activity_follower.h"

class ActivityListView;
class ActivityModel;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QTimer;
class StatusLabel;

// One component's activity: follows its log (the follower it derives from) and
// lists every new entry. Loads when first shown: the caption names the
// component and Timer1 starts scanning every 3000 ms.
//
// A scan reads in slices and goes on from the event loop, so that a burst of
// megabytes never holds up the interface; scans never overlap.
class frmActivity : public QWidget, public activity::ActivityFollower {
    Q_OBJECT

  public:
    explicit frmActivity(QWidget* parent = nullptr);
    ~frmActivity() override;

    // Adds the window to `workspace` in a fixed dialog border (a close box,
    // no minimise, maximise or resizing); the caller shows it.
    QMdiSubWindow* AddTo(QMdiArea* workspace);

    // Reads a slice now and goes on from the event loop while more is waiting.
    void ScanFile() override;

    // Lists only the entries that contain `text` ("" lists all).
    void SetFilter(const QString& text);
    void CopySelected() const;

  protected:
    void OnEntries(const activity::EntryBatch& entries) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Form_Load();
    void Timer1_Timer();
    void CmdStatus_Click();
    void CmdClear_Click();
    void lstActivity_DblClick();
    void ScanNextSlice();

    ActivityModel* model_;
    ActivityListView* lstActivity;
    QPushButton* CmdClear;
    QPushButton* CmdStatus;
    StatusLabel* lblStatus;
    QTimer* Timer1;
    QTimer* nextSlice_;  // pending while a scan has more to read
    bool loaded_ = false;
    bool newScan_ = false;  // the slice being read is the first of its scan
};
