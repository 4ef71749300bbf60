#include "highlights.h"

#include <array>

namespace {

struct Shade {
    QRgb text;
    QRgb tint;
};

// Each text shade reads at 4.5:1 or better on white (on #2B2B2B for the dark
// set) and on its own tint; the usual text colour reads on every tint.
constexpr std::array<Shade, activity::kHighlightColours> kLight = {{
    {0xB3261E, 0xFCE4E2},  // red
    {0x9A4A00, 0xFDEBD3},  // orange
    {0x1E6B24, 0xE0F2DF},  // green
    {0x1A4FA8, 0xE0EAFB},  // blue
    {0x7A2A9A, 0xF1E3F7},  // purple
    {0x006A60, 0xD9F1EE},  // teal
}};
constexpr std::array<Shade, activity::kHighlightColours> kDark = {{
    {0xFF8A80, 0x4D2626},
    {0xFFB74D, 0x4A3519},
    {0x81C784, 0x213F24},
    {0x90CAF9, 0x1F3552},
    {0xD59CE2, 0x402747},
    {0x80CBC4, 0x1C3F3B},
}};
// The filter's text: the usual text colour on a marker's yellow.
constexpr Shade kFilterLight = {0x000000, 0xFFF176};
constexpr Shade kFilterDark = {0xFFFFFF, 0x5C5316};

Shade ShadeOf(int index, bool dark) {
    if (index >= 0 && index < activity::kHighlightColours)
        return (dark ? kDark : kLight)[static_cast<std::size_t>(index)];
    return dark ? kFilterDark : kFilterLight;
}

}  // namespace

Highlights::Highlights(QObject* parent) : QObject(parent) {}

activity::HighlightRules::Refusal Highlights::Add(activity::HighlightRule rule) {
    const auto refusal = rules_.Add(std::move(rule));
    if (refusal == activity::HighlightRules::Refusal::None) emit Changed();
    return refusal;
}

activity::HighlightRules::Refusal Highlights::Change(std::size_t index,
                                                     activity::HighlightRule rule) {
    const auto refusal = rules_.Change(index, std::move(rule));
    if (refusal == activity::HighlightRules::Refusal::None) emit Changed();
    return refusal;
}

void Highlights::Remove(std::size_t index) {
    if (index >= rules_.Rules().size()) return;
    rules_.Remove(index);
    emit Changed();
}

void Highlights::Move(std::size_t from, std::size_t to) {
    const std::size_t count = rules_.Rules().size();
    if (from >= count || to >= count || from == to) return;
    rules_.Move(from, to);
    emit Changed();
}

QColor Highlights::Colour(int index, bool darkBackground) {
    return QColor::fromRgb(ShadeOf(index, darkBackground).text);
}

QColor Highlights::Tint(int index, bool darkBackground) {
    return QColor::fromRgb(ShadeOf(index, darkBackground).tint);
}

QString Highlights::ColourName(int index) {
    switch (index) {
        case 0:
            return tr("Red");
        case 1:
            return tr("Orange");
        case 2:
            return tr("Green");
        case 3:
            return tr("Blue");
        case 4:
            return tr("Purple");
        case 5:
            return tr("Teal");
        default:
            return {};
    }
}

bool Highlights::IsDark(const QColor& base) {
    return base.lightness() < 128;
}

int Highlights::LineColour(const QString& line) const {
    if (rules_.empty()) return -1;
    const int rule = rules_.FirstMatch(line.toStdString());
    return rule < 0 ? -1 : rules_.Rules()[std::size_t(rule)].colour;
}

QList<Highlights::Span> Highlights::Marks(const QString& line, const QString& filter) const {
    QList<Span> spans;
    if (rules_.empty() && filter.isEmpty()) return spans;
    const std::string bytes = line.toStdString();
    if (filter != filterText_) {
        filterText_ = filter;
        filterSearch_ = activity::TextSearch(filter.toStdString());
    }
    const auto marks = rules_.Marks(bytes, filter.isEmpty() ? nullptr : &filterSearch_);
    spans.reserve(qsizetype(marks.size()));
    // The marks come in line order: one walk turns byte offsets into UTF-16 units.
    std::size_t byte = 0;
    qsizetype unit = 0;
    const auto unitAt = [&](std::size_t to) {
        while (byte < to && byte < bytes.size()) {
            const auto lead = static_cast<unsigned char>(bytes[byte]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            byte += length;
            unit += length == 4 ? 2 : 1;
        }
        return unit;
    };
    for (const auto& mark : marks) {
        const qsizetype begin = unitAt(mark.begin);
        const int colour = mark.rule == activity::HighlightRules::kFilterMark
                               ? mark.rule
                               : rules_.Rules()[std::size_t(mark.rule)].colour;
        spans.append({begin, unitAt(mark.end), colour});
    }
    return spans;
}
