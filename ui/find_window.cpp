#include "find_window.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

#include "activity_list_view.h"
#include "activity_model.h"
#include "app_icons.h"
#include "components.h"
#include "detail_box.h"
#include "form_layout.h"

namespace {

using activity::ScanState;

// How often what the worker found is taken in: often enough to look live,
// seldom enough that a burst of batches costs the interface little.
constexpr int kTakeInterval = 50;

// Each row carries its component's name and a space beyond the line the search
// counted: the list has room for them, so that it never drops what was found.
constexpr std::size_t NameRoom() {
    std::size_t room = 0;
    for (const activity::Component& c : activity::kComponents)
        room = std::max(room, c.name.size() + 1);
    return room;
}

// Why a component's log could not be read, or "" when it was.
QString Problem(const QString& name, const activity::ScanStatus& status) {
    const QString path = QString::fromStdString(status.file);
    const QString file = path.mid(path.lastIndexOf(u'\\') + 1);
    switch (status.state) {
        case ScanState::Following:
            if (status.restart == activity::Restart::None) return {};
            return FindWindow::tr(
                       "%1: %2 changed during the search: only what came before was searched")
                .arg(name, file);
        case ScanState::NotScanned:
            return FindWindow::tr("%1: not searched").arg(name);
        case ScanState::NoSetting:
            return FindWindow::tr("%1: no log folder set in the server's settings").arg(name);
        case ScanState::FolderMissing:
            return FindWindow::tr("%1: log folder not found: %2")
                .arg(name, path.left(path.lastIndexOf(u'\\')));
        case ScanState::FileMissing:
            return FindWindow::tr("%1: no log on that day (%2)").arg(name, file);
        case ScanState::AccessDenied:
            return FindWindow::tr("%1: cannot read %2: access denied").arg(name, file);
        case ScanState::NotAFile:
            return FindWindow::tr("%1: %2 is not a file").arg(name, file);
        case ScanState::Unreadable:
            return FindWindow::tr("%1: cannot read %2").arg(name, file);
    }
    return {};
}

}  // namespace

FindWindow::FindWindow(const QString& text, const QDate& day, const QStringList& components,
                       QWidget* parent)
    : QWidget(parent),
      model_(new ActivityModel(
          this, ActivityModel::kMaxEntries,
          ActivityModel::kMaxTextBytes + ActivityModel::kMaxEntries * NameRoom())),
      lstResults(new ActivityListView(this)),
      lblProblems(new QLabel(this)),
      CmdByTime(new QPushButton(tr("By &Time"), this)),
      CmdCancel(new QPushButton(tr("&Cancel"), this)),
      prgSearch(new QProgressBar(this)),
      lblStatus(new QLabel(tr("Searching..."), this)),
      take_(new QTimer(this)) {
    setWindowTitle(tr("Find \"%1\" - %2").arg(text, QLocale().toString(day, QLocale::LongFormat)));
    setWindowIcon(ActivityIcon());

    lstResults->setObjectName(QStringLiteral("lstResults"));
    lstResults->ShowModel(model_);
    lstResults->setAccessibleName(tr("Lines found"));
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lblProblems->setTextFormat(Qt::PlainText);
    lblProblems->setWordWrap(true);
    lblProblems->hide();
    CmdByTime->setObjectName(QStringLiteral("CmdByTime"));
    CmdByTime->setCheckable(true);
    CmdByTime->setEnabled(false);  // once all is found
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    prgSearch->setObjectName(QStringLiteral("prgSearch"));
    prgSearch->setAccessibleName(tr("Search progress"));
    prgSearch->setRange(0, 0);  // busy until the logs' sizes are known
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);

    auto* bar = new QHBoxLayout;
    bar->addWidget(CmdByTime);
    bar->addWidget(CmdCancel);
    bar->addWidget(prgSearch);
    bar->addWidget(lblStatus, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstResults, 1);
    layout->addWidget(lblProblems);
    layout->addLayout(bar);

    connect(lstResults, &ActivityListView::DetailRequested, this, &FindWindow::lstResults_DblClick);
    connect(CmdByTime, &QPushButton::toggled, this, &FindWindow::CmdByTime_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FindWindow::CmdCancel_Click);
    connect(take_, &QTimer::timeout, this, &FindWindow::TakeFound);

    // The settings are read here, so that the worker reads only the logs.
    activity::LogSearchRequest request;
    request.text = text.toStdString();
    request.day = {day.year(), day.month(), day.day()};
    request.maxEntries = ActivityModel::kMaxEntries;
    request.maxTextBytes = ActivityModel::kMaxTextBytes;
    for (const activity::Component& c : activity::kComponents) {
        if (!components.isEmpty() &&
            !components.contains(QString::fromLatin1(c.name.data(), qsizetype(c.name.size())))) {
            continue;
        }
        names_.emplace_back(c.name);
        request.components.push_back(
            {std::string(c.name), activity::LogDirectory(c.name, c.branch)});
    }
    times_.resize(names_.size());
    take_->start(kTakeInterval);
    Search(std::move(request));
}

FindWindow::~FindWindow() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

QMdiSubWindow* FindWindow::AddTo(QMdiArea* workspace) {
    QMdiSubWindow* frame = workspace->addSubWindow(this);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(windowIcon());
    // At the top of the workspace, which holds it whole.
    frame->resize(form_layout::kActivityClient.width(), form_layout::kActivityClient.height() * 2);
    frame->move(0, 0);
    return frame;
}

void FindWindow::CopySelected() const {
    lstResults->CopySelected();
}

void FindWindow::Search(activity::LogSearchRequest request) {
    worker_ = std::thread([this, request = std::move(request)] {
        // The search stops at the caps itself; this keeps a last batch past them out too.
        std::size_t entries = 0;
        std::size_t bytes = 0;
        bool over = false;
        const auto progress = [this](std::uint64_t done, std::uint64_t total) {
            const std::lock_guard lock(mutex_);
            done_ = done;
            total_ = total;
        };
        const auto sink = [&](std::size_t component, const activity::EntryBatch& lines) {
            Found found{component, {}, {}};
            found.times.reserve(lines.size());
            const std::string& name = request.components[component].name;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::string_view line = lines[i];
                over = over || entries == request.maxEntries ||
                       request.maxTextBytes - bytes < line.size();
                if (over) break;
                ++entries;
                bytes += line.size();
                std::string& row = found.rows.OpenText();
                row.append(name).append(1, ' ').append(line);
                found.rows.CloseEntry();
                found.times.push_back(activity::LeadingTimeOfDay(line));
            }
            const std::lock_guard lock(mutex_);
            found_.push_back(std::move(found));
        };
        activity::LogSearchOutcome outcome = activity::SearchLogs(request, cancel_, progress, sink);
        outcome.capped = outcome.capped || over;
        const std::lock_guard lock(mutex_);
        outcome_ = std::move(outcome);
    });
}

void FindWindow::TakeFound() {
    std::vector<Found> found;
    std::optional<activity::LogSearchOutcome> outcome;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    {
        const std::lock_guard lock(mutex_);
        found.swap(found_);
        outcome.swap(outcome_);
        done = done_;
        total = total_;
    }
    for (Found& batch : found) {
        std::vector<int>& times = times_[batch.component];
        times.insert(times.end(), batch.times.begin(), batch.times.end());
        arrival_.insert(arrival_.end(), batch.rows.size(), batch.component);
        model_->Append(batch.rows);
    }
    if (outcome) {
        worker_.join();  // it has finished
        Finished(*outcome);
        return;
    }
    if (total > 0) {
        prgSearch->setRange(0, 1000);
        prgSearch->setValue(static_cast<int>(std::min(done, total) * 1000 / total));
    }
    lblStatus->setText(tr("Searching... Lines found: %L1").arg(model_->rowCount()));
}

void FindWindow::Finished(const activity::LogSearchOutcome& outcome) {
    take_->stop();
    std::vector<std::size_t> next = FirstLines();  // then the next line of each
    order_.clear();
    order_.reserve(arrival_.size());
    for (const std::size_t component : arrival_) order_.push_back(next[component]++);
    std::vector<std::size_t>().swap(arrival_);
    if (std::is_sorted(order_.begin(), order_.end())) {
        order_.clear();
    } else {
        Reorder({});
    }
    prgSearch->hide();
    CmdCancel->setEnabled(false);
    CmdByTime->setEnabled(true);
    QStringList problems;
    for (std::size_t i = 0; i < outcome.components.size() && i < names_.size(); ++i) {
        const QString problem = Problem(QString::fromStdString(names_[i]), outcome.components[i]);
        if (!problem.isEmpty()) problems << problem;
    }
    lblProblems->setText(problems.join(u'\n'));
    lblProblems->setVisible(!problems.isEmpty());
    const QString found = tr("Lines found: %L1").arg(model_->rowCount());
    if (outcome.cancelled) {
        lblStatus->setText(tr("Cancelled. %1").arg(found));
    } else if (outcome.capped) {
        lblStatus->setText(tr("Stopped at the list's limit of %L1 lines or %L2 MiB. %3")
                               .arg(qulonglong(ActivityModel::kMaxEntries))
                               .arg(qulonglong(ActivityModel::kMaxTextBytes >> 20))
                               .arg(found));
    } else {
        lblStatus->setText(found);
    }
}

void FindWindow::CmdCancel_Click() {
    cancel_ = true;
    CmdCancel->setEnabled(false);
}

std::vector<std::size_t> FindWindow::FirstLines() const {
    std::vector<std::size_t> first;
    std::size_t lines = 0;
    for (const std::vector<int>& times : times_) {
        first.push_back(lines);
        lines += times.size();
    }
    return first;
}

void FindWindow::CmdByTime_Click(bool byTime) {
    std::vector<std::size_t> next;
    if (byTime) {
        const std::vector<std::size_t> first = FirstLines();
        const auto merged = activity::MergeByTime(times_);
        next.reserve(merged.size());
        for (const auto& [component, line] : merged) next.push_back(first[component] + line);
    }
    Reorder(std::move(next));
}

void FindWindow::Reorder(std::vector<std::size_t> next) {
    const auto lineOf = [](const std::vector<std::size_t>& order, std::size_t row) {
        return order.empty() ? row : order[row];
    };
    const auto rows = static_cast<std::size_t>(model_->rowCount());
    std::vector<std::size_t> rowOf(rows);  // where each line is listed now
    for (std::size_t row = 0; row < rows; ++row) rowOf[lineOf(order_, row)] = row;
    activity::EntryBatch reordered;
    for (std::size_t row = 0; row < rows; ++row) {
        reordered.Append(model_->Entry(rowOf[lineOf(next, row)]));
    }
    std::optional<std::size_t> selected;
    if (const QModelIndexList s = lstResults->selectionModel()->selectedIndexes(); !s.isEmpty()) {
        selected = lineOf(order_, static_cast<std::size_t>(s.first().row()));
    }

    model_->Clear();
    model_->Append(reordered);
    order_ = std::move(next);
    if (selected) {
        const auto at =
            order_.empty()
                ? *selected
                : static_cast<std::size_t>(std::find(order_.begin(), order_.end(), *selected) -
                                           order_.begin());
        const QModelIndex index = model_->index(static_cast<int>(at));
        lstResults->setCurrentIndex(index);
        lstResults->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
}

void FindWindow::lstResults_DblClick() {
    ShowDetailBox(this, tr("%1 (Detail)").arg(windowTitle()), lstResults->SelectedText(),
                  lstResults->HighlightsShown());
}
