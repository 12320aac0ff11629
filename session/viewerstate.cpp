#include "session/viewerstate.h"

#include <QtGlobal>

ViewerState::ViewerState(QObject *parent)
    : QObject(parent)
{
}

void ViewerState::setFolder(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    emit folderChanged(folder);
}

void ViewerState::setSelection(int category, int filter)
{
    if (category == m_category && filter == m_filter)
        return;
    m_category = category;
    m_filter = filter;
    emit selectionChanged(category, filter);
}

void ViewerState::setHasClips(bool hasClips)
{
    if (hasClips == m_hasClips)
        return;
    m_hasClips = hasClips;
    emit hasClipsChanged(hasClips);
}

void ViewerState::setTripView(bool on)
{
    if (on == m_tripView)
        return;
    m_tripView = on;
    emit tripViewChanged(on);
}

void ViewerState::setChannelCount(int count)
{
    if (count == m_channelCount)
        return;
    m_channelCount = count;
    emit channelCountChanged(count);
}

void ViewerState::setPlaying(bool playing)
{
    if (playing == m_playing)
        return;
    m_playing = playing;
    emit playingChanged(playing);
}

void ViewerState::setRate(double rate)
{
    if (qFuzzyCompare(rate, m_rate))
        return;
    m_rate = rate;
    emit rateChanged(rate);
}

void ViewerState::setLargeChannel(int channel)
{
    channel = channel == 1 ? 1 : 0;
    if (channel == m_largeChannel)
        return;
    m_largeChannel = channel;
    emit largeChannelChanged(channel);
}

void ViewerState::setMaximized(bool maximized)
{
    if (maximized == m_maximized)
        return;
    m_maximized = maximized;
    emit maximizedChanged(maximized);
}

void ViewerState::setPanMode(bool on)
{
    if (on == m_panMode)
        return;
    m_panMode = on;
    emit panModeChanged(on);
}

void ViewerState::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    m_muted = muted;
    emit mutedChanged(muted);
}

void ViewerState::setVolume(double volume)
{
    volume = qBound(0.0, volume, 1.0);
    if (qFuzzyCompare(1.0 + volume, 1.0 + m_volume))
        return;
    m_volume = volume;
    emit volumeChanged(volume);
}

void ViewerState::setSpeedUnitKm(bool km)
{
    if (km == m_speedUnitKm)
        return;
    m_speedUnitKm = km;
    emit speedUnitChanged(km);
}

void ViewerState::setMarks(std::optional<qint64> in, std::optional<qint64> out)
{
    if (in == m_markIn && out == m_markOut)
        return;
    m_markIn = in;
    m_markOut = out;
    emit marksChanged();
}
