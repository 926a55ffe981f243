#pragma once

#include <QFont>
#include <QString>

// A font of family at a size in pixels, the unit the windows' fixed layouts are measured in. "Consolas", where it is
// missing, falls back to the desktop's fixed-width face.
QFont PixelFont(const QString& family, int pixels, bool bold = false);

// Tahoma, the face of every window, at a size in pixels.
QFont Tahoma(int pixels, bool bold = false);
