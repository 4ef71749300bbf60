#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

#include "highlight_rules.h"

// The session's highlight rules as every window sees them: one object, made
// by the application's frame, given to each window and dialog. Says when the
// rules change, so that the lists repaint.
class Highlights final : public QObject {
    Q_OBJECT

  public:
    explicit Highlights(QObject* parent = nullptr);

    const activity::HighlightRules& Rules() const { return rules_; }
    // Edits go through here, so that Changed() follows each one.
    activity::HighlightRules::Refusal Add(activity::HighlightRule rule);
    activity::HighlightRules::Refusal Change(std::size_t index, activity::HighlightRule rule);
    void Remove(std::size_t index);
    void Move(std::size_t from, std::size_t to);

    // The palette: colour `index` for text on a light (or dark) background,
    // and the light tint a whole matching line gets. kFilterMark: the filter's.
    static QColor Colour(int index, bool darkBackground);
    static QColor Tint(int index, bool darkBackground);
    // The colours' names for the dialog ("Red", ...), through tr().
    static QString ColourName(int index);
    // Whether a palette's base (a list's background) is dark.
    static bool IsDark(const QColor& base);

    // A mark of Rules().Marks() in UTF-16 units of the line as a QString, with
    // its rule's colour (kFilterMark for the filter's text).
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;
        int colour = 0;
        bool operator==(const Span&) const = default;
    };
    // The colour of the first rule `line` matches (-1: none), and the marks
    // of the rules and of `filter`.
    int LineColour(const QString& line) const;
    QList<Span> Marks(const QString& line, const QString& filter = {}) const;

    // The quiet time between two alerts of one rule, and whether an alert beeps.
    activity::AlertGate& Gate() { return gate_; }
    bool Sound() const { return sound_; }
    void SetSound(bool on) { sound_ = on; }

  signals:
    void Changed();

  private:
    activity::HighlightRules rules_;
    activity::AlertGate gate_;
    bool sound_ = false;
    // The filter's search, made once for the rows a view paints.
    mutable QString filterText_;
    mutable activity::TextSearch filterSearch_{""};
};
