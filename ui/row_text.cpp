#include "row_text.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <numeric>

namespace {

// Characters that take one glyph each, left to right, unchanged by their
// neighbours: Latin without the controls and the soft hyphen (invisible
// inside a line).
bool Plain(QChar c) {
    const char16_t u = c.unicode();
    return u >= 0x20 && u <= 0x24F && (u < 0x7F || u > 0x9F) && u != 0xAD;
}

// Read this many characters at a time, so that a long entry is read only as
// far as it shows.
constexpr int kChunk = 128;

}  // namespace

void RowText::Layout(const QPainter& painter, const QString& text, qreal width) {
    const QFont font = painter.font();
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 0;
    if (dpi != dpi_ || !(font == font_)) UseFont(font, dpi);
    shaped_ = !LayoutGlyphs(text, width);
    if (!shaped_) return;
    // One line whatever it holds. A layout of its own rather than drawText's,
    // which would put a tab's next character where elidedText does not count
    // it, nor say where a character of mixed directions lands.
    QString line = text;
    line.replace(QChar::LineSeparator, u' ').replace(QChar::ParagraphSeparator, u' ');
    const QString shown = QFontMetricsF(font_).elidedText(line, Qt::ElideRight, width);
    kept_ = shown.size() == text.size() ? text.size() : std::max<qsizetype>(shown.size() - 1, 0);
    shaping_.setFont(font_);
    shaping_.setText(shown);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    shaping_.setTextOption(option);
    shaping_.beginLayout();
    shaping_.createLine();
    shaping_.endLayout();
}

void RowText::UseFont(const QFont& font, int dpi) {
    font_ = font;
    dpi_ = dpi;
    raw_ = QRawFont();
    // What the glyphs alone would not show.
    if (font.letterSpacing() != 0 || font.wordSpacing() != 0 ||
        font.capitalization() != QFont::MixedCase || font.underline() || font.overline() ||
        font.strikeOut())
        return;
    const QRawFont raw = QRawFont::fromFont(font);
    for (const QString& e : {QString(QChar(0x2026)), QStringLiteral("...")}) {
        const QList<quint32> glyphs = raw.glyphIndexesForString(e);
        if (glyphs.isEmpty() || glyphs.contains(0u)) continue;
        ellipsis_.assign(glyphs.begin(), glyphs.end());
        ellipsisAdvances_.clear();
        for (const QPointF& a : raw.advancesForGlyphIndexes(glyphs))
            ellipsisAdvances_.push_back(a.x());
        ellipsisWidth_ = std::accumulate(ellipsisAdvances_.begin(), ellipsisAdvances_.end(), 0.0);
        raw_ = raw;
        run_.setRawFont(raw_);
        ascent_ = raw_.ascent();
        descent_ = raw_.descent();
        return;
    }
}

bool RowText::LayoutGlyphs(const QString& text, qreal width) {
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
        if (!std::all_of(chars, chars + count, Plain)) return false;
        // With the next character, for the kerning of the chunk's last pair.
        const int read = count + (from + count < text.size() ? 1 : 0);
        if (read > count && !Plain(chars[count])) return false;
        std::array<quint32, kChunk + 1> glyphs{};
        std::array<QPointF, kChunk + 1> advances{};
        int mapped = read;
        if (!raw_.glyphIndexesForChars(chars, read, glyphs.data(), &mapped) || mapped != read ||
            !raw_.advancesForGlyphIndexes(glyphs.data(), advances.data(), read,
                                          QRawFont::KernedAdvances))
            return false;
        for (std::size_t i = 0; i < std::size_t(count) && !over; ++i) {
            if (glyphs[i] == 0) return false;  // Qt would take it from another font
            const qreal next = x + advances[i].x();
            if (fit < 0 && next >= room) fit = from + qsizetype(i);
            glyphs_.push_back(glyphs[i]);
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
    if (shaped_) return shaping_.lineAt(0).cursorToX(int(i));
    return i < qsizetype(positions_.size()) ? positions_[std::size_t(i)].x() : width_;
}

void RowText::Draw(QPainter* painter, const QRectF& rect, qsizetype begin, qsizetype end) const {
    if (end <= begin) return;
    if (shaped_) {
        // The line again, through the characters' box.
        const qreal from = X(begin);
        const qreal to = X(end);
        painter->save();
        painter->setClipRect(QRectF(rect.left() + std::min(from, to), rect.top(),
                                    std::abs(to - from), rect.height()),
                             Qt::IntersectClip);
        Draw(painter, rect);
        painter->restore();
        return;
    }
    run_.setRawData(glyphs_.data() + begin, positions_.data() + begin, int(end - begin));
    // As drawText centres a line: its ascent and descent.
    painter->drawGlyphRun(
        {rect.left(), rect.top() + (rect.height() - ascent_ - descent_) / 2 + ascent_}, run_);
}

void RowText::Draw(QPainter* painter, const QRectF& rect) const {
    if (shaped_) {
        const QTextLine line = shaping_.lineAt(0);
        shaping_.draw(painter, {rect.left(), rect.top() + (rect.height() - line.height()) / 2});
        return;
    }
    Draw(painter, rect, 0, qsizetype(glyphs_.size()));
}
