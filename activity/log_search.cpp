#include "log_search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>
#include <optional>
#include <queue>
#include <system_error>
#include <thread>

#include "activity_follower.h"
#include "code_page.h"
#include "line_splitter.h"
#include "log_file.h"
#include "log_naming.h"
#include "text_search.h"
#include "utf.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_SSE2 1
#endif

namespace activity {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// One read: small enough that the search finds the bytes still in the
// processor's cache, large enough that the calls cost nothing.
constexpr std::size_t kReadBytes = std::size_t{256} << 10;

// Where the line that holds `at` starts: after the last CR in [from, at), else `from`.
std::size_t LineStart(const char* p, std::size_t from, std::size_t at) {
#ifdef QV_SSE2
    const __m128i cr = _mm_set1_epi8('\r');
    for (; at - from >= 16; at -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at - 16));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
        if (mask != 0) return at - 16 + static_cast<std::size_t>(std::bit_width(mask));
    }
#endif
    while (at > from && p[at - 1] != '\r') --at;
    return at;
}

// The lines of a raw log that contain a text once decoded. Where the code page
// allows, the raw bytes are searched first and only the lines around a place
// that could hold a match are decoded, so that a search costs what grep does.
class LineMatcher {
  public:
    LineMatcher(std::string_view text, const CodePageDecoder& decoder)
        : decoder_(decoder), text_(text) {
        BuildRaw(text);
    }

    // As SplitLines, but lists only the lines that contain the text.
    std::size_t Consume(std::string_view data, bool flushTail, bool& afterCr, EntryBatch& out);

  private:
    void BuildRaw(std::string_view text);
    // Every line of `data` decoded, then searched.
    std::size_t Verified(std::string_view data, bool flushTail, bool& afterCr, EntryBatch& out);

    const CodePageDecoder& decoder_;
    const TextSearch text_;
    // Finds in the raw bytes every place a match can come from (none when the
    // code page makes that too hard to tell: every line is decoded then).
    std::optional<TextSearch> raw_;
    // ... and no other place, within a line of at most kMaxLineBytes.
    bool exact_ = false;
    bool never_ = false;
    EntryBatch scratch_;
};

void LineMatcher::BuildRaw(std::string_view text) {
    // The text's characters, taken as TextSearch takes them.
    std::vector<TextSearch> chars;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = DecodeUtf8(text.substr(at)).length;
        chars.emplace_back(text.substr(at, length));
        at += length;
    }
    const auto takes = [&chars](std::size_t j, std::string_view decoded) {
        return decoded.size() == chars[j].size() && chars[j].Find(decoded) == 0;
    };
    if (decoder_.IsUtf8()) {
        // Valid sequences pass as they are: only U+FFFD and U+2400 come from other bytes.
        for (std::size_t j = 0; j < chars.size(); ++j) {
            if (takes(j, "\xEF\xBF\xBD") || takes(j, "\xE2\x90\x80")) return;
        }
        raw_.emplace(text);
        return;
    }
    std::array<std::string, 256> single;
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        decoder_.Append({&byte, 1}, single[b]);
    }
    // A byte that alone decodes as U+FFFD may lead a pair: a character made of
    // two bytes cannot be found byte by byte.
    bool pairs = false;
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (single[lead] != "\xEF\xBF\xBD") continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::string two;
            decoder_.Append({bytes, 2}, two);
            if (two == single[lead] + single[trail]) continue;
            pairs = true;
            for (std::size_t j = 0; j < chars.size(); ++j) {
                if (takes(j, two)) return;
            }
        }
    }
    std::vector<std::array<bool, 256>> sets(chars.size());
    bool cr = false;
    for (std::size_t j = 0; j < chars.size(); ++j) {
        for (unsigned b = 0; b < 256; ++b) sets[j][b] = takes(j, single[b]);
        cr = cr || sets[j]['\r'];
        // A character the code page cannot give: no line holds the text.
        never_ = never_ || std::find(sets[j].begin(), sets[j].end(), true) == sets[j].end();
    }
    // A trail byte can look like a character of its own; a CR ends the line.
    exact_ = !pairs && !cr;
    raw_.emplace(std::move(sets));
}

std::size_t LineMatcher::Verified(std::string_view data, bool flushTail, bool& afterCr,
                                  EntryBatch& out) {
    scratch_.clear();
    const std::size_t used = SplitLines(data, flushTail, afterCr, decoder_, scratch_);
    ForEachMatchingEntry(text_, scratch_.text(), 0, scratch_.ends(),
                         [&](std::size_t k) { out.Append(scratch_[k]); });
    return used;
}

std::size_t LineMatcher::Consume(std::string_view data, bool flushTail, bool& afterCr,
                                 EntryBatch& out) {
    if (!raw_) return Verified(data, flushTail, afterCr, out);
    const char* p = data.data();
    const std::size_t size = data.size();
    std::size_t pos = 0;  // a line start, as SplitLines would have it
    if (afterCr && size > 0) {
        if (p[0] == '\n') pos = 1;
        afterCr = false;
    }
    // Whatever SplitLines makes of a line longer than kMaxLineBytes, or of an
    // unfinished one at the end of the file, it makes from the line's start.
    const auto rest = [&] {
        if (flushTail || size - pos > kMaxLineBytes) {
            pos += Verified(data.substr(pos), flushTail, afterCr, out);
        }
        return pos;
    };
    while (pos < size) {
        const std::size_t hit = never_ ? kNone : raw_->Find(data, pos);
        if (hit == kNone) {
            // No line ahead holds a match: on to the start of the last one.
            const std::size_t start = LineStart(p, pos, size);
            if (start > pos) {
                pos = start;
                if (pos == size) {
                    afterCr = true;  // its LF, if any, comes with the next data
                    return pos;
                }
                if (p[pos] == '\n') ++pos;
            }
            return rest();
        }
        const void* cr = std::memchr(p + pos, '\r', size - pos);
        if (cr != nullptr && cr < p + hit) {
            // The hit is in a later line: the lines before its own are passed over.
            pos = LineStart(p, static_cast<std::size_t>(static_cast<const char*>(cr) - p) + 1, hit);
            if (p[pos] == '\n') ++pos;
            if (pos > hit) continue;  // the hit was that LF
            cr = std::memchr(p + hit, '\r', size - hit);
        }
        if (cr == nullptr) return rest();
        const auto next = static_cast<std::size_t>(static_cast<const char*>(cr) - p) + 1;
        const std::string_view line = data.substr(pos, next - pos);
        if (exact_ && line.size() <= kMaxLineBytes + 1) {
            // One whole line holds a match: listed as SplitLines lists one,
            // without looking for its end a second time.
            const std::string_view text = line.substr(0, line.size() - 1);
            if (text.size() > kShortLineChars) {
                const bool listed = decoder_.Append(text, out.OpenText()) > kShortLineChars;
                listed ? out.CloseEntry() : out.DropOpen();
            }
        } else {
            Verified(line, false, afterCr, out);
        }
        pos = next;
        afterCr = pos == size;
        if (!afterCr && p[pos] == '\n') ++pos;
    }
    return pos;
}

// One component's log of the day.
struct Job {
    ScanStatus status;
    std::int64_t size = 0;
    FileIdentity identity;
};

class Searcher {
  public:
    Searcher(const LogSearchRequest& request, const std::atomic<bool>& cancel,
             const LogSearchProgress& progress, const LogSearchSink& sink)
        : request_(request), cancel_(cancel), progress_(progress), sink_(sink) {}

    LogSearchOutcome Run();

  private:
    // Takes the next file until none is left or the search stops.
    void Work();
    void SearchFile(std::size_t k, LineMatcher& matcher, std::vector<char>& buffer,
                    EntryBatch& found);
    // Hands over one slice's lines within the caps; false once the search stops.
    bool Deliver(std::size_t k, const EntryBatch& found, std::uint64_t looked);

    const LogSearchRequest& request_;
    const std::atomic<bool>& cancel_;
    const LogSearchProgress& progress_;
    const LogSearchSink& sink_;
    std::vector<Job> jobs_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;  // what follows, and the calls to the sink and progress
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    std::size_t entries_ = 0;
    std::size_t textBytes_ = 0;
    bool capped_ = false;
    bool cancelled_ = false;
};

LogSearchOutcome Searcher::Run() {
    // Made here, so that a helper thread is never the first to ask for it.
    SystemDecoder();
    std::size_t readable = 0;
    for (const ComponentFolder& component : request_.components) {
        Job& job = jobs_.emplace_back();
        job.status.file = ActiveFileName(component.directory, component.name, request_.day);
        const LogFile file(job.status.file);
        job.status.state = file.State();
        // As a follower says it: whatever fails at the path "" leads to is down to that.
        if (component.directory.empty() && job.status.state != ScanState::Following) {
            job.status.state = ScanState::NoSetting;
        }
        if (file.Query(job.size, job.identity) && job.size > 0) ++readable;
        total_ += static_cast<std::uint64_t>(job.size);
    }
    if (!request_.text.empty()) {
        // One file per thread, two at most: a file is read in order.
        std::thread helper;
        if (readable > 1) {
            try {
                helper = std::thread([this] { Work(); });
            } catch (const std::system_error&) {
                // one thread does it all
            }
        }
        Work();
        if (helper.joinable()) helper.join();
    }
    LogSearchOutcome outcome;
    for (const Job& job : jobs_) outcome.components.push_back(job.status);
    outcome.cancelled = cancelled_;
    outcome.capped = capped_;
    return outcome;
}

void Searcher::Work() {
    LineMatcher matcher(request_.text, SystemDecoder());
    std::vector<char> buffer(kReadBytes + kMaxLineBytes + 1);
    EntryBatch found;
    for (std::size_t k = next_++; k < jobs_.size() && !stop_; k = next_++) {
        if (jobs_[k].size > 0) SearchFile(k, matcher, buffer, found);
    }
}

void Searcher::SearchFile(std::size_t k, LineMatcher& matcher, std::vector<char>& buffer,
                          EntryBatch& found) {
    Job& job = jobs_[k];
    std::int64_t offset = 0;
    std::size_t kept = 0;  // the start of a line, at the buffer's front
    bool afterCr = false;
    while (offset < job.size) {
        if (cancel_.load()) {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
            stop_ = true;
            return;
        }
        // Opened for each slice, as a follower does, so that the server can
        // rename or delete the file in between.
        const LogFile file(job.status.file);
        std::int64_t size = 0;
        FileIdentity identity;
        if (!file.Query(size, identity)) {
            job.status.state = file.State();
            return;
        }
        if (identity != job.identity || size < job.size) {
            job.status.restart = identity != job.identity ? Restart::Replaced : Restart::Truncated;
            return;
        }
        const std::int64_t from = offset;
        const std::int64_t stop =
            std::min<std::int64_t>(job.size, offset + static_cast<std::int64_t>(kSliceBytes));
        found.clear();
        while (offset < stop) {
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(stop - offset, static_cast<std::int64_t>(kReadBytes)));
            const std::int64_t got = file.ReadAt(offset, buffer.data() + kept, want);
            if (got <= 0) {
                job.status.restart = Restart::Truncated;
                break;
            }
            offset += got;
            const std::string_view data(buffer.data(), kept + static_cast<std::size_t>(got));
            const std::size_t used = matcher.Consume(data, offset >= job.size, afterCr, found);
            kept = data.size() - used;
            std::memmove(buffer.data(), buffer.data() + used, kept);
        }
        const bool cut = offset < stop;  // what was found before stays found
        if (!Deliver(k, found, static_cast<std::uint64_t>(offset - from)) || cut) return;
    }
}

bool Searcher::Deliver(std::size_t k, const EntryBatch& found, std::uint64_t looked) {
    const std::lock_guard lock(mutex_);
    if (stop_) return false;  // capped or cancelled in the other thread
    std::size_t n = 0;
    for (; n < found.size(); ++n) {
        if (entries_ >= request_.maxEntries || textBytes_ >= request_.maxTextBytes) break;
        ++entries_;
        textBytes_ += found[n].size();
    }
    if (entries_ >= request_.maxEntries || textBytes_ >= request_.maxTextBytes) {
        capped_ = true;
        stop_ = true;
    }
    if (n > 0 && sink_) {
        if (n == found.size()) {
            sink_(k, found);
        } else {
            EntryBatch part;
            for (std::size_t i = 0; i < n; ++i) part.Append(found[i]);
            sink_(k, part);
        }
    }
    done_ += looked;
    if (progress_) progress_(done_, total_);
    return !stop_;
}

int TwoDigits(std::string_view s, std::size_t at) {
    const auto digit = [&](std::size_t i) { return s[i] >= '0' && s[i] <= '9'; };
    return digit(at) && digit(at + 1) ? (s[at] - '0') * 10 + (s[at + 1] - '0') : -1;
}

}  // namespace

LogSearchOutcome SearchLogs(const LogSearchRequest& request, const std::atomic<bool>& cancel,
                            const LogSearchProgress& progress, const LogSearchSink& sink) {
    Searcher searcher(request, cancel, progress, sink);
    return searcher.Run();
}

int LeadingTimeOfDay(std::string_view line) {
    if (line.size() < 8 || line[2] != ':' || line[5] != ':') return -1;
    if (line.size() > 8 && line[8] >= '0' && line[8] <= '9') return -1;
    const int h = TwoDigits(line, 0), m = TwoDigits(line, 3), s = TwoDigits(line, 6);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return -1;
    return (h * 60 + m) * 60 + s;
}

std::vector<std::pair<std::size_t, std::size_t>> MergeByTime(
    const std::vector<std::vector<int>>& times) {
    // The next line of each component, by (time, component): a merge, so
    // that a component's lines keep their order whatever their times.
    using Head = std::pair<int, std::size_t>;
    std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
    std::vector<std::size_t> next(times.size(), 0);
    std::vector<int> carried(times.size(), 0);
    const auto push = [&](std::size_t c) {
        if (next[c] >= times[c].size()) return;
        const int t = times[c][next[c]];
        if (t >= 0) carried[c] = t;
        heads.emplace(carried[c], c);
    };
    std::size_t count = 0;
    for (std::size_t c = 0; c < times.size(); ++c) {
        count += times[c].size();
        push(c);
    }
    std::vector<std::pair<std::size_t, std::size_t>> order;
    order.reserve(count);
    while (!heads.empty()) {
        const std::size_t c = heads.top().second;
        heads.pop();
        order.emplace_back(c, next[c]++);
        push(c);
    }
    return order;
}

}  // namespace activity
