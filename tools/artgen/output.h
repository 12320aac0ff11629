#pragma once

#include <QString>

#include "theme.h"

// Writes every picture below `gfxRoot` (PNG, or a multi-size ICO for .ico paths); false with a
// message on stderr when a file cannot be written.
bool writeArt(const ArtSet &set, const QString &gfxRoot);

// One sheet showing every picture at its own size with its name, grouped by family.
QImage contactSheet(const ArtSet &set);

// Mock-ups of the viewer window, the settings dialog and an option dialog put together from the
// pictures the way the program places them, to check that everything lines up.
QImage viewerMockup(const ArtSet &set);
QImage settingsMockup(const ArtSet &set);
QImage optionMockup(const ArtSet &set);

QImage iconAtSize(int size);
