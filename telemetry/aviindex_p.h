#pragma once

#include <QList>
#include <QtGlobal>

#include <optional>

class ClipStream;

// The AVI index ("idx1") of a clip, as a short cut to its telemetry chunks. The index is used only
// when it accounts for the whole movie list: its entries, in order, lie end to end from the list's
// first chunk to its last byte, so that a walk of the movie list would meet exactly the chunks it
// names. A missing, short, unordered or overlapping index, or one with lists in it, is not used.
namespace AviIndex {

// A telemetry chunk as the index names it: where its header starts in the file, and its size.
struct ChunkRef
{
    qint64 offset = 0;
    quint32 size = 0;
};

struct Plan
{
    qint64 movieStart = 0; // first chunk header inside the movie list ("LIST" size "movi" …)
    qint64 movieEnd = 0;   // the byte after the movie list: where a walk goes on after it
    QList<ChunkRef> telemetry; // "02tx"/"03tx" entries in file order
};

// Reads the file's top-level chunks and its index; nothing when the index cannot stand in for a
// walk of the movie list. Leaves the stream's position undefined.
std::optional<Plan> telemetryPlan(ClipStream &stream);

} // namespace AviIndex
