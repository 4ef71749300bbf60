#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>

#include <vector>

class QPainter;

// A list row's line of text laid out without shaping: shaping a row costs
// more than the rest of its painting. Only for text of plain characters, one
// glyph each, that the font itself holds; anything else needs QPainter's own
// text layout. Elides as QFontMetrics::elidedText does. Keeps its buffers and
// the font's glyph data from row to row.
class RowText {
  public:
    // Lays out `text` in `font`, as a painter on a device of `dpi` takes it, to
    // fit `width`; false, with nothing laid out, when the text needs shaping.
    bool Layout(const QFont& font, int dpi, const QString& text, qreal width);

    // How many of the text's characters are shown (all but those the ellipsis
    // replaces), and where character `i` (up to Kept()) starts.
    qsizetype Kept() const { return kept_; }
    qreal X(qsizetype i) const;

    // Draws characters [begin, end) of those shown, or all and the ellipsis,
    // on the baseline through `origin`, in the painter's pen.
    void Draw(QPainter* painter, const QPointF& origin, qsizetype begin, qsizetype end) const;
    void Draw(QPainter* painter, const QPointF& origin) const;

  private:
    QFont font_;
    int dpi_ = 0;
    QRawFont raw_;
    std::vector<quint32> ellipsis_;  // U+2026, or "..." when the font lacks it
    std::vector<qreal> ellipsisAdvances_;
    qreal ellipsisWidth_ = 0;

    std::vector<quint32> glyphs_;  // those shown, then the ellipsis
    std::vector<QPointF> positions_;
    qsizetype kept_ = 0;
    qreal width_ = 0;
    mutable QGlyphRun run_;
};
