#include "gstreamer/core/gst_core.h"

#include <mutex>

namespace varendo::gst {

void ensureInitialised()
{
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

void Pipeline::reset(GstElement* owned)
{
    if (element_) {
        gst_element_set_state(element_, GST_STATE_NULL);
        gst_object_unref(element_);
    }
    element_ = owned;
}

bool hasElement(const char* factoryName)
{
    ensureInitialised();
    GstElementFactory* factory = gst_element_factory_find(factoryName);
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

} // namespace varendo::gst
