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
    return FactoryPtr(gst_element_factory_find(factoryName)) != nullptr;
}

QString missingElementText(const char* factoryName)
{
    return QStringLiteral("缺少 GStreamer 组件“%1”，请安装提供它的 GStreamer 插件包。")
        .arg(QString::fromUtf8(factoryName));
}

QString errorText(GstMessage* error, const QString& what)
{
    GError* raw = nullptr;
    gchar* debug = nullptr;
    if (GST_MESSAGE_TYPE(error) == GST_MESSAGE_ERROR)
        gst_message_parse_error(error, &raw, &debug);
    ErrorPtr owned(raw);
    TextPtr details(debug);
    if (!owned || !owned->message || !*owned->message)
        return what;
    return what + QStringLiteral("（") + QString::fromUtf8(owned->message) + QStringLiteral("）");
}

GstElement* BinBuilder::make(const char* factory, const char* name)
{
    ensureInitialised();
    GstElement* element = gst_element_factory_make(factory, name);
    if (!element) {
        fail(missingElementText(factory));
        return nullptr;
    }
    return add(element);
}

GstElement* BinBuilder::add(GstElement* element)
{
    if (element && !gst_bin_add(bin_, element)) {
        fail(QStringLiteral("GStreamer 组件“%1”无法加入管道。").arg(QString::fromUtf8(GST_OBJECT_NAME(element))));
        return nullptr;
    }
    return element;
}

bool BinBuilder::link(GstElement* from, GstElement* to)
{
    if (!from || !to)
        return false;
    if (gst_element_link(from, to))
        return true;
    auto factoryName = [](GstElement* e) {
        GstElementFactory* f = gst_element_get_factory(e);
        return QString::fromUtf8(f ? GST_OBJECT_NAME(f) : GST_OBJECT_NAME(e));
    };
    fail(QStringLiteral("GStreamer 组件“%1”与“%2”无法连接。").arg(factoryName(from), factoryName(to)));
    return false;
}

bool BinBuilder::linkChain(std::initializer_list<GstElement*> chain)
{
    GstElement* previous = nullptr;
    for (GstElement* element : chain) {
        if (!element)
            continue;
        if (previous && !link(previous, element))
            return false;
        previous = element;
    }
    return true;
}

Pipeline parseLaunch(const char* description, QString* error)
{
    ensureInitialised();
    GError* raw = nullptr;
    GstElement* element = gst_parse_launch_full(description, nullptr, GST_PARSE_FLAG_FATAL_ERRORS, &raw);
    ErrorPtr failure(raw);
    if (failure) {
        if (element)
            gst_object_unref(element);
        if (error) {
            *error = failure->domain == GST_PARSE_ERROR && failure->code == GST_PARSE_ERROR_NO_SUCH_ELEMENT
                         ? QStringLiteral("缺少 GStreamer 组件：%1").arg(QString::fromUtf8(failure->message))
                         : QStringLiteral("GStreamer 管道无法建立：%1").arg(QString::fromUtf8(failure->message));
        }
        return {};
    }
    return Pipeline(element);
}

} // namespace varendo::gst
