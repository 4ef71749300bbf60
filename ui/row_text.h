#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

#include <vector>

class QPainter;

// A list row's one line of text, elided as QFontMetrics::elidedText does, and
// where each character is drawn. Shaping a row costs more than the rest of
// its painting, so text of plain characters (one glyph each, all in the font
// itself) is laid out from the font's glyphs; anything else is shaped by a
// QTextLayout. Keeps its buffers and the font's glyphs from row to row.
class RowText {
  public:
    // Lays out `text` in the painter's font to fit `width`.
    void Layout(const QPainter& painter, const QString& text, qreal width);
    // Whether it took the QTextLayout.
    bool Shaped() const { return shaped_; }

    // How many of the text's characters are shown (all but those the ellipsis
    // replaces), and where character `i` (up to Kept()) starts.
    qsizetype Kept() const { return kept_; }
    qreal X(qsizetype i) const;

    // Draws characters [begin, end) of those shown, or all and the ellipsis,
    // in the painter's pen, from the left of `rect` on the line drawText
    // would centre in it.
    void Draw(QPainter* painter, const QRectF& rect, qsizetype begin, qsizetype end) const;
    void Draw(QPainter* painter, const QRectF& rect) const;

  private:
    bool LayoutGlyphs(const QString& text, qreal width);
    void UseFont(const QFont& font, int dpi);

    QFont font_;
    int dpi_ = 0;
    QRawFont raw_;                   // invalid: every row is shaped
    std::vector<quint32> ellipsis_;  // U+2026, or "..." when the font lacks it
    std::vector<qreal> ellipsisAdvances_;
    qreal ellipsisWidth_ = 0;
    qreal ascent_ = 0;
    qreal descent_ = 0;

    std::vector<quint32> glyphs_;  // those shown, then the ellipsis
    std::vector<QPointF> positions_;
    qsizetype kept_ = 0;
    qreal width_ = 0;
    bool shaped_ = false;
    QTextLayout shaping_;  // the text shown, when shaped
    mutable QGlyphRun run_;
};
