#include "status_label.h"

#include <QAccessible>
#include <QTime>

#include <algorithm>
#include <climits>

#include "components.h"

namespace {

using activity::ScanState;

QString Now() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void StatusLabel::SetComponent(const QString& name, const QString& settingsKey,
                               const QString& store) {
    name_ = name;
    const QString value = QString::fromUtf8(activity::kDirectoryValue.data(),
                                            qsizetype(activity::kDirectoryValue.size()));
    settingsKey_ = tr("HKEY_LOCAL_MACHINE\\%1, value \"%2\"").arg(settingsKey, value);
    if (!store.isEmpty()) settingsKey_ = tr("%1 in %2").arg(settingsKey_, store);
    Show();
}

void StatusLabel::Scanned(const activity::ScanStatus& status) {
    if (status.state != status_.state || status.file != status_.file) status_ = status;
    if (status.restart != activity::Restart::None) {
        notice_ =
            status.restart == activity::Restart::Truncated ? Notice::Truncated : Notice::Replaced;
        noticeText_ = Now();
    }
    // What was noticed before a failure is no news once the file is back.
    if (status.state != ScanState::Following) notice_ = Notice::None;
    Show();
}

void StatusLabel::Listed(bool newScan) {
    lastLine_ = Now();
    if (newScan) notice_ = Notice::None;
    Show();
}

void StatusLabel::Dropped(std::size_t cap, bool entryCap) {
    if (capSaid_) return;
    capSaid_ = true;
    notice_ = Notice::Capped;
    noticeText_ = entryCap
                      ? tr("The list keeps the newest %L1 entries: older ones were dropped")
                            .arg(qulonglong(cap))
                      : tr("The list keeps the newest %L1 MiB of text: older entries were dropped")
                            .arg(qulonglong(cap >> 20));
    Show();
}

void StatusLabel::Cleared() {
    capSaid_ = false;
    if (notice_ == Notice::Capped) notice_ = Notice::None;
    Show();
}

void StatusLabel::Earlier(EarlierState state, int percent) {
    reading_.clear();
    switch (state) {
        case EarlierState::Reading:
            reading_ = tr("Reading earlier lines ... %1%").arg(percent);
            break;
        case EarlierState::Done:
            notice_ = Notice::Earlier;
            noticeText_ = tr("Earlier lines of today listed");
            break;
        case EarlierState::NoneLeft:
            notice_ = Notice::Earlier;
            noticeText_ = tr("No earlier lines of today to list");
            break;
        case EarlierState::Changed:
            notice_ = Notice::Earlier;
            noticeText_ = tr("Earlier lines stopped: the log started anew");
            break;
        case EarlierState::LeftOut:
            capSaid_ = true;
            notice_ = Notice::Capped;
            noticeText_ =
                tr("Earlier lines listed as far as the list holds: older ones were left out");
            break;
    }
    Show();
}

void StatusLabel::SetPaused(bool paused) {
    paused_ = paused;
    Show();
}

void StatusLabel::SetMatches(bool filtering, std::size_t matches, std::size_t total) {
    matches_ = filtering
                   ? tr("%L1 of %L2 entries match").arg(qulonglong(matches)).arg(qulonglong(total))
                   : QString();
    Show();
}

void StatusLabel::SetHighlighted(std::size_t count) {
    // English has no numerus forms without a catalogue of its own: the one is its own text.
    const int n = int(std::min<std::size_t>(count, INT_MAX));
    highlighted_ = n == 0   ? QString()
                   : n == 1 ? tr("1 new highlighted entry")
                            : tr("%Ln new highlighted entries", nullptr, n);
    Show();
}

void StatusLabel::Alert() {
    QAccessibleEvent event(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

void StatusLabel::Show() {
    const QString path = QString::fromStdString(status_.file);
    const QString file = path.mid(path.lastIndexOf(u'\\') + 1);
    QString tip = path;
    QString text;
    switch (status_.state) {
        case ScanState::NotScanned:
            break;
        case ScanState::Following:
            if (!reading_.isEmpty()) {
                text = reading_;
            } else if (notice_ == Notice::Capped || notice_ == Notice::Earlier) {
                text = noticeText_;
            } else if (notice_ != Notice::None) {
                text = notice_ == Notice::Truncated
                           ? tr("Read again from the start at %1 (the file was truncated)")
                           : tr("Read again from the start at %1 (the file was replaced)");
                text = text.arg(noticeText_);
            } else {
                text = lastLine_.isEmpty() ? tr("Following %1").arg(file)
                                           : tr("Following %1, last line %2").arg(file, lastLine_);
            }
            break;
        case ScanState::NoSetting:
            text = tr("No log folder set for %1 in the server's settings").arg(name_);
            tip = settingsKey_;
            break;
        case ScanState::FolderMissing:
            text = tr("Log folder not found: %1").arg(path.left(path.lastIndexOf(u'\\')));
            break;
        case ScanState::FileMissing:
            text = tr("Waiting for %1").arg(file);
            break;
        case ScanState::AccessDenied:
            text = tr("Cannot read %1: access denied").arg(file);
            break;
        case ScanState::NotAFile:
            text = tr("%1 is not a file").arg(file);
            break;
        case ScanState::Unreadable:
            text = tr("Cannot read %1").arg(file);
            break;
    }
    // What arrived unseen says more than a quiet log being followed.
    if (!highlighted_.isEmpty() && status_.state == ScanState::Following) text = highlighted_;
    // A filter's count is what its user looks for, beside the unseen; a pause still shows.
    QString counts = matches_;
    if (!highlighted_.isEmpty() && !matches_.isEmpty())
        counts = tr("%1; %2").arg(highlighted_, matches_);
    if (!counts.isEmpty()) text = counts;
    if (paused_) text = counts.isEmpty() ? tr("Paused") : tr("Paused: %1").arg(counts);
    setToolTip(tip);
    if (text == accessibleName()) return;
    // The whole wording for screen readers, announced by setAccessibleName as a
    // NameChanged event; the label shows what fits.
    setAccessibleName(text);
    setText(fontMetrics().elidedText(text, Qt::ElideMiddle, contentsRect().width()));
}
