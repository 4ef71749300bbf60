#pragma once

#include <QIcon>

// Drawn in code, at every size a platform asks for, so that no image format
// plugin is needed.
QIcon FrameIcon();
QIcon ActivityIcon();
