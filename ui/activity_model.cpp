#include "activity_model.h"

#include <algorithm>

namespace {

// A block closes at either limit; dropping the oldest entries frees memory a
// block at a time, so blocks stay small next to the caps.
constexpr std::size_t kBlockEntries = 4096;
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

constexpr char16_t kLineFeedSymbol = u'\u240A';

}  // namespace

std::string_view ActivityModel::Block::At(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(text).substr(begin, ends[i] - begin);
}

ActivityModel::ActivityModel(QObject* parent, std::size_t maxEntries, std::size_t maxTextBytes)
    : QAbstractListModel(parent),
      maxEntries_(std::max<std::size_t>(maxEntries, 1)),
      maxTextBytes_(maxTextBytes),
      nextSeq_(maxEntries_) {}

ActivityModel::~ActivityModel() = default;

QModelIndex ActivityModel::index(int row, int column, const QModelIndex& parent) const {
    const bool valid =
        row >= 0 && static_cast<std::size_t>(row) < count_ && column == 0 && !parent.isValid();
    return valid ? createIndex(row, column) : QModelIndex();
}

int ActivityModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(count_);
}

QVariant ActivityModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.parent().isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= count_) {
        return {};
    }
    if (role == kSeqRole) return qulonglong(FirstSeq() + static_cast<std::uint64_t>(index.row()));
    // A painted row is asked for a dozen roles: only these take the text.
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole && role != kEntryTextRole)
        return {};
    const std::string_view entry = Entry(static_cast<std::size_t>(index.row()));
    QString text = QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
    switch (role) {
        case Qt::DisplayRole:
            // A lone LF is part of a log line; shown raw it would cut the row.
            return text.replace(u'\n', QChar(kLineFeedSymbol));
        case Qt::AccessibleTextRole:
            return text.replace(u'\n', u' ');
        case kEntryTextRole:
            return text;
        default:
            return {};
    }
}

std::string_view ActivityModel::Entry(std::size_t row) const {
    if (row >= count_) return {};
    const Run run = RunFrom(FirstSeq() + row);
    return run.text.substr(run.begin, run.ends.front() - run.begin);
}

std::uint64_t ActivityModel::FirstSeq() const {
    return blocks_.empty() ? nextSeq_ : blocks_.front().first + headSkip_;
}

ActivityModel::Run ActivityModel::RunFrom(std::uint64_t seq) const {
    if (seq < FirstSeq() || seq >= nextSeq_) return {};
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), seq,
                               [](std::uint64_t s, const Block& b) { return s < b.first; });
    --it;
    const auto i = static_cast<std::size_t>(seq - it->first);
    return {seq, it->text, std::span<const std::uint32_t>(it->ends).subspan(i),
            i == 0 ? 0 : it->ends[i - 1]};
}

void ActivityModel::Append(const activity::EntryBatch& batch) {
    const std::size_t n = batch.size();
    if (n == 0) return;
    const std::vector<std::size_t>& ends = batch.ends();
    const std::size_t total = ends.back();

    // Of a batch beyond the caps by itself only the newest part would stay.
    std::size_t from = n > maxEntries_ ? n - maxEntries_ : 0;
    if (total > maxTextBytes_) {
        const auto first = std::lower_bound(ends.begin(), ends.end(), total - maxTextBytes_);
        from = std::max(from, static_cast<std::size_t>(first - ends.begin()) + 1);
    }
    from = std::min(from, n - 1);  // the newest entry stays whatever its size
    const std::size_t adding = n - from;
    const std::size_t addingBytes = total - (from == 0 ? 0 : ends[from - 1]);

    const bool entryCap = count_ + n > maxEntries_;
    const std::size_t excess = ExcessFor(adding, addingBytes);
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(excess - 1));
        DropOldest(excess);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), static_cast<int>(count_), static_cast<int>(count_ + adding - 1));
    Store(batch, from, blocks_, nextSeq_);
    endInsertRows();
    if (excess > 0 || from > 0) {
        dropped_ = true;
        emit OldestDropped(entryCap);
    }
}

std::size_t ActivityModel::Prepend(const activity::EntryBatch& batch) {
    const std::size_t n = batch.size();
    if (n == 0) return 0;
    const std::vector<std::size_t>& ends = batch.ends();
    const std::size_t total = ends.back();
    const std::size_t roomEntries = maxEntries_ - std::min(count_, maxEntries_);
    const std::size_t roomBytes = maxTextBytes_ - std::min(textBytes_, maxTextBytes_);
    std::size_t from = n - std::min(n, roomEntries);
    if (total > roomBytes) {
        const auto first = std::lower_bound(ends.begin(), ends.end(), total - roomBytes);
        from = std::max(from, static_cast<std::size_t>(first - ends.begin()) + 1);
    }
    // Once the oldest entries have gone, older ones above would leave a gap.
    if (from >= n || dropped_) return 0;
    const std::size_t adding = n - from;

    std::deque<Block> older;
    std::uint64_t seq = FirstSeq() - adding;
    beginInsertRows(QModelIndex(), 0, static_cast<int>(adding - 1));
    Store(batch, from, older, seq);
    blocks_.insert(blocks_.begin(), std::make_move_iterator(older.begin()),
                   std::make_move_iterator(older.end()));
    endInsertRows();
    return adding;
}

void ActivityModel::Clear() {
    beginResetModel();
    // What is put above the entries to come takes numbers of its own.
    nextSeq_ += maxEntries_;
    dropped_ = false;
    blocks_.clear();
    headSkip_ = 0;
    count_ = 0;
    textBytes_ = 0;
    endResetModel();
}

std::size_t ActivityModel::ExcessFor(std::size_t entries, std::size_t bytes) const {
    std::size_t drop = count_ + entries > maxEntries_ ? count_ + entries - maxEntries_ : 0;
    drop = std::min(drop, count_);
    if (textBytes_ + bytes <= maxTextBytes_) return drop;
    // Walk the oldest entries until enough text is freed.
    std::size_t freed = 0;
    std::size_t walked = 0;
    std::size_t block = 0;
    std::size_t i = headSkip_;
    while (walked < count_ && (walked < drop || textBytes_ - freed + bytes > maxTextBytes_)) {
        freed += blocks_[block].At(i).size();
        ++walked;
        if (++i == blocks_[block].ends.size()) {
            ++block;
            i = 0;
        }
    }
    return walked;
}

void ActivityModel::DropOldest(std::size_t n) {
    while (n > 0) {
        Block& front = blocks_.front();
        const std::size_t take = std::min(n, front.ends.size() - headSkip_);
        const std::size_t begin = headSkip_ == 0 ? 0 : front.ends[headSkip_ - 1];
        textBytes_ -= front.ends[headSkip_ + take - 1] - begin;
        headSkip_ += take;
        count_ -= take;
        n -= take;
        if (headSkip_ == front.ends.size()) {
            blocks_.pop_front();
            headSkip_ = 0;
        }
    }
}

void ActivityModel::Store(const activity::EntryBatch& batch, std::size_t from,
                          std::deque<Block>& into, std::uint64_t& seq) {
    const std::string& text = batch.text();
    const std::vector<std::size_t>& ends = batch.ends();
    const std::size_t n = ends.size();
    const auto startOf = [&ends](std::size_t i) { return i == 0 ? 0 : ends[i - 1]; };
    const auto fits = [](const Block& b, std::size_t entries, std::size_t bytes) {
        return b.ends.size() + entries <= kBlockEntries &&
               (b.text.size() + bytes <= kBlockBytes || (b.ends.empty() && entries == 1));
    };

    std::size_t i = from;
    while (i < n) {
        if (into.empty() || !fits(into.back(), 1, ends[i] - startOf(i))) {
            // The block before is done: give back what slow growth left spare.
            if (!into.empty()) {
                into.back().text.shrink_to_fit();
                into.back().ends.shrink_to_fit();
            }
            // Sized for the run that will fill it, so a burst wastes nothing.
            std::size_t j = i + 1;
            while (j < n && j - i < kBlockEntries && ends[j] - startOf(i) <= kBlockBytes) ++j;
            Block& fresh = into.emplace_back();
            fresh.first = seq;
            fresh.text.reserve(ends[j - 1] - startOf(i));
            fresh.ends.reserve(j - i);
        }
        Block& block = into.back();
        std::size_t j = i + 1;
        while (j < n && fits(block, j + 1 - i, ends[j] - startOf(i))) ++j;
        const std::size_t base = startOf(i);
        const std::size_t offset = block.text.size();
        block.text.append(text, base, ends[j - 1] - base);
        for (std::size_t k = i; k < j; ++k) {
            block.ends.push_back(static_cast<std::uint32_t>(offset + ends[k] - base));
        }
        textBytes_ += ends[j - 1] - base;
        count_ += j - i;
        seq += j - i;
        i = j;
    }
}
