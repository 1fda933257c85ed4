#include "program_folder.h"
#include "sound_media.h"

#include "audio/audio_object.h"
#include "database/settings_row.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "ui/main_window.h"
#include "ui/radio_group.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace varendo;

namespace {

// Three sentences, one second apart; each is a burst of its own tone that starts
// a tenth of a second after its stamp, as a voice starts a little after its stamp.
constexpr double kStamps[] = {1.0, 2.0, 3.0};
constexpr double kTones[] = {600, 800, 1000};
constexpr double kBurstSeconds = 0.25;
constexpr double kFileSeconds = 4.8;
const QString kTiming = QStringLiteral("[00:01.00]First one.\r\n[00:02.00]Second one.\r\n[00:03.00]Third one.");
const QString kText = QStringLiteral("First one. Second one. Third one.");

bool writeBurstFile(const QString& path)
{
    std::vector<test::ToneBurst> bursts;
    for (int i = 0; i < 3; ++i)
        bursts.push_back({kStamps[i] + 0.1, kBurstSeconds, kTones[i]});
    return test::writeToneBursts(path, kFileSeconds, bursts);
}

// One audio lesson of book 1 playing the bursts.
struct BurstLesson {
    explicit BurstLesson(ProgramFolder& folder)
    {
        QDir(folder.path()).mkpath(QStringLiteral("mp3/1"));
        ok = writeBurstFile(folder.file(QStringLiteral("mp3/1/bursts.wav")));
        LessonRow row;
        row.book = QStringLiteral("1");
        row.lesson = QStringLiteral("1");
        row.title = QStringLiteral("Bursts");
        row.text = kText;
        row.timing = kTiming;
        row.audio = QStringLiteral("bursts.wav");
        row.video = QStringLiteral("bursts.avi");
        folder.writeLessons({row});
    }
    bool ok = false;
};

void playAudioLesson(TForm1* f)
{
    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
}

QString selected(TForm1* f)
{
    return f->mmo1->textCursor().selectedText();
}

// Where each tone is first heard in a recording (seconds), and how often.
std::vector<double> onsets(const std::vector<std::int16_t>& heard, int burst)
{
    return test::toneOnsets(heard, kTones[burst], 44100);
}

// The first position the player reports once a seek has settled and it plays on.
template <typename Position>
qint64 settledPosition(Position position, qint64 target)
{
    qint64 now = position();
    // The caller judges the position it gets, whether or not it moved in time.
    (void)QTest::qWaitFor([&] { return (now = position()) != target; }, 3000);
    return now;
}

// The burst lesson in a started program, with what the null sink plays recorded.
class PracticeHeard : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!monitor.start())
            GTEST_SKIP() << "no PulseAudio server with the null sink (run ./test.sh)";
        ASSERT_TRUE(lesson.ok);
        f = folder.start().Form1;
    }
    test::MonitorRecording monitor;
    ProgramFolder folder;
    BurstLesson lesson{folder};
    TForm1* f = nullptr;
};

} // namespace

// Slower: the bursts keep their pitch and come at 1/0.7 of their media time, while
// the position bar, the time shown and sentence tracking stay in the file's time;
// the speed is found again after a restart.
TEST_F(PracticeHeard, ALessonSlowedDownKeepsItsPitchAndItsMediaTime)
{
    EXPECT_EQ(f->playbackSpeed, 10) << "normal speed at first";
    EXPECT_FALSE(f->drillItem->isChecked());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f, Qt::Key_BracketLeft);
    ASSERT_EQ(f->playbackSpeed, 7);
    EXPECT_TRUE(f->speedItems[2]->isChecked()) << "0.7× is marked in the menu";
    EXPECT_EQ(db::loadSettingsRow(folder.open(), folder.path(), [](const QString&) { return true; }).playbackSpeed, 7);

    monitor.clear();
    playAudioLesson(f);
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return selected(f) == "Second one."; }, 10000)) << "tracking follows";
    EXPECT_EQ(f->dstrckbr1->maximum(), 48) << "the bar counts the file's own tenths";
    EXPECT_TRUE(f->StatusBar->text().endsWith("总长: 0:00:04")) << f->StatusBar->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->audioPlayer->GetPosition() >= 3500; }, 10000));
    const std::vector<std::int16_t> heard = monitor.heard();

    std::vector<double> first;
    for (int burst = 0; burst < 3; ++burst) {
        const std::vector<double> at = onsets(heard, burst);
        ASSERT_EQ(at.size(), 1u) << "tone " << kTones[burst];
        first.push_back(at[0]);
        // The middle of the burst: the tone's own frequency, to 2 %.
        const auto from = std::size_t((at[0] + 0.06) * 44100);
        const std::span<const std::int16_t> middle(heard.data() + from, std::size_t(0.2 * 44100));
        EXPECT_NEAR(test::dominantFrequency(middle, 44100), kTones[burst], kTones[burst] * 0.02);
    }
    // One second of the file apart, heard 1/0.7 s apart.
    EXPECT_NEAR(first[1] - first[0], 1.0 / 0.7, 0.05);
    EXPECT_NEAR(first[2] - first[0], 2.0 / 0.7, 0.05);
    f->btStopClick(nullptr);

    // Started again, the program plays at the speed chosen before.
    TForm1* again = folder.start().Form1;
    EXPECT_EQ(again->playbackSpeed, 7);
    EXPECT_TRUE(again->speedItems[2]->isChecked());
    EXPECT_DOUBLE_EQ(again->audioPlayer->GetTempo(), 0.7);
    EXPECT_DOUBLE_EQ(again->fltrgrph1->rate(), 0.7);
    QTest::keyClick(again, Qt::Key_Backslash);
    EXPECT_EQ(again->playbackSpeed, 10);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Previous, again and next land on the stamps and select their sentences, in an
// audio lesson and in an opened file with lyrics played by the media graph.
TEST(Practice, SentenceStepsLandOnTheStampsInBothPlayers)
{
    ProgramFolder folder;
    BurstLesson lesson(folder);
    ASSERT_TRUE(lesson.ok);
    const QString opened = folder.file("bursts.wav");
    ASSERT_TRUE(writeBurstFile(opened));
    QFile lyrics(folder.file("bursts.lrc"));
    ASSERT_TRUE(lyrics.open(QIODevice::WriteOnly));
    lyrics.write(kTiming.toUtf8());
    lyrics.close();
    TForm1* f = folder.start().Form1;

    struct Step {
        int key;
        int sentence;
    };
    const std::vector<Step> steps{{Qt::Key_D, 0}, {Qt::Key_D, 1}, {Qt::Key_D, 2}, {Qt::Key_A, 1},
                                  {Qt::Key_S, 1}, {Qt::Key_A, 0}, {Qt::Key_A, 0}};
    const QStringList sentences = kText.split(". ");
    auto walk = [&](auto position, const char* player) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return position() >= 300; }, 10000)) << player;
        for (const Step& step : steps) {
            QTest::keyClick(f, step.key);
            const auto stamp = qint64(kStamps[step.sentence] * 1000);
            const qint64 landed = settledPosition(position, stamp);
            EXPECT_GE(landed, stamp - 100) << player << " sentence " << step.sentence;
            EXPECT_LE(landed, stamp + 100) << player << " sentence " << step.sentence;
            EXPECT_TRUE(selected(f).startsWith(sentences[step.sentence].left(5)))
                << player << ": " << selected(f).toStdString();
        }
        // From a pause, a step plays on.
        f->btPauseClick(nullptr);
        QTest::keyClick(f, Qt::Key_D);
        EXPECT_FALSE(f->btPlay->isEnabled()) << player << " plays again";
    };

    playAudioLesson(f);
    walk([&] { return qint64(f->audioPlayer->GetPosition()); }, "audio engine");
    f->btStopClick(nullptr);

    // The media graph, slowed down: it still lands on the stamps, and its time runs slower.
    f->setPlaybackSpeed(8);
    f->playopenfiles(opened);
    ASSERT_EQ(f->playMode, "video");
    EXPECT_DOUBLE_EQ(f->fltrgrph1->rate(), 0.8);
    walk([&] { return f->fltrgrph1->currentPositionMs().value_or(0); }, "media graph");
    const qint64 from = f->fltrgrph1->currentPositionMs().value_or(0);
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(1000);
    const double mediaPerClock = double(f->fltrgrph1->currentPositionMs().value_or(0) - from) / double(clock.elapsed());
    EXPECT_NEAR(mediaPerClock, 0.8, 0.15);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Sentence by sentence three times each: every burst is heard three times, in order,
// and with one sentence at a time the pause comes after the third time.
TEST_F(PracticeHeard, EachSentenceIsHeardThreeTimesBeforePlaybackGoesOn)
{
    f->drillItem->trigger();
    ASSERT_TRUE(f->drillItem->isChecked());
    EXPECT_TRUE(f->drillTimesItems[2]->isChecked()) << "three times unless chosen otherwise";

    monitor.clear();
    playAudioLesson(f);
    // Three times one second, three times 0.1 s past the last burst, and the rest.
    // About 11 s of sound; a machine busy with other work may take longer to get there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->btPlay->isEnabled(); }, 40000 * VARENDO_TIME_SCALE)) << "the lesson ends";
    const std::vector<std::int16_t> heard = monitor.heard();
    std::vector<std::pair<double, int>> order;
    for (int burst = 0; burst < 3; ++burst) {
        const std::vector<double> at = onsets(heard, burst);
        EXPECT_EQ(at.size(), 3u) << "tone " << kTones[burst];
        for (double t : at)
            order.emplace_back(t, burst);
    }
    std::sort(order.begin(), order.end());
    std::vector<int> bursts;
    for (const auto& [t, burst] : order)
        bursts.push_back(burst);
    EXPECT_EQ(bursts, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));

    // One sentence at a time: the first sentence pauses as it is reached; played
    // on, it is heard three times and the pause comes at the next one's stamp.
    f->R2->trigger();
    ASSERT_TRUE(f->R2->isChecked());
    f->btPlayClick(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->btPlay->isEnabled(); }, 10000)) << "paused at the first";
    EXPECT_EQ(selected(f), "First one.");
    monitor.clear();
    QTest::keyClick(f, Qt::Key_Space);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->btPlay->isEnabled(); }, 10000)) << "paused after the third time";
    QTest::qWait(300); // what the sound server still held
    EXPECT_EQ(selected(f), "Second one.");
    EXPECT_NEAR(f->audioPlayer->GetPosition(), 2000, 150);
    const std::vector<std::int16_t> drilled = monitor.heard();
    EXPECT_GE(onsets(drilled, 0).size(), 2u) << "the first sentence again and again";
    EXPECT_TRUE(onsets(drilled, 1).empty()) << "nothing of the second before the pause";
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}
