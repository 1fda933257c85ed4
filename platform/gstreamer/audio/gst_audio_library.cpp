#include "gstreamer/audio/gst_audio_library.h"

#include "common/file_names.h"

#include "gstreamer/audio/audio_channel.h"
#include "gstreamer/audio/internet_source.h"
#include "gstreamer/core/gst_core.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gst/base/gsttypefindhelper.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <map>
#include <unistd.h>

namespace varendo::gst {

namespace {

// Bytes read to tell a tracker module from a stream.
constexpr qint64 kTypeFindBytes = qint64{256} * 1024;

struct Effect {
    AudioHandle channel = 0;
    int band = 0;
    ParamEqRecord params;
};

enum class FileKind { Module, Media, NotMedia };

// Reads the start of the file (no pipeline, no waiting on one): a tracker module,
// something a decoder may play, or plainly no sound at all (text, nothing known)?
FileKind sniff(const QString& file)
{
    QFile in;
    const int fd = ::open(onDiskPath(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return FileKind::NotMedia;
    }
    const QByteArray head = in.read(kTypeFindBytes);
    const QByteArray extension = QFileInfo(file).suffix().toLower().toUtf8();
    CapsPtr caps(gst_type_find_helper_for_data_with_extension(
        nullptr, reinterpret_cast<const guint8*>(head.constData()), gsize(head.size()),
        extension.isEmpty() ? nullptr : extension.constData(), nullptr));
    if (!caps || gst_caps_is_empty(caps.get()))
        return FileKind::NotMedia;
    const char* type = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    if (g_str_equal(type, "audio/x-mod"))
        return FileKind::Module;
    return g_str_has_prefix(type, "text/") ? FileKind::NotMedia : FileKind::Media;
}

class GstAudioLibrary final : public AudioLibrary {
public:
    // GStreamer is loaded on first use or by the output probe, not here: the window
    // does not wait for it.
    explicit GstAudioLibrary(AudioLibraryOptions options) : options_(std::move(options)) {}

    ~GstAudioLibrary() override { channels_.clear(); }

    bool Init(int device, std::uint32_t frequency, std::uint32_t, QObject*) override
    {
        if (initialised_ || frequency < 1000 || frequency > 192000)
            return false;
        settings_.rate = frequency;
        settings_.makeSink = options_.makeSink;
        outputPending_ = !options_.makeSink && device != 0;
        if (!outputPending_) {
            settings_.output = options_.makeSink ? Output::Given : Output::Silent;
        } else {
            // Finding the sound output loads GStreamer and asks the sound server. That
            // starts on a thread of its own once the event loop runs, when the first
            // window is up; a channel opened before then looks on the spot.
            QTimer::singleShot(0, &context_, [this] {
                if (outputPending_ && !probe_.valid())
                    probe_ = std::async(std::launch::async, &OutputChain::probe);
            });
        }
        initialised_ = true;
        outputHeld_ = false;
        return true;
    }

    bool Free() override
    {
        if (!initialised_)
            return false;
        channels_.clear();
        effects_.clear();
        initialised_ = false;
        return true;
    }

    bool Start() override { return holdOutput(false); }
    bool Stop() override { return holdOutput(true); }

    float SetBufferLength(float seconds) override
    {
        if (std::isfinite(seconds))
            settings_.bufferSeconds = std::clamp(seconds, 0.01f, 5.0f);
        return settings_.bufferSeconds;
    }

    bool SetVolume(std::uint32_t volume) override
    {
        if (volume > 100)
            return false;
        volume_ = volume;
        for (auto& [handle, channel] : channels_)
            channel->output().setVolume(level());
        return true;
    }

    AudioHandle StreamCreateFile(bool fromMemory, const QString& file, std::uint64_t offset, std::uint64_t length,
                                 std::uint32_t) override
    {
        return fromMemory || offset || length ? 0 : openFile(file, false);
    }

    AudioHandle MusicLoad(bool fromMemory, const QString& file, std::uint64_t offset, std::uint64_t length,
                          std::uint32_t) override
    {
        return fromMemory || offset || length ? 0 : openFile(file, true);
    }

    AudioHandle StreamCreateURL(const QString& url, std::uint64_t offset, std::uint32_t, const QString& saveFile) override
    {
        if (!initialised_ || offset)
            return 0;
        auto channel = newChannel(AudioChannel::Kind::Internet);
        if (!channel)
            return 0;
        GstElement* decoder = channel->addDecoder();
        const int timeoutSeconds = std::max(1, options_.netTimeoutMs / 1000);
        if (!decoder
            || !buildInternetSource(channel->builder(), url.trimmed().toUtf8(), decoder, timeoutSeconds, saveFile,
                                    channel->state())
            || !channel->open())
            return refuse(*channel);
        channel->failUnlessStartedWithin(options_.netTimeoutMs,
                                         QStringLiteral("网络流“%1”在 %2 秒内没有开始播放。")
                                             .arg(url.trimmed())
                                             .arg(options_.netTimeoutMs / 1000));
        return keep(std::move(channel));
    }

    bool MusicFree(AudioHandle music) override { return releaseChannel(find(music, true)); }
    bool StreamFree(AudioHandle stream) override { return releaseChannel(find(stream, false)); }

    bool StreamPlay(AudioHandle stream, bool, std::uint32_t) override { return play(find(stream, false)); }
    bool MusicPlay(AudioHandle music) override { return play(find(music, true)); }

    bool ChannelPause(AudioHandle handle) override
    {
        AudioChannel* channel = find(handle);
        return channel && channel->pause();
    }

    bool ChannelResume(AudioHandle handle) override
    {
        AudioChannel* channel = find(handle);
        return channel && channel->resume(outputHeld_);
    }

    bool ChannelStop(AudioHandle handle) override
    {
        AudioChannel* channel = find(handle);
        if (!channel)
            return false;
        channel->stop();
        return true;
    }

    std::uint64_t StreamGetLength(AudioHandle stream) override
    {
        AudioChannel* channel = find(stream, false);
        return channel ? channel->length() : kNoValue;
    }

    std::uint64_t MusicGetLength(AudioHandle music, bool) override
    {
        AudioChannel* channel = find(music, true);
        return channel ? channel->length() : kNoValue;
    }

    std::uint64_t ChannelGetPosition(AudioHandle handle) override
    {
        AudioChannel* channel = find(handle);
        return channel ? channel->position() : kNoValue;
    }

    bool ChannelSetPosition(AudioHandle handle, std::uint64_t bytes) override
    {
        AudioChannel* channel = find(handle);
        return channel && channel->seek(bytes);
    }

    bool ChannelSetTempo(AudioHandle handle, double rate) override
    {
        AudioChannel* channel = find(handle);
        return channel && channel->setTempo(rate);
    }

    double ChannelBytes2Seconds(AudioHandle handle, std::uint64_t bytes) override
    {
        AudioChannel* channel = find(handle);
        if (!channel || bytes == kNoValue)
            return -1.0;
        return bytesToSeconds(bytes, channel->rate());
    }

    std::uint64_t ChannelSeconds2Bytes(AudioHandle handle, double seconds) override
    {
        AudioChannel* channel = find(handle);
        return channel ? secondsToBytes(seconds, channel->rate()) : kNoValue;
    }

    Activity ChannelIsActive(AudioHandle handle) override
    {
        AudioChannel* channel = find(handle);
        return channel ? channel->activity() : Activity::Stopped;
    }

    QString ChannelGetError(AudioHandle handle) override
    {
        if (handle == 0)
            return lastError_;
        AudioChannel* channel = find(handle);
        return channel ? channel->error() : QString();
    }

    FxHandle ChannelSetFX(AudioHandle handle, int type) override
    {
        AudioChannel* channel = find(handle);
        if (!channel || type != kFxParamEq || !channel->output().hasEqualizer()
            || channel->bandsUsed >= OutputChain::kBandCapacity)
            return 0;
        const int band = channel->bandsUsed++;
        const FxHandle fx = nextFx_++;
        effects_[fx] = Effect{handle, band, ParamEqRecord{}};
        channel->output().resetBand(band);
        return fx;
    }

    bool FXSetParameters(FxHandle fx, const ParamEqRecord& params) override
    {
        auto it = effects_.find(fx);
        if (it == effects_.end())
            return false;
        AudioChannel* channel = find(it->second.channel);
        if (!channel || !std::isfinite(params.fGain) || !(params.fCenter > 0.0f)
            || !(params.fCenter < float(channel->rate()) / 2.0f) || !(params.fBandwidth > 0.0f)
            || !(params.fBandwidth <= 36.0f))
            return false;
        it->second.params = params;
        channel->output().setBand(it->second.band, params.fCenter, params.fBandwidth, params.fGain);
        return true;
    }

    bool FXGetParameters(FxHandle fx, ParamEqRecord& params) override
    {
        auto it = effects_.find(fx);
        if (it == effects_.end())
            return false;
        params = it->second.params;
        return true;
    }

    std::optional<std::string> StreamGetTags(AudioHandle stream, int kind) override
    {
        AudioChannel* channel = find(stream, false);
        if (!channel || !channel->isInternet())
            return std::nullopt;
        ChannelState& state = *channel->state();
        std::lock_guard lock(state.mutex);
        if (kind == kTagsHttp && !state.headers.empty())
            return state.headers;
        if (kind == kTagsMeta)
            return state.meta;
        return std::nullopt;
    }

private:
    double level() const { return double(volume_) / 100.0; }

    // Holding the output pauses every playing pipeline; they stay "playing" to their callers.
    bool holdOutput(bool hold)
    {
        if (!initialised_)
            return false;
        outputHeld_ = hold;
        for (auto& [handle, channel] : channels_)
            channel->hold(hold);
        return true;
    }

    AudioChannel* find(AudioHandle handle)
    {
        auto it = channels_.find(handle);
        return it == channels_.end() ? nullptr : it->second.get();
    }

    AudioChannel* find(AudioHandle handle, bool music)
    {
        AudioChannel* channel = find(handle);
        return channel && channel->isModule() == music ? channel : nullptr;
    }

    std::unique_ptr<AudioChannel> newChannel(AudioChannel::Kind kind)
    {
        ensureInitialised();
        if (outputPending_) {
            settings_.output = probe_.valid() ? probe_.get() : OutputChain::probe();
            outputPending_ = false;
        }
        auto channel = std::make_unique<AudioChannel>(kind, settings_.rate);
        if (!channel->buildOutput(settings_)) {
            lastError_ = channel->builder().error();
            return nullptr;
        }
        channel->output().setVolume(level());
        return channel;
    }

    AudioHandle refuse(AudioChannel& channel)
    {
        lastError_ = channel.builder().error();
        if (lastError_.isEmpty())
            lastError_ = channel.error();
        return 0;
    }

    AudioHandle openFile(const QString& file, bool music)
    {
        if (!initialised_)
            return 0;
        if (!isExistingFile(file)) {
            lastError_ = QStringLiteral("文件“%1”不存在。").arg(file);
            return 0;
        }
        ensureInitialised();
        const FileKind kind = sniff(file);
        if (kind == FileKind::NotMedia || (kind == FileKind::Module) != music)
            return 0;
        auto channel = newChannel(music ? AudioChannel::Kind::Module : AudioChannel::Kind::Stream);
        if (!channel)
            return 0;
        GstElement* source = channel->builder().make("filesrc");
        GstElement* decoder = channel->addDecoder();
        if (source)
            g_object_set(source, "location", onDiskPath(file).constData(), nullptr);
        if (!channel->builder().ok() || !channel->builder().link(source, decoder) || !channel->open()
            || !channel->waitOpened(options_.openWaitMs))
            return refuse(*channel);
        return keep(std::move(channel));
    }

    AudioHandle keep(std::unique_ptr<AudioChannel> channel)
    {
        const AudioHandle handle = nextHandle_++;
        if (nextHandle_ == 0)
            nextHandle_ = 1;
        channels_[handle] = std::move(channel);
        return handle;
    }

    bool play(AudioChannel* channel) { return channel && channel->play(outputHeld_); }

    bool releaseChannel(AudioChannel* channel)
    {
        if (!channel)
            return false;
        for (auto it = channels_.begin(); it != channels_.end(); ++it) {
            if (it->second.get() != channel)
                continue;
            for (auto fx = effects_.begin(); fx != effects_.end();)
                fx = fx->second.channel == it->first ? effects_.erase(fx) : std::next(fx);
            channels_.erase(it);
            return true;
        }
        return false;
    }

    AudioLibraryOptions options_;
    OutputSettings settings_;
    std::future<Output> probe_;
    bool outputPending_ = false;
    QObject context_; // ends the wait for the probe's start with the library
    bool initialised_ = false;
    bool outputHeld_ = false;
    std::uint32_t volume_ = 100;
    AudioHandle nextHandle_ = 1;
    FxHandle nextFx_ = 1;
    QString lastError_;
    std::map<AudioHandle, std::unique_ptr<AudioChannel>> channels_;
    std::map<FxHandle, Effect> effects_;
};

} // namespace

std::unique_ptr<AudioLibrary> createAudioLibrary(AudioLibraryOptions options)
{
    return std::make_unique<GstAudioLibrary>(std::move(options));
}

} // namespace varendo::gst
