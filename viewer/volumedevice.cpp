#include "viewer/volumedevice.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <mutex>

namespace {

constexpr const char *kCardName = "default";
constexpr const char *kControlNames[] = {"Master", "PCM"};

// Swallows ALSA's "ALSA lib …" lines: without a sound card every call would print them.
void silentErrorHandler(const char *, int, const char *, int, const char *, ...)
{
}

void silenceAlsa()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentErrorHandler); });
}

// One opened mixer of the default card; closed on destruction.
class Mixer
{
public:
    Mixer()
    {
        silenceAlsa();
        if (snd_mixer_open(&m_handle, 0) < 0) {
            m_handle = nullptr;
            return;
        }
        // Without a card attach fails with -ENOENT while load still succeeds with no elements.
        if (snd_mixer_attach(m_handle, kCardName) < 0 || snd_mixer_selem_register(m_handle, nullptr, nullptr) < 0
            || snd_mixer_load(m_handle) < 0) {
            snd_mixer_close(m_handle);
            m_handle = nullptr;
        }
    }
    ~Mixer()
    {
        if (m_handle)
            snd_mixer_close(m_handle);
    }
    Mixer(const Mixer &) = delete;
    Mixer &operator=(const Mixer &) = delete;

    // The first of the known controls that has a playback volume.
    snd_mixer_elem_t *volumeElement() const
    {
        if (!m_handle)
            return nullptr;
        for (const char *name : kControlNames) {
            snd_mixer_selem_id_t *id = nullptr;
            snd_mixer_selem_id_alloca(&id);
            snd_mixer_selem_id_set_index(id, 0);
            snd_mixer_selem_id_set_name(id, name);
            snd_mixer_elem_t *elem = snd_mixer_find_selem(m_handle, id);
            if (elem && snd_mixer_selem_has_playback_volume(elem))
                return elem;
        }
        return nullptr;
    }

private:
    snd_mixer_t *m_handle = nullptr;
};

std::optional<long> channelVolume(snd_mixer_elem_t *elem, snd_mixer_selem_channel_id_t channel)
{
    if (!snd_mixer_selem_has_playback_channel(elem, channel))
        channel = SND_MIXER_SCHN_MONO;
    long value = 0;
    if (snd_mixer_selem_get_playback_volume(elem, channel, &value) < 0)
        return std::nullopt;
    return value;
}

} // namespace

namespace VolumeScale {

long toMixer(quint16 value, long min, long max)
{
    if (max <= min)
        return min;
    const long long span = static_cast<long long>(max) - min;
    return min + static_cast<long>((span * value + 0x7FFF) / 0xFFFF);
}

quint16 fromMixer(long value, long min, long max)
{
    if (max <= min)
        return 0;
    const long long span = static_cast<long long>(max) - min;
    const long long offset = std::clamp<long long>(static_cast<long long>(value) - min, 0, span);
    return static_cast<quint16>((offset * 0xFFFF + span / 2) / span);
}

} // namespace VolumeScale

std::optional<quint32> AlsaVolumeDevice::volume()
{
    const Mixer mixer;
    snd_mixer_elem_t *elem = mixer.volumeElement();
    if (!elem)
        return std::nullopt;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0)
        return std::nullopt;
    const auto left = channelVolume(elem, SND_MIXER_SCHN_FRONT_LEFT);
    const auto right = channelVolume(elem, SND_MIXER_SCHN_FRONT_RIGHT);
    if (!left || !right)
        return std::nullopt;
    return VolumeScale::pack(VolumeScale::fromMixer(*left, min, max), VolumeScale::fromMixer(*right, min, max));
}

bool AlsaVolumeDevice::setVolume(quint32 packed)
{
    const Mixer mixer;
    snd_mixer_elem_t *elem = mixer.volumeElement();
    if (!elem)
        return false;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0)
        return false;
    const long left = VolumeScale::toMixer(VolumeScale::left(packed), min, max);
    const long right = VolumeScale::toMixer(VolumeScale::right(packed), min, max);
    if (snd_mixer_selem_is_playback_mono(elem))
        return snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_MONO, left) >= 0;
    const bool leftOk = snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT, left) >= 0;
    const bool rightOk = snd_mixer_selem_set_playback_volume(elem, SND_MIXER_SCHN_FRONT_RIGHT, right) >= 0;
    return leftOk && rightOk;
}

std::unique_ptr<VolumeDevice> createSystemVolumeDevice()
{
    return std::make_unique<AlsaVolumeDevice>();
}
