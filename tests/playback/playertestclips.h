#pragma once

#include "playback/videooutput.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The generated clips the player tests share: 15 pictures per second, 30 pictures (2 s), channel 0
// at 320x180 and channel 1 at 160x90. Created once per test executable in a temporary folder.
class Clip;
class Player;

class PlayerTestClips
{
public:
    static constexpr int Fps = 15;
    static constexpr int Frames = 30;

    // Writes every clip it can; missingPlugins() names what prevented the rest.
    bool create(QString *error);

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList missingMp4() const { return m_missingMp4; }
    QStringList missingAvi() const { return m_missingAvi; }

    // Names of the clips (all in the folder).
    static QString mp4Two() { return QStringLiteral("REC_2012_05_14_10_20_30.mp4"); }
    static QString mp4Three() { return QStringLiteral("REC_2012_05_14_10_33_30.mp4"); }
    static QString mp4One() { return QStringLiteral("REC_2012_05_14_10_21_30.mp4"); }
    static QString mp4Silent() { return QStringLiteral("EVS_2012_05_14_10_22_30_I.mp4"); }
    static QString aviOne() { return QStringLiteral("REC_2012_05_14_10_23_30.avi"); }
    static QString aviTwo() { return QStringLiteral("REC_2012_05_14_10_24_30.avi"); }
    static QString mp4NamedAvi() { return QStringLiteral("REC_2012_05_14_10_25_30.avi"); }
    static QString mp4CapitalName() { return QStringLiteral("REC_2012_05_14_10_26_30.MP4"); }
    static QString randomBytes() { return QStringLiteral("REC_2012_05_14_10_27_30.mp4"); }
    static QString emptyMp4() { return QStringLiteral("REC_2012_05_14_10_28_30.mp4"); }
    static QString emptyAvi() { return QStringLiteral("REC_2012_05_14_10_29_30.avi"); }
    static QString truncatedMp4() { return QStringLiteral("REC_2012_05_14_10_30_30.mp4"); }
    static QString textAvi() { return QStringLiteral("REC_2012_05_14_10_31_30.avi"); }
    static QString damagedMp4() { return QStringLiteral("REC_2012_05_14_10_32_30.mp4"); }
    // An MP4 whose headers claim no length; one whose video track lost its samples; an AVI whose
    // index claims hours of sound for its 2 s.
    static QString mp4WithoutLength() { return QStringLiteral("REC_2012_05_14_10_34_30.mp4"); }
    static QString mp4WithoutPictures() { return QStringLiteral("REC_2012_05_14_10_35_30.mp4"); }
    static QString aviWithHoursOfSound() { return QStringLiteral("REC_2012_05_14_10_36_30.avi"); }
    // One channel (320x180) at another frame rate (10 or 30 per second), 30 pictures.
    static QString mp4AtRate(int fps) { return QStringLiteral("REC_2012_05_14_10_40_%1.mp4").arg(fps); }
    static QString aviAtRate(int fps) { return QStringLiteral("REC_2012_05_14_10_41_%1.avi").arg(fps); }

    // Opens `clip` and waits (running the event loop) for the player's answer; true when opened.
    static bool openAndWait(Player &player, Clip *clip, int timeoutMs = 20000);

private:
    QTemporaryDir m_dir;
    QStringList m_missingMp4;
    QStringList m_missingAvi;
};

// Keeps what a player publishes, as a view would: the latest picture of each channel and its serial.
class PictureRecorder : public VideoOutput
{
public:
    void presentPicture(int channel, const QImage &picture, quint64 serial) override;
    void resetPictures(bool opening) override;

    QImage picture(int channel) const { return m_pictures[channel == 1 ? 1 : 0]; }
    quint64 serial(int channel) const { return m_serials[channel == 1 ? 1 : 0]; }
    // The frame number the channel's latest picture carries; -1 without one.
    int frame(int channel) const;
    // The pictures received so far, both channels together.
    int received() const { return m_received; }

private:
    QImage m_pictures[2];
    quint64 m_serials[2] = {0, 0};
    int m_received = 0;
};
