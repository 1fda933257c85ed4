#pragma once
// An in-process stand-in for the audio library: sources are declared by the test,
// positions move only when the test moves them, and every call is logged.
#include "audio/audio_library.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <string>

namespace varendo::test {

class FakeAudioLibrary : public AudioLibrary {
public:
    struct Source {
        bool module = false;
        std::uint64_t lengthBytes = 0;
        std::optional<std::string> headers; // internet streams
        std::optional<std::string> meta;
        bool opening = false; // still opening: no length yet, the channel is stalled
    };
    struct Channel {
        QString name;
        Source source;
        enum { Stopped, Playing, Paused } play = Stopped;
        std::uint64_t position = 0;
        bool url = false;
        double tempo = 1.0;
    };

    static std::uint64_t msToBytes(int ms) { return std::uint64_t(ms) * 44100 / 1000 * kBytesPerFrame; }

    // Files and URLs the library can open.
    QMap<QString, Source> sources;
    std::map<AudioHandle, Channel> channels;
    std::map<FxHandle, ParamEqRecord> effects;
    QStringList log;
    std::uint32_t volume = 100;
    float bufferSeconds = 0.0f;
    bool initialised = false;

    Channel* channel(AudioHandle h)
    {
        auto it = channels.find(h);
        return it == channels.end() ? nullptr : &it->second;
    }
    // The channel opened last, which the engine is playing.
    Channel* current() { return channels.empty() ? nullptr : &channels.rbegin()->second; }
    void setPositionMs(AudioHandle h, int ms) { channel(h)->position = msToBytes(ms); }

    bool Init(int device, std::uint32_t frequency, std::uint32_t, QObject*) override
    {
        log << QStringLiteral("Init %1 %2").arg(device).arg(frequency);
        initialised = true;
        return true;
    }
    bool Free() override
    {
        log << QStringLiteral("Free");
        channels.clear();
        return true;
    }
    bool Start() override { log << QStringLiteral("Start"); return true; }
    bool Stop() override { log << QStringLiteral("Stop"); return true; }
    float SetBufferLength(float seconds) override
    {
        bufferSeconds = seconds;
        return seconds;
    }
    bool SetVolume(std::uint32_t v) override
    {
        volume = v;
        return true;
    }

    AudioHandle open(const QString& name, bool module, bool url)
    {
        auto it = sources.find(name);
        if (it == sources.end() || it->module != module)
            return 0;
        const AudioHandle h = nextHandle_++;
        channels[h] = Channel{name, *it, Channel::Stopped, 0, url};
        return h;
    }
    AudioHandle StreamCreateFile(bool, const QString& file, std::uint64_t, std::uint64_t, std::uint32_t) override
    {
        log << QStringLiteral("StreamCreateFile ") + file;
        return open(file, false, false);
    }
    AudioHandle MusicLoad(bool, const QString& file, std::uint64_t, std::uint64_t, std::uint32_t) override
    {
        log << QStringLiteral("MusicLoad ") + file;
        return open(file, true, false);
    }
    AudioHandle StreamCreateURL(const QString& url, std::uint64_t, std::uint32_t, const QString&) override
    {
        log << QStringLiteral("StreamCreateURL ") + url;
        return open(url, false, true);
    }
    bool release(AudioHandle h, bool module)
    {
        Channel* c = channel(h);
        if (!c || c->source.module != module)
            return false;
        channels.erase(h);
        return true;
    }
    bool MusicFree(AudioHandle h) override { return release(h, true); }
    bool StreamFree(AudioHandle h) override { return release(h, false); }

    bool start(AudioHandle h, bool module)
    {
        Channel* c = channel(h);
        if (!c || c->source.module != module)
            return false;
        c->play = Channel::Playing;
        return true;
    }
    bool StreamPlay(AudioHandle h, bool, std::uint32_t) override { return start(h, false); }
    bool MusicPlay(AudioHandle h) override { return start(h, true); }
    bool ChannelPause(AudioHandle h) override
    {
        Channel* c = channel(h);
        if (!c || c->play != Channel::Playing)
            return false;
        c->play = Channel::Paused;
        return true;
    }
    bool ChannelResume(AudioHandle h) override
    {
        Channel* c = channel(h);
        if (!c || c->play != Channel::Paused)
            return false;
        c->play = Channel::Playing;
        return true;
    }
    bool ChannelStop(AudioHandle h) override
    {
        Channel* c = channel(h);
        if (!c)
            return false;
        c->play = Channel::Stopped;
        return true;
    }

    std::uint64_t StreamGetLength(AudioHandle h) override
    {
        Channel* c = channel(h);
        return c && !c->source.module && !c->source.opening ? c->source.lengthBytes : kNoValue;
    }
    std::uint64_t MusicGetLength(AudioHandle h, bool) override
    {
        Channel* c = channel(h);
        return c && c->source.module && !c->source.opening ? c->source.lengthBytes : kNoValue;
    }
    std::uint64_t ChannelGetPosition(AudioHandle h) override
    {
        Channel* c = channel(h);
        return c ? c->position : kNoValue;
    }
    bool ChannelSetPosition(AudioHandle h, std::uint64_t bytes) override
    {
        Channel* c = channel(h);
        if (!c || bytes == kNoValue)
            return false;
        c->position = bytes;
        return true;
    }
    bool ChannelSetTempo(AudioHandle h, double rate) override
    {
        Channel* c = channel(h);
        if (!c || c->url)
            return false;
        c->tempo = rate;
        return true;
    }
    double ChannelBytes2Seconds(AudioHandle h, std::uint64_t bytes) override
    {
        if (!channel(h) || bytes == kNoValue)
            return -1.0;
        return bytesToSeconds(bytes, 44100);
    }
    std::uint64_t ChannelSeconds2Bytes(AudioHandle h, double seconds) override
    {
        if (!channel(h))
            return kNoValue;
        return secondsToBytes(seconds, 44100);
    }

    FxHandle ChannelSetFX(AudioHandle h, int type) override
    {
        if (!channel(h) || type != kFxParamEq)
            return 0;
        const FxHandle fx = nextFx_++;
        effects[fx] = ParamEqRecord{};
        return fx;
    }
    bool FXSetParameters(FxHandle fx, const ParamEqRecord& p) override
    {
        auto it = effects.find(fx);
        if (it == effects.end())
            return false;
        it->second = p;
        return true;
    }
    bool FXGetParameters(FxHandle fx, ParamEqRecord& p) override
    {
        auto it = effects.find(fx);
        if (it == effects.end())
            return false;
        p = it->second;
        return true;
    }
    Activity ChannelIsActive(AudioHandle h) override
    {
        Channel* c = channel(h);
        if (!c)
            return Activity::Stopped;
        if (c->source.opening)
            return Activity::Stalled;
        return c->play == Channel::Playing ? Activity::Playing
               : c->play == Channel::Paused ? Activity::Paused
                                            : Activity::Stopped;
    }
    QString ChannelGetError(AudioHandle) override { return {}; }
    std::optional<std::string> StreamGetTags(AudioHandle h, int kind) override
    {
        Channel* c = channel(h);
        if (!c)
            return std::nullopt;
        return kind == kTagsHttp ? c->source.headers : kind == kTagsMeta ? c->source.meta : std::nullopt;
    }

private:
    AudioHandle nextHandle_ = 1;
    FxHandle nextFx_ = 1;
};

} // namespace varendo::test
