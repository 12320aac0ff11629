#pragma once

#include <QFont>

// The font of the skinned windows: "Segoe UI", falling back to "Gulim" for Korean, not italic.
QFont skinFont(int pointSize, QFont::Weight weight = QFont::Normal);
