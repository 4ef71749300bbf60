#pragma once

#include <QString>

class Highlights;
class QWidget;

// Shows one entry whole in a modal information box with a single OK button.
// The text can be selected and copied; a text too tall for the screen scrolls
// inside the box. With `highlights`, the rules' marks (and `filter`'s) show
// as in the lists.
void ShowDetailBox(QWidget* parent, const QString& title, const QString& text,
                   const Highlights* highlights = nullptr, const QString& filter = {});
