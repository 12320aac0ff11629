#include "viewer/volumedevice.h"

ProgramVolumeDevice::ProgramVolumeDevice(std::function<void(double)> apply)
    : m_apply(std::move(apply))
{
}

bool ProgramVolumeDevice::setVolume(quint32 packed)
{
    m_packed = packed;
    if (m_apply)
        m_apply(VolumeScale::level(packed));
    return true;
}
