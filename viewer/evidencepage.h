#pragma once

#include "viewer/shownmoment.h"

#include <QImage>
#include <QStringList>

#include <array>

class QPrinter;

// The printed page of the pictures on screen, made fit to hand over after an incident: the one or
// two pictures where the print placement puts them and, in the space below them, a caption block
// with the clip, the recording date and time at the shown position, speed, G-forces, coordinates
// and the recorder model.
namespace EvidencePage {

// The caption, one line each: clip, date and time, speed, G-forces, latitude/longitude, recorder.
QStringList captionLines(const ShownMoment &moment);

// Prints `images` (the first `channels` of them) and `caption` on `printer`, whose document name
// becomes the clip name (the PDF's title). The caption goes below the pictures in the page's font,
// or at the top of a second page when the pictures leave no room for it.
void print(QPrinter &printer, const std::array<QImage, 2> &images, int channels, const ShownMoment &moment);

} // namespace EvidencePage
