#include "filter_model.h"

#include <QElapsedTimer>

#include <algorithm>
#include <limits>

#include "activity_follower.h"
#include "work_queue.h"

FilterModel::FilterModel(ActivityModel* source, QObject* parent, std::uint64_t span)
    : QAbstractListModel(parent), source_(source), span_(span) {
    connect(source_, &QAbstractItemModel::rowsInserted, this, [this] {
        ExtendAbove();
        // A slice to come takes them.
        if (!search_ || WorkQueue::Pending(this, WorkQueue::Kind::Filter)) return;
        Extend(activity::kSliceBytes);
        if (Building()) ScheduleSlice();
    });
    connect(source_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int, int last) { SourceRemoved(last); });
    connect(source_, &QAbstractItemModel::modelReset, this, &FilterModel::SourceReset);
    first_ = next_ = base_ = source_->EndSeq();
}

void FilterModel::SetText(const QString& text) {
    if (text == text_) return;
    beginResetModel();
    text_ = text;
    hits_.clear();
    head_ = 0;
    first_ = base_ = source_->FirstSeq();
    next_ = text.isEmpty() ? source_->EndSeq() : base_;
    search_.reset();
    if (!text.isEmpty()) search_.emplace(text.toStdString());
    endResetModel();
    // From the work queue, so that seven windows set at once do not add up.
    if (Building()) ScheduleSlice();
}

int FilterModel::SourceRow(int row) const {
    if (row < 0 || row >= rowCount()) return -1;
    return static_cast<int>(SeqAt(row) - source_->FirstSeq());
}

int FilterModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(hits_.size() - head_);
}

QVariant FilterModel::data(const QModelIndex& index, int role) const {
    if (index.parent().isValid() || index.row() < 0 || index.row() >= rowCount()) return {};
    if (role == ActivityModel::kSeqRole) return qulonglong(SeqAt(index.row()));
    return source_->index(SourceRow(index.row())).data(role);
}

void FilterModel::Extend(std::size_t budget) {
    if (!search_ || !Building()) return;
    // Sequence numbers grow for as long as the monitor runs: keep them within
    // 4 bytes of the base by moving it up to the oldest entry kept.
    if (source_->EndSeq() - base_ > span_) {
        const std::uint64_t base = source_->FirstSeq();
        hits_.erase(hits_.begin(), hits_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
        for (std::uint32_t& hit : hits_) hit = static_cast<std::uint32_t>(base_ + hit - base);
        base_ = base;
    }
    // Entries dropped or cleared before they were looked at are not there to look at.
    next_ = std::max(next_, source_->FirstSeq());
    std::vector<std::uint64_t> found;
    std::size_t looked = 0;
    QElapsedTimer clock;
    clock.start();
    // A slice ends at its bytes or its time, whichever comes first: a busy
    // machine must not make it a stall.
    while (Building() && looked < budget && clock.elapsed() < kSliceMs) {
        looked += SearchRun(next_, source_->EndSeq(), found);
    }
    if (!found.empty()) {
        const int rows = rowCount();
        beginInsertRows(QModelIndex(), rows, rows + static_cast<int>(found.size()) - 1);
        for (const std::uint64_t seq : found)
            hits_.push_back(static_cast<std::uint32_t>(seq - base_));
        endInsertRows();
    }
    // Built: give back what growing by doubling left spare.
    if (!Building() && hits_.capacity() > hits_.size() + hits_.size() / 4 + 1024) {
        hits_.shrink_to_fit();
    }
    emit Progress();
}

std::size_t FilterModel::SearchRun(std::uint64_t& seq, std::uint64_t end,
                                   std::vector<std::uint64_t>& found) const {
    ActivityModel::Run run = source_->RunFrom(seq);
    run.ends = run.ends.first(std::min<std::size_t>(run.ends.size(), end - seq));
    activity::ForEachMatchingEntry(*search_, run.text, run.begin, run.ends,
                                   [&](std::size_t k) { found.push_back(run.first + k); });
    seq = run.first + run.ends.size();
    return run.ends.back() - run.begin;
}

void FilterModel::ExtendAbove() {
    const std::uint64_t first = source_->FirstSeq();
    if (!search_ || first >= first_) return;
    std::vector<std::uint64_t> found;
    for (std::uint64_t seq = first; seq < first_;) SearchRun(seq, first_, found);
    first_ = first;
    if (first < base_) {
        // Numbers below the base: it moves down to them.
        for (std::size_t i = head_; i < hits_.size(); ++i) {
            hits_[i] = static_cast<std::uint32_t>(hits_[i] + (base_ - first));
        }
        base_ = first;
    }
    if (!found.empty()) {
        beginInsertRows(QModelIndex(), 0, static_cast<int>(found.size()) - 1);
        std::vector<std::uint32_t> above(found.size());
        std::transform(found.begin(), found.end(), above.begin(), [this](std::uint64_t seq) {
            return static_cast<std::uint32_t>(seq - base_);
        });
        hits_.insert(hits_.begin() + static_cast<std::ptrdiff_t>(head_), above.begin(),
                     above.end());
        endInsertRows();
    }
    emit Progress();
}

void FilterModel::ScheduleSlice() {
    WorkQueue::Post(this, WorkQueue::Kind::Filter, [this] {
        Extend(activity::kSliceBytes);
        return Building();
    });
}

void FilterModel::SourceRemoved(int) {
    // The source drops only its oldest entries.
    const std::uint64_t first = source_->FirstSeq();
    const auto begin = hits_.begin() + static_cast<std::ptrdiff_t>(head_);
    const auto gone =
        static_cast<std::size_t>(std::lower_bound(begin, hits_.end(), first - base_) - begin);
    if (gone > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(gone) - 1);
        head_ += gone;
        if (head_ > hits_.size() / 2) {
            hits_.erase(hits_.begin(), hits_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        endRemoveRows();
    }
    emit Progress();
}

void FilterModel::SourceReset() {
    beginResetModel();
    hits_.clear();
    head_ = 0;
    first_ = next_ = base_ = source_->EndSeq();
    endResetModel();
    emit Progress();
}
