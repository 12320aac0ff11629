#pragma once

#include "playback/pipelinejob.h"

#include <QImage>
#include <QList>
#include <QMutex>

// Decodes the picture every video channel of a clip shows at one moment, at its full size, for
// pages and documents made without a player. Answers with finished() (then pictures()) or failed().
class StillReader : public PipelineJob
{
    Q_OBJECT

public:
    StillReader(const QString &clip, qint64 atMs, QObject *parent = nullptr);
    ~StillReader() override;

    // One picture per channel, channel 0 first (RGB); empty before finished().
    QList<QImage> pictures() const;

protected:
    bool complete(_GstElement *pipeline, PartSource &source) override;
    QString checkResult() override;

private:
    struct Slot;
    void checkPictures();
    bool addChannel(_GstElement *pipeline, PartSource &source, const QString &stream, Slot *slot);

    QList<Slot *> m_slots; // owned, one per channel
};
