#pragma once

#include <QtGlobal>

#include <functional>
#include <optional>

// An output volume as one 32-bit value: low word the left channel, high word the right, each
// 0 … 0xFFFF. Implementations fail quietly: a device that cannot be reached answers nothing and
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

// The program's own sound level: kept here and handed on as a level of 0 … 1 (the left channel's
// share of 0xFFFF) to whatever plays the sound. Starts at full volume. The system's mixer, and with
// it every other program's sound, is never touched.
class ProgramVolumeDevice final : public VolumeDevice
{
public:
    explicit ProgramVolumeDevice(std::function<void(double)> apply = {});

    std::optional<quint32> volume() override { return m_packed; }
    bool setVolume(quint32 packed) override;

private:
    std::function<void(double)> m_apply;
    quint32 m_packed = 0xFFFFFFFF;
};

namespace VolumeScale {
constexpr quint32 pack(quint16 left, quint16 right) { return quint32(left) | (quint32(right) << 16); }
constexpr quint16 left(quint32 packed) { return quint16(packed & 0xFFFF); }
constexpr quint16 right(quint32 packed) { return quint16(packed >> 16); }
// The playing level 0 … 1 of a packed volume (its left channel).
constexpr double level(quint32 packed) { return left(packed) / 65535.0; }
} // namespace VolumeScale
