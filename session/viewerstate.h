#pragma once

#include <QObject>
#include <QString>

#include <optional>

// What the viewer window shows, in one place: the session and the clip library write it, the
// window's widgets and the keyboard read it and follow its signals. No widget keeps a copy of its
// own to be read back (which view is large, whether the sound is off, which folder is open).
// A setter that does not change the value emits nothing. GUI thread only.
class ViewerState : public QObject
{
    Q_OBJECT

public:
    explicit ViewerState(QObject *parent = nullptr);

    // The folder last read with clips, as the folder label shows it; empty before the first. A
    // folder refused later leaves it. Written by the clip library.
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder);

    // The clip list's category (0 all, 1 REC, 2 EVENT) and cause filter (0 all, 1 manual, 2 driving,
    // 3 parking). Written by the clip library.
    int category() const { return m_category; }
    int filter() const { return m_filter; }
    void setSelection(int category, int filter);

    // The clip list shows one row per trip of the card instead of one per clip. Written by the
    // list side.
    bool isTripView() const { return m_tripView; }
    void setTripView(bool on);

    // Whether something has been offered to play: a folder with clips or files added one by one.
    // The transport buttons and their keys follow it; it stays true when a later folder turns out
    // empty. Written by the clip library.
    bool hasClips() const { return m_hasClips; }
    void setHasClips(bool hasClips);

    // Channels of the open clip (0 when none is open): the swap button needs two.
    int channelCount() const { return m_channelCount; }
    void setChannelCount(int count);

    // Playing, and at what speed (1.0 normal). Written by the playback session.
    bool isPlaying() const { return m_playing; }
    void setPlaying(bool playing);
    double rate() const { return m_rate; }
    void setRate(double rate);

    // Which channel has the large view (0 front, 1 rear); the zoom buttons, the wheel and panning
    // act on the large view. Written by the window's view arrangement.
    int largeChannel() const { return m_largeChannel; }
    void setLargeChannel(int channel);

    bool isMaximized() const { return m_maximized; }
    void setMaximized(bool maximized);
    bool isPanMode() const { return m_panMode; }
    void setPanMode(bool on);

    // The program's own sound switched off with the mute button (the level is kept).
    bool isMuted() const { return m_muted; }
    void setMuted(bool muted);
    // The level of the volume bar, 0 … 1.
    double volume() const { return m_volume; }
    void setVolume(double volume);

    // The dashboard's speed unit: km/h, or mph when false.
    bool speedUnitKm() const { return m_speedUnitKm; }
    void setSpeedUnitKm(bool km);

    // The in and out marks of the range to export, in ms on the open clip's time line; none when
    // not set. Written by the export session, which drops them when another clip opens.
    std::optional<qint64> markIn() const { return m_markIn; }
    std::optional<qint64> markOut() const { return m_markOut; }
    void setMarks(std::optional<qint64> in, std::optional<qint64> out);

signals:
    void folderChanged(const QString &folder);
    void selectionChanged(int category, int filter);
    void hasClipsChanged(bool hasClips);
    void tripViewChanged(bool on);
    void channelCountChanged(int count);
    void playingChanged(bool playing);
    void rateChanged(double rate);
    void largeChannelChanged(int channel);
    void maximizedChanged(bool maximized);
    void panModeChanged(bool on);
    void mutedChanged(bool muted);
    void volumeChanged(double volume);
    void speedUnitChanged(bool km);
    void marksChanged();

private:
    QString m_folder;
    int m_category = 0;
    int m_filter = 0;
    bool m_hasClips = false;
    bool m_tripView = false;
    int m_channelCount = 0;
    bool m_playing = false;
    double m_rate = 1.0;
    int m_largeChannel = 0;
    bool m_maximized = false;
    bool m_panMode = false;
    bool m_muted = false;
    double m_volume = 1.0;
    bool m_speedUnitKm = true;
    std::optional<qint64> m_markIn;
    std::optional<qint64> m_markOut;
};
