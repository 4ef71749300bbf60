#include "frmActivity.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>

#include "activity_list_view.h"
#include "activity_model.h"
#include "app_icons.h"
#include "detail_box.h"
#include "filter_model.h"
#include "status_label.h"
#include "twips.h"

namespace {

const QString kCaption = QStringLiteral("Quorvane Service Activity");
constexpr int kScanInterval = 3000;
// A few tens of milliseconds of reading, splitting and listing, so that a
// slice and the view's layout of a full list together stay well under 100 ms.
constexpr std::size_t kSliceBytes = std::size_t{4} << 20;

}  // namespace

frmActivity::frmActivity(QWidget* parent)
    : QWidget(parent),
      model_(new ActivityModel(this)),
      lstActivity(new ActivityListView(this)),
      CmdClear(new QPushButton(QStringLiteral("&Clear"), this)),
      CmdStatus(new QPushButton(QStringLiteral("&Pause"), this)),
      lblStatus(new StatusLabel(this)),
      Timer1(new QTimer(this)),
      nextSlice_(new QTimer(this)) {
    setWindowTitle(kCaption);
    setWindowIcon(ActivityIcon());
    setFixedSize(Twips(9075), Twips(2940));

    lstActivity->setObjectName(QStringLiteral("lstActivity"));
    lstActivity->setModel(model_);
    lstActivity->setGeometry(Twips(0), Twips(0), Twips(9135), Twips(2400));
    lstActivity->setAccessibleName(QStringLiteral("Activity"));
    CmdClear->setObjectName(QStringLiteral("CmdClear"));
    CmdClear->setGeometry(Twips(0), Twips(2520), Twips(975), Twips(375));
    CmdStatus->setObjectName(QStringLiteral("CmdStatus"));
    CmdStatus->setGeometry(Twips(1080), Twips(2520), Twips(975), Twips(375));
    // Right of the buttons, as far as the client area goes.
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(Twips(2160), Twips(2520), Twips(9075 - 2160 - 60), Twips(375));
    setTabOrder(lstActivity, CmdClear);
    setTabOrder(CmdClear, CmdStatus);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kScanInterval);
    nextSlice_->setSingleShot(true);
    nextSlice_->setInterval(0);

    connect(Timer1, &QTimer::timeout, this, &frmActivity::Timer1_Timer);
    connect(nextSlice_, &QTimer::timeout, this, &frmActivity::ScanNextSlice);
    connect(CmdStatus, &QPushButton::clicked, this, &frmActivity::CmdStatus_Click);
    connect(CmdClear, &QPushButton::clicked, this, &frmActivity::CmdClear_Click);
    connect(lstActivity, &ActivityListView::DetailRequested, this,
            &frmActivity::lstActivity_DblClick);
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
    return frame;
}

void frmActivity::SetFilter(const QString& text) {
    const bool first = !lstActivity->Filter();
    lstActivity->SetFilter(model_, text);
    FilterModel* filter = lstActivity->Filter();
    const auto count = [this, filter] {
        lblStatus->SetMatches(!filter->Text().isEmpty(), std::size_t(filter->rowCount()),
                              std::size_t(model_->rowCount()));
    };
    if (first) connect(filter, &FilterModel::Progress, this, count);
    count();
}

void frmActivity::CopySelected() const {
    lstActivity->CopySelected();
}

void frmActivity::OnEntries(const activity::EntryBatch& entries) {
    // Before the append, so that a cap it reaches is said after.
    lblStatus->Listed(newScan_);
    model_->Append(entries);
}

void frmActivity::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void frmActivity::Form_Load() {
    setWindowTitle(QString::fromStdString(ServiceName) + QLatin1Char('-') + kCaption);
    lblStatus->SetComponent(ServiceName, ServiceType);
    lblStatus->Scanned(LastScan());  // Initialise's look
    Timer1->start();
}

void frmActivity::Timer1_Timer() {
    ScanFile();
}

void frmActivity::ScanFile() {
    // A scan still going on from the event loop takes in what this one would.
    if (nextSlice_->isActive()) return;
    newScan_ = true;
    ScanNextSlice();
}

void frmActivity::ScanNextSlice() {
    const bool more = ScanSlice(kSliceBytes);
    newScan_ = false;
    lblStatus->Scanned(LastScan());
    if (more) nextSlice_->start();
}

void frmActivity::CmdStatus_Click() {
    if (Timer1->isActive()) {
        Timer1->stop();
        nextSlice_->stop();
        CmdStatus->setText(QStringLiteral("&Resume"));
    } else {
        Timer1->start();
        CmdStatus->setText(QStringLiteral("&Pause"));
    }
    lblStatus->SetPaused(!Timer1->isActive());
}

void frmActivity::CmdClear_Click() {
    model_->Clear();
    lblStatus->Cleared();
}

void frmActivity::lstActivity_DblClick() {
    ShowDetailBox(this, windowTitle() + QStringLiteral(" (Detail)"), lstActivity->SelectedText());
}
