#include "fake_wave_service.h"

#include <algorithm>
#include <cstring>

namespace varendo::test {

uint32_t FakeWaveService::largestFormatSize()
{
    calls.push_back("largestFormatSize");
    return formatSize;
}

WaveResult FakeWaveService::open(Direction& d, const char* name, WaveHandle* handle,
                                 const WaveFormatRecord* format, QObject* receiver)
{
    calls.push_back(name);
    *handle = 0;
    if (d.openResult != waveerr::kNoError)
        return d.openResult;
    const auto* bytes = reinterpret_cast<const char*>(format);
    d.format.assign(bytes, bytes + formatSize);
    d.receiver = receiver;
    d.handle = *handle = nextHandle_++;
    return waveerr::kNoError;
}

WaveResult FakeWaveService::queue(Direction& d, const char* name, WaveHandle handle, WaveHeader* header)
{
    calls.push_back(name);
    if (handle != d.handle || handle == 0)
        return waveerr::kInvalidHandle;
    if (d.queueResult != waveerr::kNoError)
        return d.queueResult;
    const WaveResult r = wavebuf::enqueue(header);
    if (r == waveerr::kNoError)
        d.queued.push_back(header);
    return r;
}

WaveResult FakeWaveService::handBackAll(Direction& d, const char* name, WaveHandle handle, uint32_t notice)
{
    calls.push_back(name);
    if (handle != d.handle || handle == 0)
        return waveerr::kInvalidHandle;
    for (WaveHeader* h : d.queued) {
        wavebuf::markDone(h);
        postWaveNotice(d.receiver, notice, handle, h);
    }
    d.queued.clear();
    return waveerr::kNoError;
}

WaveResult FakeWaveService::close(Direction& d, const char* name, WaveHandle handle, uint32_t notice)
{
    handBackAll(d, name, handle, notice);
    if (handle != d.handle || handle == 0)
        return waveerr::kInvalidHandle;
    d.handle = 0;
    return waveerr::kNoError;
}

bool FakeWaveService::capture(const std::vector<char>& bytes)
{
    if (in.queued.empty())
        return false;
    WaveHeader* h = in.queued.front();
    in.queued.pop_front();
    const auto n = std::min<std::size_t>(bytes.size(), h->bufferLength);
    std::memcpy(h->data, bytes.data(), n);
    h->bytesRecorded = static_cast<uint32_t>(n);
    wavebuf::markDone(h);
    postWaveNotice(in.receiver, kNoticeInputData, in.handle, h);
    return true;
}

bool FakeWaveService::play()
{
    if (out.queued.empty())
        return false;
    WaveHeader* h = out.queued.front();
    out.queued.pop_front();
    wavebuf::markDone(h);
    postWaveNotice(out.receiver, kNoticeOutputDone, out.handle, h);
    return true;
}

WaveResult FakeWaveService::inOpen(WaveHandle* h, const WaveFormatRecord* f, QObject* r)
{
    return open(in, "inOpen", h, f, r);
}

WaveResult FakeWaveService::inPrepareHeader(WaveHandle handle, WaveHeader* header)
{
    calls.push_back("inPrepare");
    return in.prepareResult ? in.prepareResult : WaveService::inPrepareHeader(handle, header);
}

WaveResult FakeWaveService::inAddBuffer(WaveHandle handle, WaveHeader* header)
{
    return queue(in, "inAdd", handle, header);
}

WaveResult FakeWaveService::inUnprepareHeader(WaveHandle handle, WaveHeader* header)
{
    calls.push_back("inUnprepare");
    return in.unprepareResult ? in.unprepareResult : WaveService::inUnprepareHeader(handle, header);
}

WaveResult FakeWaveService::inStart(WaveHandle handle)
{
    calls.push_back("inStart");
    if (handle != in.handle || handle == 0)
        return waveerr::kInvalidHandle;
    return startResult;
}

WaveResult FakeWaveService::inReset(WaveHandle handle)
{
    return handBackAll(in, "inReset", handle, kNoticeInputData);
}

WaveResult FakeWaveService::inClose(WaveHandle handle)
{
    return close(in, "inClose", handle, kNoticeInputData);
}

WaveResult FakeWaveService::outOpen(WaveHandle* h, const WaveFormatRecord* f, QObject* r)
{
    return open(out, "outOpen", h, f, r);
}

WaveResult FakeWaveService::outPrepareHeader(WaveHandle handle, WaveHeader* header)
{
    calls.push_back("outPrepare");
    return out.prepareResult ? out.prepareResult : WaveService::outPrepareHeader(handle, header);
}

WaveResult FakeWaveService::outWrite(WaveHandle handle, WaveHeader* header)
{
    return queue(out, "outWrite", handle, header);
}

WaveResult FakeWaveService::outUnprepareHeader(WaveHandle handle, WaveHeader* header)
{
    calls.push_back("outUnprepare");
    return out.unprepareResult ? out.unprepareResult : WaveService::outUnprepareHeader(handle, header);
}

WaveResult FakeWaveService::outReset(WaveHandle handle)
{
    return handBackAll(out, "outReset", handle, kNoticeOutputDone);
}

WaveResult FakeWaveService::outClose(WaveHandle handle)
{
    return close(out, "outClose", handle, kNoticeOutputDone);
}

bool FakeWaveService::isOpenHandle(WaveHandle handle, bool capture) const
{
    const Direction& d = capture ? in : out;
    return handle != 0 && handle == d.handle;
}

} // namespace varendo::test
