#pragma once

#include <QRect>
#include <QSize>

// The forms' metrics, kept in twips as the forms were drawn: 15 to the pixel
// at 96 dpi. Qt's pixels are device-independent, so the forms keep their
// proportions on high-DPI screens. The product and its tests read them here.
namespace form_layout {

constexpr int Twips(int twips) {
    return twips / 15;
}
constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {Twips(left), Twips(top), Twips(width), Twips(height)};
}

// The frame's workspace, below its menu bar.
constexpr QSize kFrameClient(Twips(10185), Twips(7245));

// An activity window's client area and controls.
constexpr QSize kActivityClient(Twips(9075), Twips(2940));
constexpr QRect kActivityList = TwipsRect(0, 0, 9135, 2400);
constexpr QRect kClearButton = TwipsRect(0, 2520, 975, 375);
constexpr QRect kStatusButton = TwipsRect(1080, 2520, 975, 375);
// Right of the buttons, as far as the client area goes.
constexpr QRect kStatusLine = TwipsRect(2160, 2520, 9075 - 2160 - 60, 375);

}  // namespace form_layout
