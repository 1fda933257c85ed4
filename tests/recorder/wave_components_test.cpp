// The capture and output components against an in-process device: what they
// ask of the device, what they report, and that every buffer comes home.
#include "fake_wave_service.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"

#include <QCoreApplication>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace varendo;
using varendo::test::FakeWaveService;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<char> block(char fill, std::size_t size = 65)
{
    return std::vector<char>(size, fill);
}

class WaveComponentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = std::make_shared<FakeWaveService>();
        devices = makeDevices(service);
        owner = std::make_unique<QWidget>();
    }

    void TearDown() override
    {
        owner.reset(); // the components close what they opened and free every buffer
        EXPECT_EQ(devices->buffersInUse(), 0);
    }

    std::shared_ptr<WaveDevices> makeDevices(std::shared_ptr<WaveService> over)
    {
        return std::make_shared<WaveDevices>(std::move(over), [this](const QString& text) { messages << text; });
    }

    static void deliver() { QCoreApplication::sendPostedEvents(nullptr, WaveNoticeEvent::eventType()); }

    const WaveFormatRecord format = gsmRecordingFormat();
    std::shared_ptr<FakeWaveService> service;
    std::shared_ptr<WaveDevices> devices;
    QStringList messages;
    std::unique_ptr<QWidget> owner;
};

// ---- capture ----

TEST_F(WaveComponentsTest, CaptureOpensOnTheRecordingFormatWithThreeBuffersAndStarts)
{
    auto* in = new TACMWaveIn(owner.get(), devices);
    EXPECT_EQ(in->size(), QSize(32, 32));
    EXPECT_EQ(in->parentWidget(), owner.get());

    in->Open(&format);
    EXPECT_THAT(service->calls, ElementsAre("largestFormatSize", "inOpen", "inPrepare", "inAdd",
                                            "inPrepare", "inAdd", "inPrepare", "inAdd", "inStart"));
    EXPECT_EQ(service->in.receiver, in);
    // The device gets the record in a buffer of the largest format size, the rest zero.
    ASSERT_EQ(service->in.format.size(), 40u);
    EXPECT_EQ(std::memcmp(service->in.format.data(), &format, sizeof format), 0);
    EXPECT_TRUE(std::all_of(service->in.format.begin() + sizeof format, service->in.format.end(),
                            [](char c) { return c == 0; }));
    ASSERT_EQ(service->in.queued.size(), 3u);
    for (WaveHeader* h : service->in.queued) {
        EXPECT_EQ(h->bufferLength, 128u);
        EXPECT_EQ(h->bytesRecorded, 0u);
        EXPECT_EQ(h->flags, kHeaderPrepared | kHeaderInQueue);
    }
    EXPECT_THAT(messages, IsEmpty());
    in->Close();
}

TEST_F(WaveComponentsTest, CapturedBlocksReachOnDataInOrderAsPrivateCopiesWhileBuffersCircle)
{
    TACMWaveIn in(owner.get(), devices);
    std::vector<std::vector<char>> received;
    std::vector<const void*> pointers;
    in.OnData = [&](const void* data, int size) {
        const auto* bytes = static_cast<const char*>(data);
        received.emplace_back(bytes, bytes + size);
        pointers.push_back(data);
    };
    in.Open(&format);
    std::vector<const char*> deviceMemory;
    for (WaveHeader* h : service->in.queued)
        deviceMemory.push_back(h->data);

    for (char c = 'a'; c < 'h'; ++c) { // more blocks than buffers: they must come back
        ASSERT_TRUE(service->capture(block(c)));
        deliver();
    }
    ASSERT_EQ(received.size(), 7u);
    for (std::size_t i = 0; i < received.size(); ++i)
        EXPECT_EQ(received[i], block(char('a' + i))) << i;
    for (const void* p : pointers)
        EXPECT_THAT(deviceMemory, ::testing::Not(::testing::Contains(p)));
    ASSERT_EQ(service->in.queued.size(), 3u);
    for (WaveHeader* h : service->in.queued) {
        EXPECT_EQ(h->bufferLength, 128u);
        EXPECT_EQ(h->bytesRecorded, 0u);
    }
    EXPECT_EQ(devices->buffersInUse(), 3);
    in.Close();
}

TEST_F(WaveComponentsTest, CaptureWithoutOnDataKeepsRunningAndDropsTheSound)
{
    TACMWaveIn in(owner.get(), devices);
    in.Open(&format);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(service->capture(block('x')));
        deliver();
    }
    EXPECT_EQ(service->in.queued.size(), 3u);
    EXPECT_THAT(messages, IsEmpty());
    in.Close();
}

TEST_F(WaveComponentsTest, SecondCaptureOpenChangesNothingOnAnyInstance)
{
    TACMWaveIn first(owner.get(), devices), second(owner.get(), devices);
    first.Open(&format);
    service->clearCalls();
    first.Open(&format);
    second.Open(&format);
    first.Open(nullptr);
    EXPECT_THAT(service->calls, IsEmpty());
    EXPECT_EQ(service->in.receiver, &first);

    second.Close(); // any instance closes the one device
    EXPECT_THAT(service->calls, ElementsAre("inReset", "inClose"));
    second.Open(&format);
    EXPECT_EQ(service->in.receiver, &second);
    second.Close();
}

TEST_F(WaveComponentsTest, RefusedCaptureIsReportedAndBlocksOpensUntilClose)
{
    TACMWaveIn first(owner.get(), devices), second(owner.get(), devices);
    service->in.openResult = 4;
    first.Open(&format);
    EXPECT_THAT(messages, ElementsAre("Problem creating record handle4"));
    EXPECT_THAT(service->calls, ElementsAre("largestFormatSize", "inOpen")); // no buffers, no start

    service->in.openResult = waveerr::kNoError;
    service->clearCalls();
    first.Open(&format);
    second.Open(&format);
    EXPECT_THAT(service->calls, IsEmpty());

    second.Close(); // nothing was opened by the service, so nothing to release there
    EXPECT_THAT(service->calls, IsEmpty());
    first.Open(&format);
    EXPECT_EQ(service->in.queued.size(), 3u);
    EXPECT_EQ(messages.size(), 1);
    first.Close();
}

TEST_F(WaveComponentsTest, CloseFreesBuffersOnTheirWayBackWithoutOnData)
{
    TACMWaveIn in(owner.get(), devices);
    int calls = 0;
    in.OnData = [&](const void*, int) { ++calls; };
    in.Open(&format);
    ASSERT_TRUE(service->capture(block('a'))); // filled but not yet delivered
    in.Close();
    EXPECT_THAT(service->calls, ::testing::IsSupersetOf({"inReset", "inClose"}));
    deliver();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(devices->buffersInUse(), 0);

    service->clearCalls();
    in.Close(); // not open: nothing happens
    EXPECT_THAT(service->calls, IsEmpty());
}

TEST_F(WaveComponentsTest, OnDataThatClosesTheDeviceDoesNotQueueItsBufferAgain)
{
    TACMWaveIn in(owner.get(), devices);
    in.OnData = [&](const void*, int) { in.Close(); };
    in.Open(&format);
    ASSERT_TRUE(service->capture(block('a')));
    deliver();
    deliver(); // the two buffers the close handed back
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_TRUE(service->in.queued.empty());
    EXPECT_EQ(devices->buffersInUse(), 0);
}

TEST_F(WaveComponentsTest, CaptureDeviceFailuresAreReportedWithTheirTexts)
{
    TACMWaveIn in(owner.get(), devices);
    service->in.prepareResult = 1;
    service->startResult = 1;
    in.Open(&format);
    // Unprepared buffers are refused by the device too; each text shows once.
    EXPECT_THAT(messages, ElementsAre("In Prepare error", "Add buffer error", "Start error"));
    EXPECT_EQ(devices->buffersInUse(), 0); // buffers the device refused are not kept
    in.Close();

    messages.clear();
    service->in.prepareResult = waveerr::kNoError;
    service->in.unprepareResult = 1;
    service->startResult = waveerr::kNoError;
    int blocks = 0;
    in.OnData = [&](const void*, int) { ++blocks; };
    in.Open(&format);
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(service->capture(block('u')));
        deliver();
    }
    EXPECT_EQ(blocks, 10); // capture goes on
    EXPECT_THAT(messages, ElementsAre("In Un Prepare error"));
    in.Close();
}

TEST_F(WaveComponentsTest, DestroyingTheOpenerClosesItsDevice)
{
    auto* in = new TACMWaveIn(owner.get(), devices);
    in->Open(&format);
    ASSERT_TRUE(service->capture(block('a')));
    delete in;
    EXPECT_EQ(service->in.handle, 0u);
    EXPECT_EQ(devices->buffersInUse(), 0);
    TACMWaveIn again(owner.get(), devices);
    again.Open(&format);
    EXPECT_EQ(service->in.queued.size(), 3u);
    again.Close();
}

TEST_F(WaveComponentsTest, WithoutAServiceDevicesAreRefused)
{
    devices = makeDevices(nullptr);
    TACMWaveIn in(owner.get(), devices);
    TACMWaveOut out(owner.get(), devices);
    in.Open(&format);
    out.Open(&format);
    out.Write("x", 1);
    EXPECT_THAT(messages, ElementsAre("Problem creating record handle6", "Problem creating playing handle6"));
    in.Close();
    out.Close();
}

// ---- output ----

TEST_F(WaveComponentsTest, WrittenBlocksAreCopiedQueuedAndFreedWhenPlayed)
{
    TACMWaveOut out(owner.get(), devices);
    out.Open(&format);
    EXPECT_THAT(service->calls, ElementsAre("largestFormatSize", "outOpen"));
    EXPECT_TRUE(service->out.queued.empty());

    std::vector<char> data = block('p');
    out.Write(data.data(), int(data.size()));
    out.Write(block('q').data(), 65);
    ASSERT_EQ(service->out.queued.size(), 2u);
    WaveHeader* first = service->out.queued.front();
    EXPECT_NE(first->data, data.data());
    EXPECT_EQ(std::vector<char>(first->data, first->data + 65), data);
    EXPECT_EQ(first->bufferLength, 65u);
    EXPECT_EQ(first->bytesRecorded, 65u);

    service->clearCalls();
    ASSERT_TRUE(service->play());
    deliver();
    EXPECT_THAT(service->calls, ElementsAre("outUnprepare"));
    EXPECT_EQ(devices->buffersInUse(), 1);
    out.Close();
}

TEST_F(WaveComponentsTest, WriteWithoutAnOpenDeviceShowsAndQueuesNothing)
{
    TACMWaveOut out(owner.get(), devices);
    out.Write(block('a').data(), 65);
    out.Close();
    EXPECT_THAT(service->calls, IsEmpty());
    EXPECT_THAT(messages, IsEmpty());
    EXPECT_EQ(devices->buffersInUse(), 0);
}

TEST_F(WaveComponentsTest, OneOutputDeviceIsSharedByEveryInstance)
{
    // A player opens through its own component; another writes and closes.
    TACMWaveOut opener(owner.get(), devices), writer(owner.get(), devices);
    opener.Open(&format);
    writer.Open(&format); // ignored: the device is open
    EXPECT_EQ(service->out.receiver, &opener);
    for (char c = 'a'; c < 'e'; ++c)
        writer.Write(block(c).data(), 65);
    ASSERT_EQ(service->out.queued.size(), 4u);
    ASSERT_TRUE(service->play());
    deliver(); // the notice went to the opener, which frees the block
    EXPECT_EQ(devices->buffersInUse(), 3);

    service->clearCalls();
    writer.Close();
    deliver();
    // Blocks dropped by the reset are freed without being unprepared.
    EXPECT_THAT(service->calls, ElementsAre("outReset", "outClose"));
    EXPECT_EQ(devices->buffersInUse(), 0);
    writer.Write(block('z').data(), 65); // closed: dropped
    EXPECT_TRUE(service->out.queued.empty());
}

TEST_F(WaveComponentsTest, RefusedOutputIsReportedOnceNotForEveryBlock)
{
    TACMWaveOut out(owner.get(), devices);
    service->out.openResult = 6;
    out.Open(&format);
    service->clearCalls();
    for (int i = 0; i < 50; ++i)
        out.Write(block('a').data(), 65);
    EXPECT_THAT(messages, ElementsAre("Problem creating playing handle6"));
    EXPECT_THAT(service->calls, IsEmpty());
    EXPECT_EQ(devices->buffersInUse(), 0);

    service->out.openResult = waveerr::kNoError;
    out.Open(&format); // still counts as open until Close
    EXPECT_THAT(service->calls, IsEmpty());
    out.Close();
    out.Open(&format);
    out.Write(block('b').data(), 65);
    EXPECT_EQ(service->out.queued.size(), 1u);
    EXPECT_EQ(messages.size(), 1);
    out.Close();
}

TEST_F(WaveComponentsTest, FailingOutputBlocksAreReportedOncePerOpen)
{
    TACMWaveOut out(owner.get(), devices);
    service->out.prepareResult = 1;
    out.Open(&format);
    for (int i = 0; i < 20; ++i)
        out.Write(block('a').data(), 65);
    EXPECT_THAT(messages, ElementsAre("WaveOutPrepareHeader error", "WaveOutWrite error"));
    EXPECT_EQ(devices->buffersInUse(), 0); // refused blocks are not kept
    out.Close();

    messages.clear();
    service->out.prepareResult = waveerr::kNoError;
    service->out.unprepareResult = 1;
    out.Open(&format);
    for (int i = 0; i < 5; ++i)
        out.Write(block('a').data(), 65);
    while (service->play()) {}
    deliver();
    EXPECT_THAT(messages, ElementsAre("WaveOutPrepareHeader error")); // the unprepare failure
    out.Close();
}

TEST_F(WaveComponentsTest, BlocksOfAnEarlierDeviceAreFreedAfterANewOpen)
{
    // Stop and play again before the first device's blocks have come home.
    TACMWaveOut out(owner.get(), devices);
    out.Open(&format);
    out.Write(block('a').data(), 65);
    out.Close();
    out.Open(&format);
    service->clearCalls();
    deliver();
    EXPECT_THAT(service->calls, IsEmpty()); // not unprepared on the new device
    EXPECT_EQ(devices->buffersInUse(), 0);
    out.Close();
}

} // namespace
