#pragma once

// Form metrics are kept in twips, 15 to the pixel at 96 dpi. Qt's pixels are
// device-independent, so the forms keep their proportions on high-DPI screens.
constexpr int Twips(int twips) {
    return twips / 15;
}
