#include "catalogue/cliplistfilter.h"

#include "catalogue/clipcatalogue.h"
#include "catalogue/volumemap.h"

namespace ClipListFilter {

namespace {

bool inCategory(const Clip &clip, int category, const VolumeMap &volumes)
{
    switch (category) {
    case NormalCategory:
        return volumes.isUnderTopFolder(clip.file().absoluteFilePath(), u"REC");
    case EventCategory:
        return volumes.isUnderTopFolder(clip.file().absoluteFilePath(), u"EVENT");
    default:
        return true;
    }
}

bool passesFilter(const Clip &clip, int filter)
{
    QString marker;
    switch (filter) {
    case ManualCause:
        marker = CauseMarker::manual();
        break;
    case DrivingCause:
        marker = CauseMarker::driving();
        break;
    case ParkingCause:
        marker = CauseMarker::parking();
        break;
    default:
        return true;
    }
    return clip.file().fileName().indexOf(marker, 0, Qt::CaseSensitive) > 0;
}

} // namespace

bool isShown(const Clip &clip, int category, int filter, const VolumeMap &volumes)
{
    return inCategory(clip, category, volumes) && passesFilter(clip, filter);
}

QList<Clip *> visibleClips(const ClipCatalogue &catalogue, int category, int filter)
{
    return visibleClips(catalogue, category, filter, catalogue.volumes());
}

QList<Clip *> visibleClips(const ClipCatalogue &catalogue, int category, int filter, const VolumeMap &volumes)
{
    QList<Clip *> shown;
    for (const auto &[name, clip] : catalogue.clips()) {
        if (isShown(*clip, category, filter, volumes))
            shown.append(clip.get());
    }
    return shown;
}

} // namespace ClipListFilter
