#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "activity_model.h"
#include "text_search.h"

// The entries of an activity window that contain a text, as a list model for
// the same view. It copies no text: it keeps the sequence numbers of the
// matching entries (4 bytes each, from a base), builds them a slice at a time
// in the work queue so that seven windows of a million entries never hold up
// the event loop, and follows the source as entries arrive, leave at the caps
// or are cleared.
class FilterModel final : public QAbstractListModel {
    Q_OBJECT

  public:
    // A match is kept as its distance from a base, which moves up once the
    // newest entry is more than `span` past it (4 bytes' worth; less in tests).
    explicit FilterModel(ActivityModel* source, QObject* parent = nullptr,
                         std::uint64_t span = std::numeric_limits<std::uint32_t>::max());

    // An empty text matches every entry.
    void SetText(const QString& text);
    QString Text() const { return text_; }
    // Whether entries are still waiting to be looked at.
    bool Building() const { return next_ < source_->EndSeq(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // A slice also ends after this long, should the machine be busy.
    static constexpr qint64 kSliceMs = 10;

  signals:
    // The count of matches or of entries looked at changed.
    void Progress();

  private:
    // Looks at up to `budget` bytes of the entries not seen yet.
    void Extend(std::size_t budget);
    // Looks at the older entries put above those seen, at once: they come a
    // slice at a time.
    void ExtendAbove();
    // Looks at the entries from `seq` to the end of its block, short of `end`:
    // adds the matches' numbers to `found`, moves `seq` past them and returns
    // the bytes looked at.
    std::size_t SearchRun(std::uint64_t& seq, std::uint64_t end,
                          std::vector<std::uint64_t>& found) const;
    void ScheduleSlice();
    void SourceRemoved(int last);
    void SourceReset();
    // The source's row of a shown row (-1 when not shown).
    int SourceRow(int row) const;
    std::uint64_t SeqAt(int row) const { return base_ + hits_[head_ + std::size_t(row)]; }

    ActivityModel* source_;
    const std::uint64_t span_;
    QString text_;
    std::optional<activity::TextSearch> search_;
    std::vector<std::uint32_t> hits_;  // from head_ on: matches, as seq - base_
    std::size_t head_ = 0;
    std::uint64_t base_ = 0;
    std::uint64_t first_ = 0;  // the first entry looked at
    std::uint64_t next_ = 0;   // the first entry not looked at
};
