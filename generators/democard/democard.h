#pragma once

#include <QString>
#include <QStringList>

// Writes a demo memory card as the recorder leaves it: REC/ and EVENT/ folders with recorder-named
// two-channel clips along one drive, cause markers on event clips, a zero-byte clip, the setting/
// folder with one-value files and update/version.txt naming the model. The drive was recorded in
// Seoul by a recorder whose clock runs 75 s fast: its GPS times are true UTC.
namespace DemoCard {

struct Options
{
    int clipSeconds = 20;  // length of each clip
    bool withMp4 = true;   // also write H.264 MP4 clips (needs the GStreamer encoders)
    // > 0: two more drives on the card, for the trip view: an hour later one of that many minutes
    // in one-minute clips with an event clip, and an hour after that a short one whose middle clip
    // was cut short (a card pulled while recording).
    int longDriveMinutes = 0;
};

// Writes the card below `root` (created when missing). Existing files of the same names are
// replaced. Returns false with *error set when something cannot be written.
bool write(const QString &root, const Options &options, QStringList *written, QString *error);

} // namespace DemoCard
