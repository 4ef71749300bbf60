#pragma once

#include <QMainWindow>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

#include "highlight_rules.h"

class FilterBar;
class Highlights;
class QAction;
class QDate;
class QMdiArea;
class QMenu;
class frmActivity;

// The application's frame: its load brings up the seven activity windows,
// which it then leaves to the workspace; it keeps no list of them. Deletes
// itself when closed, closing every activity window first.
class MDIMain final : public QMainWindow {
    Q_OBJECT

  public:
    // The application's title, also the title of boxes that give none.
    static constexpr char kAppTitle[] = "QVActivityMonitor";

    explicit MDIMain(QWidget* parent = nullptr);
    ~MDIMain() override;

    // Opens a window that lists the lines of `day`'s logs that contain `text`,
    // in the components named (none: all), and makes it the active window.
    // Once the frame is shown: its load brings the activity windows over it.
    void OpenFind(const QString& text, const QDate& day, const QStringList& components = {});

    // The session's highlight rules, which every window shows.
    Highlights* GetHighlights() const { return highlights_; }
    // The session's first highlight rules (the command line's), the least
    // time between two alerts of one rule (none: the default) and whether an
    // alert beeps. Before the frame is shown.
    void StartHighlights(const std::vector<activity::HighlightRule>& rules,
                         std::optional<std::int64_t> alertQuietMs, bool alertSound);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void MDIForm_Load();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    void menuWindows_AboutToShow();
    void mnuEditCopy_Click();
    void mnuViewEarlier_Click();
    void mnuViewEarlierAll_Click();
    void ApplyFilter(const QString& text);
    frmActivity* ActiveWindow() const;

    QMdiArea* workspace_;
    QMenu* mnuFile;
    QAction* mnuFileExit;
    QMenu* mnuEdit;
    QAction* mnuEditFilter;
    QAction* mnuEditCopy;
    QMenu* mnuView;
    QAction* mnuViewEarlier;
    QAction* mnuViewEarlierAll;
    QMenu* menuWindows;
    QMenu* mnuHelp;
    QAction* mnuHelpAbout;
    FilterBar* filterBar_;
    bool loaded_ = false;

    // Find in Logs.
    void AddFindInLogs();
    void mnuEditFindInLogs_Click();
    QAction* mnuEditFindInLogs = nullptr;

    // Highlights.
    void AddHighlights();
    void mnuEditHighlights_Click();
    // Gives a window's lists the session's rules.
    void ShowHighlights(QWidget* window) const;
    Highlights* highlights_ = nullptr;
    QAction* mnuEditHighlights = nullptr;
};
