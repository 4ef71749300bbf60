#pragma once

class QString;
class QWidget;

// Shows one entry whole in a modal information box with a single OK button.
// The text can be selected and copied; a text too tall for the screen scrolls
// inside the box.
void ShowDetailBox(QWidget* parent, const QString& title, const QString& text);
