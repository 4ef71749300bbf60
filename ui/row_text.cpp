#include "row_text.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace {

// Characters that take one glyph each, left to right, unchanged by their
// neighbours: Latin without the controls and the soft hyphen (invisible
// inside a line).
bool Plain(char16_t c) {
    return c >= 0x20 && c <= 0x24F && (c < 0x7F || c > 0x9F) && c != 0xAD;
}

// Looked at this many characters at a time, so that a long entry is read only
// as far as it shows.
constexpr int kChunk = 128;

}  // namespace

bool RowText::Layout(const QFont& font, int dpi, const QString& text, qreal width) {
    if (dpi != dpi_ || !(font == font_) || !raw_.isValid()) {
        font_ = font;
        dpi_ = dpi;
        raw_ = QRawFont();
        ellipsis_.clear();
        // What the glyphs alone would not show.
        if (font.letterSpacing() != 0 || font.wordSpacing() != 0 ||
            font.capitalization() != QFont::MixedCase || font.underline() || font.overline() ||
            font.strikeOut())
            return false;
        raw_ = QRawFont::fromFont(font);
        for (const QString& e : {QString(QChar(0x2026)), QStringLiteral("...")}) {
            const QList<quint32> glyphs = raw_.glyphIndexesForString(e);
            if (std::find(glyphs.begin(), glyphs.end(), 0u) != glyphs.end()) continue;
            ellipsis_.assign(glyphs.begin(), glyphs.end());
            break;
        }
        if (ellipsis_.empty()) raw_ = QRawFont();
        run_.setRawFont(raw_);
        ellipsisAdvances_.clear();
        ellipsisWidth_ = 0;
        for (const QPointF& a : raw_.advancesForGlyphIndexes(
                 QList<quint32>(ellipsis_.begin(), ellipsis_.end()))) {
            ellipsisAdvances_.push_back(a.x());
            ellipsisWidth_ += a.x();
        }
    }
    if (!raw_.isValid()) return false;

    glyphs_.clear();
    positions_.clear();
    // As elidedText: the characters kept are those ending short of the room
    // the ellipsis leaves, when the whole text is wider than `width`.
    const qreal room = width - ellipsisWidth_;
    qsizetype fit = -1;
    qreal x = 0;
    bool over = false;
    for (qsizetype from = 0; from < text.size() && !over; from += kChunk) {
        const int count = static_cast<int>(std::min<qsizetype>(kChunk, text.size() - from));
        const QChar* chars = text.constData() + from;
        if (!std::all_of(chars, chars + count, [](QChar c) { return Plain(c.unicode()); }))
            return false;
        std::array<quint32, kChunk> glyphs{};
        std::array<QPointF, kChunk> advances{};
        int mapped = count;
        if (!raw_.glyphIndexesForChars(chars, count, glyphs.data(), &mapped) || mapped != count ||
            !raw_.advancesForGlyphIndexes(glyphs.data(), advances.data(), count))
            return false;
        for (int i = 0; i < count && !over; ++i) {
            if (glyphs[std::size_t(i)] == 0) return false;  // Qt would take it from another font
            const qreal next = x + advances[std::size_t(i)].x();
            if (fit < 0 && next >= room) fit = from + i;
            glyphs_.push_back(glyphs[std::size_t(i)]);
            positions_.emplace_back(x, 0);
            x = next;
            over = x > width;
        }
    }
    if (!over) {
        kept_ = text.size();
        width_ = x;
        return true;
    }
    kept_ = fit;
    x = positions_[std::size_t(fit)].x();
    glyphs_.resize(std::size_t(fit));
    positions_.resize(std::size_t(fit));
    for (std::size_t i = 0; i < ellipsis_.size(); ++i) {
        glyphs_.push_back(ellipsis_[i]);
        positions_.emplace_back(x, 0);
        x += ellipsisAdvances_[i];
    }
    width_ = x;
    return true;
}

qreal RowText::X(qsizetype i) const {
    return i < qsizetype(positions_.size()) ? positions_[std::size_t(i)].x() : width_;
}

void RowText::Draw(QPainter* painter, const QPointF& origin, qsizetype begin,
                   qsizetype end) const {
    if (end <= begin) return;
    run_.setRawData(glyphs_.data() + begin, positions_.data() + begin, int(end - begin));
    painter->drawGlyphRun(origin, run_);
}

void RowText::Draw(QPainter* painter, const QPointF& origin) const {
    Draw(painter, origin, 0, qsizetype(glyphs_.size()));
}
