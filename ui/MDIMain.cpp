#include "MDIMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>

#include "activity_list_view.h"
#include "app_icons.h"
#include "components.h"
#include "filter_bar.h"
#include "find_dialog.h"
#include "find_window.h"
#include "form_layout.h"
#include "frmActivity.h"
#include "highlights.h"
#include "highlights_dialog.h"

namespace {

// Windows cascades new children one caption lower each time; so do we.
QPoint CascadePosition(const QMdiArea& workspace, const QMdiSubWindow& child, int index) {
    const int step =
        child.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &child) +
        2 * child.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &child);
    const int room = workspace.viewport()->height() - child.height();
    const int steps = room > step ? room / step + 1 : 1;
    const int at = (index % steps) * step;
    return {at, at};
}

QString MenuText(int number, const QString& caption) {
    QString text = caption;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(text) : text;
}

}  // namespace

MDIMain::MDIMain(QWidget* parent)
    : QMainWindow(parent),
      workspace_(new QMdiArea(this)),
      mnuFile(menuBar()->addMenu(tr("&File"))),
      mnuFileExit(mnuFile->addAction(tr("E&xit"))),
      mnuEdit(menuBar()->addMenu(tr("&Edit"))),
      mnuEditFilter(mnuEdit->addAction(tr("&Filter..."))),
      mnuEditCopy(mnuEdit->addAction(tr("&Copy"))),
      mnuView(menuBar()->addMenu(tr("&View"))),
      mnuViewEarlier(mnuView->addAction(tr("&Earlier Lines of Today"))),
      mnuViewEarlierAll(mnuView->addAction(tr("Earlier Lines of Today in &Every Window"))),
      menuWindows(menuBar()->addMenu(tr("&Windows"))),
      mnuHelp(menuBar()->addMenu(tr("&Help"))),
      mnuHelpAbout(mnuHelp->addAction(tr("&About"))),
      filterBar_(new FilterBar(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Quorvane Real Time Activity Monitor"));
    setWindowIcon(FrameIcon());

    // The default background is the palette's workspace shade.
    workspace_->setObjectName(QStringLiteral("workspace"));
    workspace_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    workspace_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(workspace_);

    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));
    menuWindows->setObjectName(QStringLiteral("menuWindows"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout->setObjectName(QStringLiteral("mnuHelpAbout"));
    connect(mnuFileExit, &QAction::triggered, this, &MDIMain::mnuFileExit_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &MDIMain::mnuHelpAbout_Click);
    connect(menuWindows, &QMenu::aboutToShow, this, &MDIMain::menuWindows_AboutToShow);

    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditFilter->setShortcut(QKeySequence::Find);
    mnuEditCopy->setShortcut(QKeySequence::Copy);
    addToolBar(Qt::BottomToolBarArea, filterBar_);
    filterBar_->hide();
    connect(mnuEditFilter, &QAction::triggered, filterBar_, &FilterBar::Open);
    connect(mnuEditCopy, &QAction::triggered, this, &MDIMain::mnuEditCopy_Click);

    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewEarlier->setObjectName(QStringLiteral("mnuViewEarlier"));
    mnuViewEarlierAll->setObjectName(QStringLiteral("mnuViewEarlierAll"));
    mnuViewEarlier->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuViewEarlierAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(mnuViewEarlier, &QAction::triggered, this, &MDIMain::mnuViewEarlier_Click);
    connect(mnuViewEarlierAll, &QAction::triggered, this, &MDIMain::mnuViewEarlierAll_Click);
    connect(filterBar_, &FilterBar::TextChanged, this, &MDIMain::ApplyFilter);
    connect(filterBar_, &FilterBar::Closed, this, [this] {
        if (frmActivity* window = ActiveWindow())
            window->findChild<QWidget*>(QStringLiteral("lstActivity"))->setFocus();
    });

    // The client area is the workspace, below the menu bar.
    resize(form_layout::kFrameClient + QSize(0, menuBar()->sizeHint().height()));

    AddFindInLogs();
    AddHighlights();
}

MDIMain::~MDIMain() = default;

void MDIMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        // The menu bar's real height is known only once laid out (on Windows it is a
        // pixel more than its hint): the client area is made exact here.
        resize(size() + form_layout::kFrameClient - workspace_->size());
        MDIForm_Load();
    }
}

void MDIMain::MDIForm_Load() {
    int index = 0;
    // In the table's order: the last one shown is the active window.
    for (const activity::Component& component : activity::kComponents) {
        auto* window = new frmActivity(component);
        window->SetHighlights(highlights_);
        window->Initialise();
        ShowHighlights(window);
        QMdiSubWindow* child = window->AddTo(workspace_);
        child->move(CascadePosition(*workspace_, *child, index++));
        child->show();
        workspace_->setActiveSubWindow(child);
    }
}

void MDIMain::closeEvent(QCloseEvent* event) {
    workspace_->closeAllSubWindows();
    event->accept();
}

void MDIMain::mnuFileExit_Click() {
    close();
    QCoreApplication::quit();
}

void MDIMain::mnuHelpAbout_Click() {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kAppTitle),
                    tr("Quorvane Activity Monitor (Beta 1)"), QMessageBox::Ok, this);
    box.exec();
}

frmActivity* MDIMain::ActiveWindow() const {
    const QMdiSubWindow* child = workspace_->activeSubWindow();
    return child ? qobject_cast<frmActivity*>(child->widget()) : nullptr;
}

void MDIMain::mnuEditCopy_Click() {
    if (const frmActivity* window = ActiveWindow()) window->CopySelected();
    const QMdiSubWindow* child = workspace_->activeSubWindow();
    if (const auto* found = child ? qobject_cast<FindWindow*>(child->widget()) : nullptr)
        found->CopySelected();
}

void MDIMain::mnuViewEarlier_Click() {
    if (frmActivity* window = ActiveWindow()) window->LoadEarlierLines();
}

void MDIMain::mnuViewEarlierAll_Click() {
    for (QMdiSubWindow* child : workspace_->subWindowList()) {
        if (auto* window = qobject_cast<frmActivity*>(child->widget())) window->LoadEarlierLines();
    }
}

void MDIMain::ApplyFilter(const QString& text) {
    for (QMdiSubWindow* child : workspace_->subWindowList()) {
        if (auto* window = qobject_cast<frmActivity*>(child->widget())) window->SetFilter(text);
    }
}

void MDIMain::menuWindows_AboutToShow() {
    // Rebuilt each time from the workspace, which alone knows the children.
    menuWindows->clear();
    const QList<QMdiSubWindow*> children = workspace_->subWindowList(QMdiArea::CreationOrder);
    const QMdiSubWindow* current = workspace_->currentSubWindow();
    int number = 0;
    for (QMdiSubWindow* child : children) {
        QString caption = child->windowTitle();
        const auto* window = qobject_cast<const frmActivity*>(child->widget());
        if (const std::size_t unseen = window ? window->HighlightedCount() : 0)
            caption = tr("%1 (%L2 new)").arg(caption).arg(qulonglong(unseen));
        QAction* item = menuWindows->addAction(MenuText(++number, caption));
        item->setCheckable(true);
        item->setChecked(child == current);
        connect(item, &QAction::triggered, workspace_,
                [workspace = workspace_, target = QPointer<QMdiSubWindow>(child)] {
                    if (target) workspace->setActiveSubWindow(target);
                });
    }
}

void MDIMain::AddFindInLogs() {
    mnuEditFindInLogs = new QAction(tr("Find in &Logs..."), this);
    mnuEditFindInLogs->setObjectName(QStringLiteral("mnuEditFindInLogs"));
    mnuEditFindInLogs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    mnuEdit->insertAction(mnuEditCopy, mnuEditFindInLogs);
    connect(mnuEditFindInLogs, &QAction::triggered, this, &MDIMain::mnuEditFindInLogs_Click);
}

void MDIMain::mnuEditFindInLogs_Click() {
    FindDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        OpenFind(dialog.Text(), dialog.Day(), dialog.Components());
}

void MDIMain::OpenFind(const QString& text, const QDate& day, const QStringList& components) {
    auto* window = new FindWindow(text, day, components);
    ShowHighlights(window);
    QMdiSubWindow* child = window->AddTo(workspace_);
    child->show();
    workspace_->setActiveSubWindow(child);
}

void MDIMain::AddHighlights() {
    highlights_ = new Highlights(this);
    mnuEditHighlights = new QAction(tr("&Highlights..."), this);
    mnuEditHighlights->setObjectName(QStringLiteral("mnuEditHighlights"));
    mnuEdit->insertAction(mnuEditCopy, mnuEditHighlights);
    connect(mnuEditHighlights, &QAction::triggered, this, &MDIMain::mnuEditHighlights_Click);
}

void MDIMain::mnuEditHighlights_Click() {
    HighlightsDialog dialog(highlights_, this);
    dialog.exec();
}

void MDIMain::ShowHighlights(QWidget* window) const {
    for (auto* list : window->findChildren<ActivityListView*>()) list->SetHighlights(highlights_);
}

void MDIMain::StartHighlights(const std::vector<activity::HighlightRule>& rules,
                              std::optional<std::int64_t> alertQuietMs, bool alertSound) {
    for (const activity::HighlightRule& rule : rules) highlights_->Add(rule);
    if (alertQuietMs) highlights_->Gate().SetQuietMs(*alertQuietMs);
    highlights_->SetSound(alertSound);
}
