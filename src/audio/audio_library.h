#pragma once
// The streaming audio library the audio engine plays through: its calls, named as the
// engine makes them. One implementation sits over GStreamer (platform/gstreamer/audio);
// tests use an in-process double.
//
// Handles: 0 is never a valid handle; every call on an unknown handle fails quietly.
// Byte positions and lengths count bytes of one fixed PCM output format: signed 16-bit
// little-endian samples, two interleaved channels, at the frequency given to Init
// (4 bytes per frame, 176 400 bytes per second at 44 100 Hz). They are always whole frames.
// All calls are made from one thread (the user-interface thread).
#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

class QObject;

namespace varendo {

using AudioHandle = std::uint32_t; // a stream or a module
using FxHandle = std::uint32_t;    // an effect on a stream or module

// The parametric equaliser band, the 12-byte record of effect type AudioLibrary::kFxParamEq.
struct ParamEqRecord {
    float fCenter = 0.0f;    // centre frequency, Hz
    float fBandwidth = 0.0f; // bandwidth, semitones
    float fGain = 0.0f;      // gain, dB
};
static_assert(sizeof(ParamEqRecord) == 12, "the band record is three floats");

class AudioLibrary {
public:
    static constexpr int kBytesPerFrame = 4;
    // Result of position and length calls that fail (unknown handle, length not known).
    static constexpr std::uint64_t kNoValue = UINT64_MAX;
    static constexpr int kFxParamEq = 7;
    static constexpr int kTagsHttp = 4; // response header lines, each NUL-terminated, then a NUL
    static constexpr int kTagsMeta = 5; // latest metadata: "StreamTitle='…';StreamUrl='…';"
    static constexpr std::uint32_t kStreamFxFlag = 0x80;      // accepted; effects are always possible
    static constexpr std::uint32_t kMusicFlags = 0x1000;      // accepted; modules play once
    static constexpr std::uint32_t kUrlMetadataFlag = 0x400000; // accepted; metadata is always read

    // The output format's conversions, for implementations. A time becomes the first whole
    // frame at or after it, so a time converted and read back is never less than it was.
    static double bytesToSeconds(std::uint64_t bytes, std::uint32_t rate)
    {
        const std::uint64_t wholeFrames = bytes / kBytesPerFrame;
        return double(wholeFrames) / double(rate);
    }
    static std::uint64_t secondsToBytes(double seconds, std::uint32_t rate)
    {
        if (!(seconds > 0.0))
            return 0;
        return std::uint64_t(std::ceil(seconds * double(rate) - 1e-3)) * kBytesPerFrame;
    }

    virtual ~AudioLibrary() = default;

    // Output. Device -1 is the default sound device, 0 plays silently (paced in real
    // time); frequency is the output rate of the byte positions. Init fails when already
    // initialised; Free releases every stream and module.
    virtual bool Init(int device, std::uint32_t frequency, std::uint32_t flags, QObject* window) = 0;
    virtual bool Free() = 0;
    virtual bool Start() = 0; // resumes the output after Stop
    virtual bool Stop() = 0;  // holds every playing stream and module until Start
    virtual float SetBufferLength(float seconds) = 0; // returns the length now in use
    virtual bool SetVolume(std::uint32_t volume) = 0;  // 0..100, for everything played

    // Sources. A file that is not a stream (or not a module) gives 0. A local source is
    // opened and ready to play, but not playing; its length is known on return unless it
    // is still opening (ChannelIsActive says Stalled), and then once it is open. An
    // internet stream connects after the call returns: its header lines, metadata and
    // any failure arrive when they come.
    virtual AudioHandle StreamCreateFile(bool fromMemory, const QString& file, std::uint64_t offset,
                                         std::uint64_t length, std::uint32_t flags) = 0;
    virtual AudioHandle MusicLoad(bool fromMemory, const QString& file, std::uint64_t offset,
                                  std::uint64_t length, std::uint32_t flags) = 0;
    virtual AudioHandle StreamCreateURL(const QString& url, std::uint64_t offset, std::uint32_t flags,
                                        const QString& saveFile) = 0;
    virtual bool MusicFree(AudioHandle music) = 0;
    virtual bool StreamFree(AudioHandle stream) = 0;

    // Playing. A stream answers only to StreamPlay, a module only to MusicPlay.
    virtual bool StreamPlay(AudioHandle stream, bool flush, std::uint32_t flags) = 0;
    virtual bool MusicPlay(AudioHandle music) = 0;
    virtual bool ChannelPause(AudioHandle channel) = 0;  // fails unless playing
    virtual bool ChannelResume(AudioHandle channel) = 0; // fails unless paused
    virtual bool ChannelStop(AudioHandle channel) = 0;   // keeps the position

    // Positions, in bytes of the output format (see above).
    virtual std::uint64_t StreamGetLength(AudioHandle stream) = 0;
    virtual std::uint64_t MusicGetLength(AudioHandle music, bool playLength) = 0;
    virtual std::uint64_t ChannelGetPosition(AudioHandle channel) = 0;
    virtual bool ChannelSetPosition(AudioHandle channel, std::uint64_t bytes) = 0;
    // Negative on error (unknown handle, or kNoValue given).
    virtual double ChannelBytes2Seconds(AudioHandle channel, std::uint64_t bytes) = 0;
    virtual std::uint64_t ChannelSeconds2Bytes(AudioHandle channel, double seconds) = 0;

    // Playback rate with the pitch kept: 1 is normal, 0.5 half speed. Positions and
    // lengths stay in the source's own time. Local sources only; kept until changed.
    virtual bool ChannelSetTempo(AudioHandle channel, double rate) = 0;

    // Stalled while a source is still opening or connecting; Stopped once it has failed
    // or a local source has played out.
    enum class Activity { Stopped, Playing, Stalled, Paused };
    virtual Activity ChannelIsActive(AudioHandle channel) = 0;
    // Why the channel failed, in the learner's words; for channel 0, why the last
    // source could not be opened. Empty when nothing failed.
    virtual QString ChannelGetError(AudioHandle channel) = 0;

    // Effects: type kFxParamEq adds one equaliser band (0 dB until set).
    virtual FxHandle ChannelSetFX(AudioHandle channel, int type) = 0;
    virtual bool FXSetParameters(FxHandle fx, const ParamEqRecord& params) = 0;
    virtual bool FXGetParameters(FxHandle fx, ParamEqRecord& params) = 0;

    // Tags of an internet stream (kTagsHttp, kTagsMeta), as bytes in UTF-8; none when absent.
    virtual std::optional<std::string> StreamGetTags(AudioHandle stream, int kind) = 0;
};

} // namespace varendo
