// The recorder through the main window: a voice recorded from the sound
// server, heard back, saved and opened again; and, over an in-process wave
// service that counts what it is given, which blocks of a file are played,
// when playing ends and what reaches the disk while recording.
#include "program_folder.h"
#include "dialog_answer.h"
#include "sound_media.h"
#include "fake_wave_service.h"

#include "common/media_texts.h"
#include "gsm/gsm610_codec.h"
#include "gstreamer/wave/gst_wave_service.h"
#include "event_wait.h"
#include "file_bytes.h"
#include "launch_line.h"
#include "playback/position_track_bar.h"
#include "playback/sentence_tracking.h"
#include "recorder/recorder_state.h"
#include "recorder/recording_file.h"
#include "small_disk.h"
#include "ui/floating_bar.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

using namespace varendo;
using varendo::recorder::RecorderImages;
using varendo::recorder::RecorderState;
using varendo::recorder::imagesFor;

namespace {

RecorderImages shown(TForm1* f)
{
    return {TForm1::imageOf(f->btnrecord), TForm1::imageOf(f->btnplay), TForm1::imageOf(f->btnstop)};
}

bool inState(TForm1* f, RecorderState state)
{
    return shown(f) == imagesFor(state);
}

int writes(const test::FakeWaveService& service)
{
    return int(std::count(service.calls.begin(), service.calls.end(), "outWrite"));
}

} // namespace

// As a learner would: speak (a tone into the sound server) and record it, hear it
// back with its progress shown, save copies and open one to play it again.
TEST(Recorder, AVoiceIsRecordedHeardBackSavedAndOpenedAgain)
{
    test::MonitorRecording monitor;
    if (!monitor.start())
        GTEST_SKIP() << "no PulseAudio server with the null sink; ./test.sh starts one";
    ProgramFolder folder;
    const QByteArray previous(2 * 1625, 'p');
    ASSERT_TRUE(test::writeAll(folder.file(QStringLiteral("rec.rec")), previous));
    TForm1* f = folder.start(true, gst::createWaveService()).Form1;
    ASSERT_TRUE(inState(f, RecorderState::Idle));

    QString error;
    gst::Pipeline voice = test::launch(
        QStringLiteral("audiotestsrc wave=sine freq=700 volume=0.3 is-live=true ! audioconvert ! pulsesink"), &error);
    ASSERT_TRUE(voice) << error.toStdString();
    gst_element_set_state(voice.get(), GST_STATE_PLAYING);
    ASSERT_TRUE(test::waitUntil([&] { return monitor.toneOver(700, 200) > 1e5; }, 10000)) << "no tone on the sink";

    QTest::mouseClick(f->btnrec, Qt::LeftButton);
    ASSERT_TRUE(f->pnl2->isVisible());
    QTest::mouseClick(f->btnrecord, Qt::LeftButton);
    QElapsedTimer recording;
    recording.start();
    ASSERT_TRUE(inState(f, RecorderState::Recording));
    EXPECT_EQ(test::readAll(folder.file(QStringLiteral("rec.rec"))), previous) << "replaced before any sound came";
    test::spinFor(3000);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(f->btnrecord, &enter);
    EXPECT_TRUE(f->btnrec->toolTip().startsWith(QStringLiteral("录音进行中... ... \n已录制:0:00:0")))
        << f->btnrec->toolTip().toStdString();
    // The time told is the sound in the file (the device takes a moment to start),
    // and the floating bar's recorder tells the same.
    ASSERT_TRUE(f->recStream);
    EXPECT_EQ(f->btnrec->toolTip(), QStringLiteral("录音进行中... ... \n已录制:")
                                        + playback::gettimes(f->recStream->bytesWritten() * 1000 / 1625));
    EXPECT_EQ(folder.windows().Form7->btnrec->toolTip(), f->btnrec->toolTip());
    EXPECT_EQ(folder.windows().Form7->btnrecord->toolTip(), f->btnrec->toolTip());
    QTest::mouseClick(f->btnstop, Qt::LeftButton);
    const double seconds = recording.elapsed() / 1000.0;
    gst_element_set_state(voice.get(), GST_STATE_NULL);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    EXPECT_EQ(f->btnrec->toolTip(), QStringLiteral("录音"));
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();

    const QByteArray recorded = test::readAll(folder.file(QStringLiteral("rec.rec")));
    EXPECT_EQ(recorded.size() % 65, 0);
    // 25 blocks a second of the time between the clicks, give or take one a second.
    EXPECT_NEAR(recorded.size() / 65.0, seconds * 25, std::ceil(seconds) + 1)
        << recorded.size() << " bytes in " << seconds << " s";
    gsm::Gsm610Decoder decoder;
    const auto decoded = decoder.decode({reinterpret_cast<const uint8_t*>(recorded.constData()),
                                         std::size_t(recorded.size())});
    ASSERT_GT(decoded.size(), std::size_t(gsm::kSampleRate));
    EXPECT_NEAR(test::dominantFrequency(std::span(decoded).subspan(gsm::kSampleRate / 5), gsm::kSampleRate), 700, 10);

    // Heard back: the progress shows, and playing ends on its own a second after the last whole one.
    const double silence = monitor.toneOver(700, 300);
    QTest::mouseClick(f->btnplay, Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return inState(f, RecorderState::Playing); }, 2000));
    EXPECT_GT(monitor.toneOver(700, 1000), 100 * (silence + 1)) << "the recording is not heard";
    ASSERT_TRUE(test::waitUntil([&] { return f->rzprgrsbr1->isVisible(); }, 2000));
    const int whole = int(recorded.size() / 1625);
    EXPECT_TRUE(f->rzprgrsbr1->toolTip().endsWith(QStringLiteral("\n总长度:0:00:0%1").arg(whole + 1)))
        << f->rzprgrsbr1->toolTip().toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return inState(f, RecorderState::Idle); }, (whole + 3) * 1000));
    EXPECT_FALSE(f->rzprgrsbr1->isVisible());
    EXPECT_FALSE(f->tmr2->isActive());

    // A copy is proposed under the playing file's name, in its own folder.
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("a.mp3dir")));
    f->dstrckbr1->setToolTip(playingHint(folder.file(QStringLiteral("a.mp3dir/lesson.mp3"))));
    f->pmrecsave1Popup(f->pmrecsave1);
    ASSERT_TRUE(f->pmrecsave->isEnabled());
    for (const QString& name : {QStringLiteral("mine.rec"), QStringLiteral("mine.wav")}) {
        QString proposed;
        test::DialogAnswer answer([&](QDialog* dialog) {
            proposed = static_cast<QFileDialog*>(dialog)->selectedFiles().value(0);
            test::typeFileName(dialog, folder.file(name));
        });
        f->pmrecsaveClick(f->pmrecsave);
        EXPECT_EQ(proposed, folder.file(QStringLiteral("a.mp3dir/lesson.rec")));
        EXPECT_TRUE(answer.questions.isEmpty()) << answer.questions.join("\n").toStdString();
    }
    EXPECT_EQ(test::readAll(folder.file(QStringLiteral("mine.rec"))), recorded);
    EXPECT_TRUE(test::readAll(folder.file(QStringLiteral("mine.wav"))).startsWith("RIFF"));

    // Opened again, the copy plays until stopped.
    test::DialogAnswer answer([&](QDialog* dialog) {
        test::typeFileName(dialog, folder.file(QStringLiteral("mine.rec")));
    });
    f->pmrecplayClick(f->pmrecplay);
    EXPECT_EQ(f->recFileName, folder.file(QStringLiteral("mine.rec")));
    ASSERT_TRUE(test::waitUntil([&] { return inState(f, RecorderState::Playing); }, 2000));
    EXPECT_GT(monitor.toneOver(700, 700), 100 * (silence + 1));
    QTest::mouseClick(f->btnstop, Qt::LeftButton);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    test::spinFor(300);
    EXPECT_LT(monitor.toneOver(700, 500), 10 * (silence + 1)) << "still heard after stop";
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Files of 1624, 1625 and 1700 bytes, and the progress of a ten-second one: only
// whole blocks are played, a file under a second is not played at all, and the
// clock ends playing one second after the last whole second.
TEST(Recorder, WholeBlocksArePlayedAndTheClockEndsPlaying)
{
    ProgramFolder folder;
    auto service = std::make_shared<test::FakeWaveService>();
    TForm1* f = folder.start(true, service).Form1;
    const QString rec = folder.file(QStringLiteral("rec.rec"));
    auto playFile = [&](int bytes) {
        ASSERT_TRUE(test::writeAll(rec, QByteArray(bytes, 'r')));
        service->clearCalls();
        f->btnplayClick(f->btnplay);
    };
    auto closed = [&] { return std::count(service->calls.begin(), service->calls.end(), "outClose") > 0; };

    playFile(1624);
    ASSERT_TRUE(test::waitUntil(closed, 2000));
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    EXPECT_EQ(writes(*service), 0);

    for (auto [bytes, blocks] : {std::pair{1625, 25}, std::pair{1700, 26}}) {
        playFile(bytes);
        ASSERT_TRUE(test::waitUntil([&] { return f->tmr2->isActive(); }, 2000));
        EXPECT_TRUE(inState(f, RecorderState::Playing));
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(test::waitUntil(closed, 4000));
        EXPECT_GE(clock.elapsed(), 1500) << "ended before the second tick";
        EXPECT_TRUE(inState(f, RecorderState::Idle));
        EXPECT_EQ(writes(*service), blocks) << bytes << " bytes";
        EXPECT_EQ(f->rzprgrsbr1->toolTip(), QStringLiteral("播放进度:0:00:02\n总长度:0:00:02"));
    }

    // Ten seconds, ticked by hand: the third tick.
    playFile(10 * 1625);
    ASSERT_TRUE(test::waitUntil([&] { return f->tmr2->isActive() && writes(*service) == 250; }, 2000));
    f->tmr2->stop();
    for (int tick = 0; tick < 3; ++tick)
        f->tmr2Timer(f->tmr2);
    EXPECT_FALSE(f->rzprgrsbr1->isHidden());
    EXPECT_EQ(f->rzprgrsbr1->value(), 30);
    EXPECT_EQ(f->rzprgrsbr1->toolTip(), QStringLiteral("播放进度:0:00:03\n总长度:0:00:11"));

    // While playing, nothing else starts and the menus offer nothing.
    f->btnplayClick(f->btnplay);
    f->btnrecordClick(f->btnrecord);
    EXPECT_EQ(std::count(service->calls.begin(), service->calls.end(), "outOpen"), 1);
    EXPECT_TRUE(inState(f, RecorderState::Playing));
    f->pmrecplay3Popup(f->pmrecplay3);
    f->pmrecsave1Popup(f->pmrecsave1);
    EXPECT_FALSE(f->pmrecplay->isEnabled());
    EXPECT_FALSE(f->pmrecsave->isEnabled());
    // Hiding the panel stops playing.
    f->btnrecClick(f->btnrec);
    f->btnrecClick(f->btnrec);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    EXPECT_TRUE(f->rzprgrsbr1->isHidden());

    service->clearCalls();
    f->btnstopClick(f->btnstop); // idle: nothing to stop
    EXPECT_TRUE(service->calls.empty());
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Ctrl+R records; every captured block is on disk the moment it arrives; hiding
// the panel does not stop recording; a file that cannot be written is reported
// and Stop still brings the recorder back.
TEST(Recorder, CapturedBlocksReachTheDiskAsTheyComeAndFailuresAreShown)
{
    ProgramFolder folder;
    auto service = std::make_shared<test::FakeWaveService>();
    TForm1* f = folder.start(true, service).Form1;
    const QString rec = folder.file(QStringLiteral("rec.rec"));
    const QByteArray previous(1625, 'p');
    ASSERT_TRUE(test::writeAll(rec, previous));
    auto capture = [&](char fill) {
        const bool taken = service->capture(std::vector<char>(65, fill));
        QCoreApplication::sendPostedEvents(nullptr, WaveNoticeEvent::eventType());
        return taken;
    };

    f->R3->trigger();
    EXPECT_TRUE(inState(f, RecorderState::Recording));
    EXPECT_TRUE(f->pnl2->isVisible());
    EXPECT_TRUE(f->btnrec->isChecked());
    EXPECT_EQ(test::readAll(rec), previous);
    QByteArray sent;
    for (char c = 'a'; c <= 'z'; ++c) {
        ASSERT_TRUE(capture(c));
        sent += QByteArray(65, c);
        ASSERT_EQ(test::readAll(rec), sent) << "while recording, after block " << c;
        if (c == 'm') {
            f->btnrecClick(f->btnrec); // hidden, and still recording
            EXPECT_FALSE(f->pnl2->isVisible());
            EXPECT_TRUE(f->btnrec->isChecked());
            EXPECT_TRUE(inState(f, RecorderState::Recording));
        }
    }
    QTest::mouseClick(f->btnstop, Qt::LeftButton);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    EXPECT_EQ(test::readAll(rec), sent);
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("rec.rec*")}, QDir::Files), QStringList{"rec.rec"});
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();

    // Something in the way of the recording file: said once, with the reason.
    ASSERT_TRUE(QFile::remove(rec));
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("rec.rec/kept")));
    f->btnrecordClick(f->btnrecord);
    ASSERT_TRUE(capture('a'));
    ASSERT_TRUE(capture('b'));
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("写入失败"))) << folder.messages[0].toStdString();
    f->btnstopClick(f->btnstop);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    EXPECT_TRUE(QDir(rec + QStringLiteral("/kept")).exists());

    // A refused microphone: the device's message, then recording shows until stopped.
    folder.messages.clear();
    service->in.openResult = waveerr::kBadDeviceId;
    f->btnrecordClick(f->btnrecord);
    EXPECT_EQ(folder.messages, QStringList{QStringLiteral("Problem creating record handle2")});
    EXPECT_TRUE(inState(f, RecorderState::Recording));
    f->btnstopClick(f->btnstop);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
}

// The disk fills up while recording: the learner hears it is full, the file
// ends after its last whole block, and what was recorded plays.
TEST(Recorder, AFullDiskWhileRecordingIsNamedAndKeepsWholeBlocks)
{
    ProgramFolder folder;
    test::SmallDisk disk(folder.path());
    ASSERT_TRUE(disk.mounted()) << "mounting a tmpfs needs root";
    auto service = std::make_shared<test::FakeWaveService>();
    TForm1* f = folder.start(true, service).Form1;
    const QString rec = folder.file(QStringLiteral("rec.rec"));
    auto capture = [&](char fill) {
        const bool taken = service->capture(std::vector<char>(65, fill));
        QCoreApplication::sendPostedEvents(nullptr, WaveNoticeEvent::eventType());
        return taken;
    };

    f->btnrecordClick(f->btnrecord);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(capture('a'));
    ASSERT_TRUE(disk.fill());
    // The file's last page still takes a few blocks, then one is cut short.
    for (int i = 0; i < 100 && folder.messages.isEmpty(); ++i)
        ASSERT_TRUE(capture('b'));
    ASSERT_EQ(folder.messages.size(), 1);
    const QString told = folder.messages[0];
    EXPECT_TRUE(told.contains(QStringLiteral("磁盘已满"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("秒已保存"))) << told.toStdString();
    ASSERT_TRUE(capture('c'));
    f->btnstopClick(f->btnstop);
    EXPECT_TRUE(inState(f, RecorderState::Idle));
    const QByteArray kept = test::readAll(rec);
    EXPECT_GE(kept.size(), 10 * 65);
    EXPECT_EQ(kept.size() % 65, 0) << kept.size();
    EXPECT_FALSE(kept.contains('c'));
    EXPECT_EQ(folder.messages.size(), 1);
}
