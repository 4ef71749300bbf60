#include "frmActivity.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "activity_list_view.h"
#include "activity_model.h"
#include "app_icons.h"
#include "detail_box.h"
#include "filter_model.h"
#include "form_layout.h"
#include "highlights.h"
#include "modConfig.h"
#include "status_label.h"
#include "work_queue.h"

namespace {

constexpr int kScanInterval = 3000;
// How long one turn of reading earlier lines may take, at most a slice more.
constexpr qint64 kEarlierTurnMs = 12;

}  // namespace

frmActivity::frmActivity(const activity::Component& component, QWidget* parent)
    : QWidget(parent),
      follower_(std::string(component.name), component.branch,
                [this](const activity::EntryBatch& entries) { Listed(entries); }),
      model_(new ActivityModel(this)),
      filter_(new FilterModel(model_, this)),
      lstActivity(new ActivityListView(this)),
      CmdClear(new QPushButton(tr("&Clear"), this)),
      CmdStatus(new QPushButton(tr("&Pause"), this)),
      lblStatus(new StatusLabel(this)),
      Timer1(new QTimer(this)) {
    setWindowTitle(tr("Quorvane Service Activity"));
    setWindowIcon(ActivityIcon());
    setFixedSize(form_layout::kActivityClient);

    lstActivity->setObjectName(QStringLiteral("lstActivity"));
    lstActivity->ShowModel(model_);
    lstActivity->setGeometry(form_layout::kActivityList);
    lstActivity->setAccessibleName(tr("Activity"));
    CmdClear->setObjectName(QStringLiteral("CmdClear"));
    CmdClear->setGeometry(form_layout::kClearButton);
    CmdStatus->setObjectName(QStringLiteral("CmdStatus"));
    CmdStatus->setGeometry(form_layout::kStatusButton);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(form_layout::kStatusLine);
    setTabOrder(lstActivity, CmdClear);
    setTabOrder(CmdClear, CmdStatus);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kScanInterval);

    connect(Timer1, &QTimer::timeout, this, &frmActivity::Timer1_Timer);
    connect(CmdStatus, &QPushButton::clicked, this, &frmActivity::CmdStatus_Click);
    connect(CmdClear, &QPushButton::clicked, this, &frmActivity::CmdClear_Click);
    connect(lstActivity, &ActivityListView::DetailRequested, this,
            &frmActivity::lstActivity_DblClick);
    connect(filter_, &FilterModel::Progress, this, &frmActivity::ShowMatches);
    connect(model_, &ActivityModel::OldestDropped, this, [this](bool entryCap) {
        lblStatus->Dropped(entryCap ? model_->MaxEntries() : model_->MaxTextBytes(), entryCap);
    });
}

frmActivity::~frmActivity() = default;

QMdiSubWindow* frmActivity::AddTo(QMdiArea* workspace) {
    constexpr Qt::WindowFlags kFixedDialog = Qt::SubWindow | Qt::CustomizeWindowHint |
                                             Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowCloseButtonHint;
    QMdiSubWindow* frame = workspace->addSubWindow(this, kFixedDialog);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(windowIcon());
    frame->adjustSize();
    frame->setFixedSize(frame->size());
    connect(workspace, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        if (Watched()) Seen();
    });
    return frame;
}

std::int32_t frmActivity::ServiceType() const {
    return activity::ServiceTypeOf(follower_.Branch());
}

void frmActivity::Initialise() {
    follower_.Initialise();
    if (LoadHistoricData()) ScanFile();
}

void frmActivity::LoadEarlierLines() {
    if (WorkQueue::Pending(this, WorkQueue::Kind::Earlier)) return;
    activity::ListingStart start = follower_.Listing();
    if (start.generation == earlierGeneration_) start.offset = earlierStop_;
    earlierGeneration_ = start.generation;
    earlierStop_ = start.offset;
    earlier_.emplace(start);
    if (earlier_->Ended() != activity::EarlierLines::End::None) {
        lblStatus->Earlier(StatusLabel::EarlierState::NoneLeft);
        return;
    }
    lblStatus->Earlier(StatusLabel::EarlierState::Reading, 0);
    WorkQueue::Post(this, WorkQueue::Kind::Earlier, [this] { return ReadEarlierSlice(); });
}

bool frmActivity::ReadEarlierSlice() {
    using End = activity::EarlierLines::End;
    // The listing started anew (a Clear, a new day, the file cut or replaced):
    // what the reading was to put above belongs to another listing.
    if (follower_.Listing().generation != earlierGeneration_) {
        lblStatus->Earlier(StatusLabel::EarlierState::Changed);
        return false;
    }
    // Slices until the turn's time is up: the list lays out once a turn, which
    // for a million rows costs more than a slice.
    QElapsedTimer turn;
    turn.start();
    bool more = true;
    while (more && turn.elapsed() < kEarlierTurnMs) {
        more = earlier_->ReadSlice(activity::kSliceBytes, earlierBatch_);
        earlierStop_ = earlier_->Position();
        if (model_->Prepend(earlierBatch_) < earlierBatch_.size()) {
            lblStatus->Earlier(StatusLabel::EarlierState::LeftOut);
            return false;
        }
    }
    if (more) {
        lblStatus->Earlier(StatusLabel::EarlierState::Reading, earlier_->Percent());
    } else {
        lblStatus->Earlier(earlier_->Ended() == End::Changed ? StatusLabel::EarlierState::Changed
                                                             : StatusLabel::EarlierState::Done);
    }
    return more;
}

void frmActivity::SetFilter(const QString& text) {
    filter_->SetText(text);
    lstActivity->ShowModel(text.isEmpty() ? static_cast<QAbstractItemModel*>(model_) : filter_);
    ShowMatches();
}

void frmActivity::ShowMatches() {
    lblStatus->SetMatches(!filter_->Text().isEmpty(), std::size_t(filter_->rowCount()),
                          std::size_t(model_->rowCount()));
}

void frmActivity::CopySelected() const {
    lstActivity->CopySelected();
}

void frmActivity::Listed(const activity::EntryBatch& entries) {
    // Before the append, so that a cap it reaches is said after.
    lblStatus->Listed(newScan_);
    model_->Append(entries);
    // What is seen as it arrives needs neither a count nor a call.
    if (highlights_ && !highlights_->Rules().empty() && !Watched()) CountHighlighted(entries);
}

void frmActivity::SetHighlights(Highlights* highlights) {
    highlights_ = highlights;
    alertRules_.reset();
}

bool frmActivity::Watched() const {
    const auto* frame = qobject_cast<const QMdiSubWindow*>(parentWidget());
    return frame && frame->mdiArea() && frame->mdiArea()->activeSubWindow() == frame &&
           frame->isActiveWindow();
}

void frmActivity::Seen() {
    if (highlighted_ == 0) return;
    highlighted_ = 0;
    lblStatus->SetHighlighted(0);
}

bool frmActivity::event(QEvent* event) {
    // The application comes back with this window active: once the workspace
    // has made it its active window again.
    if (event->type() == QEvent::WindowActivate) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (Watched()) Seen();
            },
            Qt::QueuedConnection);
    }
    return QWidget::event(event);
}

void frmActivity::CountHighlighted(const activity::EntryBatch& entries) {
    const activity::HighlightRules& rules = highlights_->Rules();
    const std::vector<activity::HighlightRule>& list = rules.Rules();
    if (!alertRules_ || alertVersion_ != rules.Version()) {
        alertRules_.emplace();
        for (const activity::HighlightRule& rule : list) {
            if (rule.alert) alertRules_->Add(rule);
        }
        alertVersion_ = rules.Version();
    }
    // An entry first matched by a rule past the last alert rule alerts for none.
    int lastAlert = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].alert) lastAlert = int(i);
    }
    classes_.clear();
    rules.Classify(entries, classes_);
    std::size_t count = 0;
    bool hidden = false;  // an entry whose first rule does not alert, before an alert rule
    std::vector<const std::string*> hits;  // the alert rules' texts matched, once each
    const auto hit = [&hits](const std::string& text) {
        const auto same = [&text](const std::string* other) { return *other == text; };
        if (std::none_of(hits.begin(), hits.end(), same)) hits.push_back(&text);
    };
    for (const int c : classes_) {
        if (c < 0) continue;
        ++count;
        if (list[std::size_t(c)].alert) {
            hit(list[std::size_t(c)].text);
        } else {
            hidden = hidden || c < lastAlert;
        }
    }
    // Such entries may match a later alert rule: the alert rules alone, in one
    // more pass over the batch rather than entry by entry.
    if (hidden && hits.size() < alertRules_->Rules().size()) {
        classes_.clear();
        alertRules_->Classify(entries, classes_);
        for (const int a : classes_) {
            if (a >= 0) hit(alertRules_->Rules()[std::size_t(a)].text);
        }
    }
    if (count == 0) return;
    highlighted_ += count;
    lblStatus->SetHighlighted(highlighted_);
    // Each rule matched notes its time, whether or not another already calls.
    bool call = false;
    for (const std::string* text : hits) call = highlights_->Gate().Allow(*text) || call;
    if (!call) return;
    QApplication::alert(window());  // until the monitor is activated
    lblStatus->Alert();
    if (highlights_->Sound()) QApplication::beep();
    emit Alerted();
}

void frmActivity::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmActivity::Form_Load() {
    const QString name = QString::fromStdString(ServiceName());
    setWindowTitle(name + QLatin1Char('-') + tr("Quorvane Service Activity"));
    lblStatus->SetComponent(name, QString::fromStdString(follower_.SettingsKey()),
                            QString::fromStdString(modConfig::SettingsFile()));
    lblStatus->Scanned(follower_.LastScan());  // Initialise's look
    Timer1->start();
}

void frmActivity::Timer1_Timer() {
    ScanFile();
}

void frmActivity::ScanFile() {
    // A scan still going on takes in what this one would.
    if (WorkQueue::Pending(this, WorkQueue::Kind::Scan)) return;
    newScan_ = true;
    WorkQueue::Post(this, WorkQueue::Kind::Scan, [this] { return ScanNextSlice(); });
}

bool frmActivity::ScanNextSlice() {
    const bool more = follower_.ScanSlice(activity::kSliceBytes);
    newScan_ = false;
    lblStatus->Scanned(follower_.LastScan());
    return more;
}

void frmActivity::CmdStatus_Click() {
    if (Timer1->isActive()) {
        Timer1->stop();
        WorkQueue::Cancel(this, WorkQueue::Kind::Scan);
        CmdStatus->setText(tr("&Resume"));
    } else {
        Timer1->start();
        CmdStatus->setText(tr("&Pause"));
    }
    lblStatus->SetPaused(!Timer1->isActive());
}

void frmActivity::CmdClear_Click() {
    WorkQueue::Cancel(this, WorkQueue::Kind::Earlier);
    model_->Clear();
    follower_.ListFromHere();
    lblStatus->Cleared();
}

void frmActivity::lstActivity_DblClick() {
    ShowDetailBox(this, tr("%1 (Detail)").arg(windowTitle()), lstActivity->SelectedText(),
                  lstActivity->HighlightsShown(), lstActivity->FilterText());
}
