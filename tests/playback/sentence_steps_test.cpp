#include "playback/sentence_steps.h"

#include <gtest/gtest.h>

using namespace varendo::playback;

namespace {

std::vector<qint64> stamps(const std::vector<TimedSentence>& sentences)
{
    std::vector<qint64> ms;
    for (const TimedSentence& s : sentences)
        ms.push_back(s.ms);
    return ms;
}

// Three sentences at 1 s, 2.5 s and 4 s.
const QStringList kLesson{"[00:01.00]One.", "[00:02.50]Two.", "[00:04.00]Three."};

} // namespace

TEST(SentenceSteps, TimeTagsAreReadInTimeOrder)
{
    const auto sentences = timedSentences({"[ar:Someone]", "[01:02.5][00:03]Twice.", "no tag [00:09.00]",
                                           "[00:01.05]First.", "[00:01.050]Same time, not marked.",
                                           "[00:07.123]Last."});
    EXPECT_EQ(stamps(sentences), (std::vector<qint64>{1050, 3000, 7123, 62500}));
    EXPECT_EQ(sentences[0].line, 3) << "of two lines at one time only the first counts";
    EXPECT_EQ(sentences[1].line, 1);
    EXPECT_EQ(sentences[3].line, 1) << "a line tagged twice is there at both times";
}

TEST(SentenceSteps, StepsGoFromTheSentencePlaying)
{
    const auto s = timedSentences(kLesson);
    EXPECT_EQ(sentenceAt(s, 999), -1);
    EXPECT_EQ(sentenceAt(s, 1000), 0);
    EXPECT_EQ(sentenceAt(s, 3999), 1);
    EXPECT_EQ(sentenceEnd(s, 1, 9000), 4000);
    EXPECT_EQ(sentenceEnd(s, 2, 9000), 9000);

    EXPECT_EQ(stepSentence(s, 500, SentenceStep::Next), 0);
    EXPECT_EQ(stepSentence(s, 500, SentenceStep::Previous), std::nullopt);
    EXPECT_EQ(stepSentence(s, 500, SentenceStep::Again), std::nullopt);
    EXPECT_EQ(stepSentence(s, 1200, SentenceStep::Previous), 0) << "the first has none before it";
    EXPECT_EQ(stepSentence(s, 3000, SentenceStep::Previous), 0);
    EXPECT_EQ(stepSentence(s, 3000, SentenceStep::Again), 1);
    EXPECT_EQ(stepSentence(s, 3000, SentenceStep::Next), 2);
    EXPECT_EQ(stepSentence(s, 4500, SentenceStep::Next), std::nullopt) << "nothing after the last";
    EXPECT_EQ(stepSentence({}, 4500, SentenceStep::Again), std::nullopt);
}

// A player that follows the drill, 40 ms at a time: which sentence is heard when.
TEST(SentenceSteps, TheDrillPlaysEachSentenceItsTimesThenGoesOn)
{
    const auto s = timedSentences(kLesson);
    const qint64 lastEnd = 5000;
    SentenceDrill drill;
    EXPECT_EQ(drill.times(), 3);
    std::vector<int> starts; // each time a sentence starts being heard
    std::vector<int> movedOn;
    int heard = -1;
    for (qint64 at = 0, steps = 0; at < 5600 && steps < 1000; ++steps) {
        const auto action = drill.check(s, at, lastEnd);
        if (action.kind == SentenceDrill::Action::Replay) {
            at = action.ms;
            heard = -1;
        } else if (action.kind == SentenceDrill::Action::MoveOn) {
            movedOn.push_back(action.sentence);
        }
        const int now = sentenceAt(s, at);
        if (now != heard && now >= 0)
            starts.push_back(now);
        heard = now;
        at += 40;
    }
    EXPECT_EQ(starts, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(movedOn, (std::vector<int>{1, 2, 3})) << "after the last: past it, nothing more";
}

TEST(SentenceSteps, TheDrillCountsAfreshAfterAJumpAndHoldsItsLimits)
{
    const auto s = timedSentences(kLesson);
    SentenceDrill drill;
    drill.setTimes(2);
    EXPECT_EQ(drill.check(s, 2400, 9000).kind, SentenceDrill::Action::None);
    auto action = drill.check(s, 2520, 9000);
    EXPECT_EQ(action.kind, SentenceDrill::Action::Replay);
    EXPECT_EQ(action.ms, 1000);
    EXPECT_EQ(drill.played(), 2);
    // The learner jumps well past the end: that sentence is played from its first time.
    EXPECT_EQ(drill.check(s, 3800, 9000).kind, SentenceDrill::Action::None);
    EXPECT_EQ(drill.played(), 1);
    EXPECT_EQ(drill.check(s, 4010, 9000).kind, SentenceDrill::Action::Replay);
    // Once is once: on at once.
    drill.setTimes(1);
    drill.reset();
    drill.check(s, 3900, 9000);
    EXPECT_EQ(drill.check(s, 4010, 9000).kind, SentenceDrill::Action::MoveOn);
    drill.setTimes(0);
    EXPECT_EQ(drill.times(), 1);
    drill.setTimes(12);
    EXPECT_EQ(drill.times(), 9);
}
