#pragma once

#include <QAbstractListModel>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "entry_batch.h"

// The entries of one activity window, oldest first, kept as UTF-8 in blocks of
// packed text with one offset per entry: a million lines cost little more than
// their bytes, and a QString exists only while a row is painted or read.
//
// A monitor runs for weeks, so the list is bounded: past `maxEntries` entries
// or `maxTextBytes` of text the oldest go first, in constant time per entry.
class ActivityModel final : public QAbstractListModel {
    Q_OBJECT

  public:
    static constexpr std::size_t kMaxEntries = 1'000'000;
    static constexpr std::size_t kMaxTextBytes = std::size_t{256} << 20;
    // The entry exactly as read; DisplayRole shows line feeds as a symbol.
    static constexpr int kEntryTextRole = Qt::UserRole;
    // The entry's sequence number (below), as qulonglong.
    static constexpr int kSeqRole = Qt::UserRole + 1;

    explicit ActivityModel(QObject* parent = nullptr, std::size_t maxEntries = kMaxEntries,
                           std::size_t maxTextBytes = kMaxTextBytes);
    ~ActivityModel() override;

    // Without the base class's row and column checks through virtual calls:
    // the view asks for every row's index at each layout.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds a scan's entries at the end, as one insertion.
    void Append(const activity::EntryBatch& batch);
    // Adds older entries above the first, as one insertion: the newest of them
    // that fit within the caps, since nothing stored makes way for older
    // entries, and none once the oldest were dropped. Returns how many.
    std::size_t Prepend(const activity::EntryBatch& batch);
    void Clear();

    std::size_t MaxEntries() const { return maxEntries_; }
    std::size_t MaxTextBytes() const { return maxTextBytes_; }

    std::string_view Entry(std::size_t row) const;

    // Every entry has a sequence number, rising from row to row and never
    // given twice: row 0 is FirstSeq(), and the next to come EndSeq(). Older
    // entries put above the first take the numbers below it.
    std::uint64_t FirstSeq() const;
    std::uint64_t EndSeq() const { return nextSeq_; }
    // The stored entries from `seq` to the end of its block, for a reader that
    // walks the text a block at a time: entry first + k ends at ends[k] in
    // `text` and starts at `begin` or at the end before it.
    struct Run {
        std::uint64_t first = 0;
        std::string_view text;
        std::span<const std::uint32_t> ends;
        std::size_t begin = 0;
    };
    Run RunFrom(std::uint64_t seq) const;
    std::size_t TextBytes() const { return textBytes_; }

  signals:
    // An append went past a cap: the entry cap if `entryCap`, else the text cap.
    void OldestDropped(bool entryCap);

  private:
    struct Block {
        std::uint64_t first = 0;          // sequence number of its first entry
        std::string text;                 // entries back to back
        std::vector<std::uint32_t> ends;  // where each entry ends in `text`
        std::string_view At(std::size_t i) const;
    };

    // How many of the oldest entries must go to make room for `entries`
    // entries of `bytes` bytes.
    std::size_t ExcessFor(std::size_t entries, std::size_t bytes) const;
    void DropOldest(std::size_t n);
    // Stores the batch's entries from `from` on at the end of `into`,
    // numbered from `seq`, which moves past them.
    void Store(const activity::EntryBatch& batch, std::size_t from, std::deque<Block>& into,
               std::uint64_t& seq);

    const std::size_t maxEntries_;
    const std::size_t maxTextBytes_;
    std::deque<Block> blocks_;
    std::size_t headSkip_ = 0;  // entries of blocks_.front() already dropped
    std::size_t count_ = 0;
    std::size_t textBytes_ = 0;
    // Older entries put above the first, at most maxEntries_ until a Clear,
    // take the numbers below those given since the start or the last Clear.
    std::uint64_t nextSeq_;
    bool dropped_ = false;  // since the last Clear
};
