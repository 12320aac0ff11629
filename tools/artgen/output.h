#pragma once

#include <QString>

#include "theme.h"

// Writes every picture below `gfxRoot` (PNG, or a multi-size ICO for .ico paths); false with a
// message on stderr when a file cannot be written.
bool writeArt(const ArtSet &set, const QString &gfxRoot);

// One sheet showing every picture at its own size with its name, grouped by family.
QImage contactSheet(const ArtSet &set);

// The pictures of one group no wider than 200 pixels, enlarged `scale` times, for close review.
QImage groupSheet(const ArtSet &set, const QString &group, int scale);

// Mock-ups of the viewer window, the settings dialog and an option dialog put together from the
// pictures the way the program places them, to check that everything lines up.
QImage viewerMockup(const ArtSet &set);
// The viewer maximized on a screen of `window` size, its skin cut by the maximized region table.
QImage viewerMaximizedMockup(const ArtSet &set, QSize window);
QImage settingsMockup(const ArtSet &set);
QImage optionMockup(const ArtSet &set);

QImage iconAtSize(int size);
