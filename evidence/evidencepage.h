#pragma once

#include "evidence/shownmoment.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <array>

class QPagedPaintDevice;
class QPainter;

// The page of the pictures on screen, made fit to hand over after an incident: the one or two
// pictures where the print placement puts them and, in the space below them, a caption block with
// the clip, the recording date and time at the shown position, speed, G-forces, coordinates and
// the recorder model. The viewer prints it; an export writes it into its PDF.
namespace EvidencePage {

// The caption, one line each: clip, date and time, speed, G-forces, latitude/longitude, recorder.
QStringList captionLines(const ShownMoment &moment);

struct PrintPlacement
{
    QRect first;
    QRect second; // empty for a one-channel clip
};

// Both pictures scaled to the page width keeping their aspect ratio, centred horizontally, the
// first 20 units from the top and the second 30 units below it.
PrintPlacement printPlacement(const QRect &page, const QSize &first, const QSize &second, int channels);

// Paints `images` (the first `channels` of them) and the caption of `moment` with `painter`, open
// on `device` (a printer, a PDF writer), on its current page. The caption goes below the pictures in
// the page's font, or at the top of a new page when the pictures leave no room for it. The
// document's title is the caller's to set.
void paint(QPainter &painter, QPagedPaintDevice &device, const std::array<QImage, 2> &images, int channels,
           const ShownMoment &moment);

} // namespace EvidencePage
