// Pad lookup of the media graph builder: the pins of the recipes found by name.
#include "playback/mediagraphbuilder_p.h"

#include <QString>

namespace {

// Media kind of a pad of an auto-plugging bin, read from its caps ("video/x-h264" -> "video").
QString mediaKindOf(GstPad *pad)
{
    Gst::CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get()))
        return QString();
    const QString media = QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
    return media.section(QLatin1Char('/'), 0, 0);
}

bool pinMatches(GstPad *pad, const QString &name)
{
    const QString padName = QString::fromUtf8(GST_OBJECT_NAME(pad));
    if (padName.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    const int underscore = padName.lastIndexOf(QLatin1Char('_'));
    if (underscore <= 0)
        return false;
    bool numbered = false;
    padName.mid(underscore + 1).toInt(&numbered);
    const QString stem = padName.left(underscore);
    if (numbered && stem.compare(name, Qt::CaseInsensitive) == 0)
        return true;
    return numbered && stem == QLatin1String("src") && mediaKindOf(pad).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

bool MediaGraphBuilder::isPin(GstPad *pad, const QString &name)
{
    return pad && pinMatches(pad, name);
}

Gst::PadPtr MediaGraphBuilder::findPin(GstElement *element, const QString &name, int skip)
{
    Gst::PadPtr found;
    GstIterator *it = gst_element_iterate_src_pads(element);
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstPad *pad = GST_PAD(g_value_get_object(&item));
        if (pinMatches(pad, name) && skip-- == 0)
            found.reset(GST_PAD(gst_object_ref(pad)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

int MediaGraphBuilder::countPins(GstElement *element, const QString &name)
{
    int count = 0;
    while (findPin(element, name, count))
        ++count;
    return count;
}
