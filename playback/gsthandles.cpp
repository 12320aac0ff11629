#include "playback/gsthandles_p.h"

namespace Gst {

void ElementUnref::operator()(GstElement *element) const
{
    if (element)
        gst_object_unref(element);
}

} // namespace Gst
