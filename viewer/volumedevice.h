#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>

// The system's output volume as one 32-bit value: low word the left channel, high word the right,
// each 0 … 0xFFFF. Implementations fail quietly: a device that cannot be reached answers nothing and
// changes nothing.
class VolumeDevice
{
public:
    virtual ~VolumeDevice() = default;

    // The current volume, or nothing when the device cannot be read.
    virtual std::optional<quint32> volume() = 0;
    // Sets both channels; false when the device cannot be written.
    virtual bool setVolume(quint32 packed) = 0;
};

// Playback volume of the default ALSA mixer's "Master" control, else its "PCM" control. The mixer is
// opened for each call, so a sound card that comes or goes later is picked up. ALSA's own error
// printing is silenced once for the process.
class AlsaVolumeDevice final : public VolumeDevice
{
public:
    std::optional<quint32> volume() override;
    bool setVolume(quint32 packed) override;
};

// Mapping between one 16-bit channel value and a mixer range [min, max], rounded to the nearest step.
namespace VolumeScale {
long toMixer(quint16 value, long min, long max);
quint16 fromMixer(long value, long min, long max);
constexpr quint32 pack(quint16 left, quint16 right) { return quint32(left) | (quint32(right) << 16); }
constexpr quint16 left(quint32 packed) { return quint16(packed & 0xFFFF); }
constexpr quint16 right(quint32 packed) { return quint16(packed >> 16); }
} // namespace VolumeScale

// The device the volume bar uses when none is given.
std::unique_ptr<VolumeDevice> createSystemVolumeDevice();
