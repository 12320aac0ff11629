#pragma once

// An owning element handle that headers without GStreamer's own may hold (the player's pipeline).
// The handle owns exactly one reference; see gsthandles_p.h for how references are adopted.
#include <memory>

struct _GstElement;

namespace Gst {

struct ElementUnref
{
    void operator()(_GstElement *element) const;
};
using ElementPtr = std::unique_ptr<_GstElement, ElementUnref>;

} // namespace Gst
