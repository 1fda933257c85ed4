#include "launch_line.h"

namespace varendo::test {

gst::Pipeline launch(const QString& description, QString* error)
{
    gst::ensureInitialised();
    GError* failure = nullptr;
    gst::Pipeline pipeline(gst_parse_launch(description.toUtf8().constData(), &failure));
    // The parser may hand back a pipeline and an error together (an element it could not
    // make); such a pipeline is not the one described.
    if (failure || !pipeline) {
        *error = failure ? QString::fromUtf8(failure->message) : QStringLiteral("the launch line builds nothing");
        g_clear_error(&failure);
        return {};
    }
    return pipeline;
}

QString runToEnd(const QString& description)
{
    QString error;
    const gst::Pipeline pipeline = launch(description, &error);
    if (!pipeline)
        return error;
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return QStringLiteral("the pipeline does not start");
    gst::BusPtr bus(gst_element_get_bus(pipeline.get()));
    gst::MessagePtr message(gst_bus_timed_pop_filtered(
        bus.get(), 120 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    if (!message)
        return QStringLiteral("no end within two minutes");
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message.get(), &failure, nullptr);
        const QString text = failure ? QString::fromUtf8(failure->message) : QStringLiteral("error");
        g_clear_error(&failure);
        return text;
    }
    return {};
}

QString stereoSine(double frequencyHz, double volume, int samplesPerBuffer, int buffers)
{
    return QStringLiteral("audiotestsrc wave=sine freq=%1 volume=%2 samplesperbuffer=%3 num-buffers=%4"
                          " ! audio/x-raw,rate=44100,channels=2 ! audioconvert")
        .arg(QString::number(frequencyHz, 'f', 6), QString::number(volume, 'f', 6))
        .arg(samplesPerBuffer)
        .arg(buffers);
}

} // namespace varendo::test
