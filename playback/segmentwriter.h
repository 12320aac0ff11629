#pragma once

#include "playback/pipelinejob.h"

// Writes the lossless segment of a range: both video channels and the sound copied as they are
// stored (no decoding, no encoding) into one Matroska file, starting on the key frame at or before
// the range's start so that the first pictures decode, and ending with the last picture before its
// end. The parts of a range that crosses clips are joined one after the other.
class SegmentWriter : public PipelineJob
{
    Q_OBJECT

public:
    SegmentWriter(const QList<MediaPart> &parts, const QString &outputPath, QObject *parent = nullptr);
    ~SegmentWriter() override;

protected:
    bool complete(_GstElement *pipeline, PartSource &source) override;
};
