#include "audio/audio_engine.h"

#include "audio/audio_text.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace varendo {

namespace {

constexpr float kBandwidthSemitones = 3.0f;
// While a file plays, the end watch sleeps until the end is due, but looks at least this
// often, so a source that stalls or ends early is still noticed.
constexpr int kLongestWatchSleepMs = 250;
// How often the watch looks at a local file that is still opening.
constexpr int kOpeningWatchMs = 20;

const char* const kSupportedExtensions[] = {".MP1", ".MP2", ".MP3", ".WAV", ".OGG", ".MOD",
                                            ".S3M", ".IT",  ".UMX", ".MO3", ".MTM", ".XM"};

} // namespace

TAudioEngine::TAudioEngine(AudioLibrary& library, QObject* windowHandle)
    : WindowHandle(windowHandle), library_(library)
{
    EndTimer.setSingleShot(true);
    EndTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&EndTimer, &QTimer::timeout, &EndTimer, [this] { CheckEnd(); });
    SetDevice(Device);
    SetBufferLength(500);
}

TAudioEngine::~TAudioEngine()
{
    EndTimer.stop();
    freeChannel();
}

void TAudioEngine::SetDevice(int device)
{
    Device = device;
    Stop();
    library_.Stop();
    library_.Free();
    library_.Init(Device, std::uint32_t(Frequency), 0, WindowHandle);
    library_.Start();
}

QString TAudioEngine::GetError()
{
    return library_.ChannelGetError(Channel);
}

void TAudioEngine::freeChannel()
{
    // The handle may hold either kind; each call frees only its own.
    library_.MusicFree(Channel);
    library_.StreamFree(Channel);
}

void TAudioEngine::Play(const QString& name)
{
    FileName = name;
    if (audio_text::startsWithUrl(name)) {
        PlayURL(name);
        return;
    }
    freeChannel();
    watchEnd(); // also when nothing opens: a channel of 0 counts as finished
    Channel = library_.StreamCreateFile(false, name, 0, 0, AudioLibrary::kStreamFxFlag);
    isModule_ = false;
    if (Channel == 0) {
        Channel = library_.MusicLoad(false, name, 0, 0, AudioLibrary::kMusicFlags);
        isModule_ = true;
    }
    if (Channel == 0)
        return;
    AddEqualizer();
    ApplyEqualizer();
    // Normal speed needs nothing of a new channel.
    if (Tempo != 1.0)
        library_.ChannelSetTempo(Channel, Tempo);
    library_.StreamPlay(Channel, false, 0);
    library_.MusicPlay(Channel);
    LengthBytes = isModule_ ? library_.MusicGetLength(Channel, true) : library_.StreamGetLength(Channel);
    State = StatePlaying;
}

bool TAudioEngine::PlayURL(const QString& url)
{
    FileName = url;
    freeChannel();
    Channel = library_.StreamCreateURL(url, 0, AudioLibrary::kUrlMetadataFlag, SaveFile);
    isModule_ = false;
    bool started = Channel != 0;
    if (!library_.StreamPlay(Channel, false, 0))
        started = false;
    LengthBytes = library_.StreamGetLength(Channel);
    State = StatePlaying;
    return started;
}

void TAudioEngine::Pause()
{
    library_.ChannelPause(Channel);
    State = StatePaused;
    watchEnd();
}

void TAudioEngine::Resume()
{
    library_.ChannelResume(Channel);
    State = StatePlaying;
    watchEnd();
}

void TAudioEngine::Stop()
{
    library_.ChannelStop(Channel);
    State = StateStopped;
    EndTimer.stop();
}

int TAudioEngine::bytesToMs(std::uint64_t bytes)
{
    const double seconds = library_.ChannelBytes2Seconds(Channel, bytes);
    if (!(seconds > 0.0))
        return 0;
    // The small addition keeps a whole number of milliseconds, held as a binary
    // fraction just below itself, from truncating one lower.
    const double ms = std::floor(seconds * 1000.0 + 1e-6);
    return ms >= double(INT_MAX) ? INT_MAX : int(ms);
}

int TAudioEngine::GetPosition()
{
    return bytesToMs(library_.ChannelGetPosition(Channel));
}

int TAudioEngine::GetLength()
{
    // A source still opening when it was played tells its length once it is open.
    if (LengthBytes == AudioLibrary::kNoValue && Channel != 0 && !audio_text::containsUrl(FileName))
        LengthBytes = isModule_ ? library_.MusicGetLength(Channel, true) : library_.StreamGetLength(Channel);
    return bytesToMs(LengthBytes);
}

void TAudioEngine::SetPosition(int milliseconds)
{
    const double seconds = double(std::max(milliseconds, 0)) / 1000.0;
    library_.ChannelSetPosition(Channel, library_.ChannelSeconds2Bytes(Channel, seconds));
    watchEnd();
}

void TAudioEngine::SetVolume(int volume)
{
    library_.SetVolume(std::uint32_t(std::clamp(volume, 0, 100)));
}

void TAudioEngine::SetTempo(double rate)
{
    Tempo = rate;
    if (Channel != 0 && !audio_text::containsUrl(FileName))
        library_.ChannelSetTempo(Channel, Tempo);
    // A slower file ends later: the end watch looks again.
    if (State == StatePlaying)
        watchEnd();
}

void TAudioEngine::SetBufferLength(int milliseconds)
{
    library_.SetBufferLength(float(std::clamp(milliseconds, 150, 2000)) / 1000.0f);
}

void TAudioEngine::AddEqualizer()
{
    for (int i = 0; i < BandCount; ++i) {
        FXHandles[i] = library_.ChannelSetFX(Channel, AudioLibrary::kFxParamEq);
        library_.FXSetParameters(FXHandles[i], ParamEqRecord{float(EQCentres[i]), kBandwidthSemitones, 0.0f});
    }
}

void TAudioEngine::SetEqualizer(const std::array<int, BandCount>& gains)
{
    EQGains = gains;
    for (int i = 0; i < BandCount; ++i) {
        ParamEqRecord band{float(EQCentres[i]), kBandwidthSemitones, 0.0f};
        library_.FXGetParameters(FXHandles[i], band);
        band.fGain = float(gains[i]);
        library_.FXSetParameters(FXHandles[i], band);
    }
}

void TAudioEngine::ApplyEqualizer()
{
    SetEqualizer(EQGains);
}

bool TAudioEngine::IsSupportedFile(const QString& name)
{
    const QString extension = audio_text::fileExtension(name);
    for (const char* supported : kSupportedExtensions)
        if (extension.compare(QLatin1String(supported), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString TAudioEngine::GetTitle(const QString& name)
{
    const QString upper = name.trimmed().toUpper();
    if (upper.startsWith(QLatin1String("HTTP:")) || upper.startsWith(QLatin1String("HTTPS:"))
        || upper.startsWith(QLatin1String("FTP:"))) {
        TStreamInfo info;
        // The open channel answers for its own name; any other URL is opened just to ask.
        GetStreamInfo(name == FileName ? QString() : name, info);
        if (info.name.isEmpty())
            return QStringLiteral("Unknown Host");
        return info.name + u' ' + info.url + QLatin1String(" - ") + info.streamTitle;
    }
    return audio_text::fileTitle(name);
}

void TAudioEngine::GetStreamInfo(const QString& url, TStreamInfo& info)
{
    AudioHandle stream = Channel;
    if (!url.isEmpty()) {
        stream = library_.StreamCreateURL(url, 0, AudioLibrary::kUrlMetadataFlag, QString());
        if (stream == 0)
            return;
    } else if (stream == 0) {
        return;
    }
    readStreamInfo(library_.StreamGetTags(stream, AudioLibrary::kTagsHttp),
                   library_.StreamGetTags(stream, AudioLibrary::kTagsMeta), info);
    if (!url.isEmpty())
        library_.StreamFree(stream);
}

QString TAudioEngine::GetFilter() const
{
    return QStringLiteral(
        "mp1/mp2/mp3/wav/ogg/mod/s3m/it/umx/mo3/mtm/xm|*.mp1;*.mp2;*.mp3;*.wav;*.ogg;*.mod;*.s3m;*.it;"
        "*.umx;*.mo3;*.mtm;*.xm|Streams (mp1/mp2/mp3/wav/ogg)|*.mp1;*.mp2;*.mp3;*.wav;*.ogg|"
        "Trackers (mod/s3m/it/umx/mo3/mtm/xm)|*.mod;*.s3m;*.it;*.umx;*.mo3;*.mtm;*.xm");
}

bool TAudioEngine::IsOpening()
{
    return Channel != 0 && !audio_text::containsUrl(FileName)
        && library_.ChannelIsActive(Channel) == AudioLibrary::Activity::Stalled;
}

void TAudioEngine::watchEnd()
{
    EndTimer.start(1);
}

void TAudioEngine::CheckEnd()
{
    const bool internet = audio_text::containsUrl(FileName);
    // A local file still opening has no length yet: it has not ended, look again soon.
    if (State != StateStopped && IsOpening()) {
        EndTimer.start(kOpeningWatchMs);
        return;
    }
    const int position = GetPosition();
    const int length = GetLength();
    if (position >= length - EndMarginMs && State != StateStopped && !internet) {
        Stop();
        State = StateEnded;
        return;
    }
    // Only a playing local file moves towards its end by itself; a paused one moves
    // only by SetPosition, which arms the watch again.
    if (State != StatePlaying || internet || Channel == 0)
        return;
    // Media milliseconds pass faster or slower than the clock's at another speed.
    const int due = int(double((length - EndMarginMs) - position) / Tempo);
    EndTimer.start(std::clamp(due, 1, kLongestWatchSleepMs));
}

} // namespace varendo
