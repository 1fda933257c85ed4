#pragma once
// Stepping through a lesson by its timing lines, and drilling each sentence a
// set number of times. Positions are media time in milliseconds, whatever the
// playback speed.
#include <QStringList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace varendo::playback {

// One time tag of a timing line: the sentence starts at ms.
struct TimedSentence {
    qint64 ms = 0;
    int line = 0; // index in the timing list
};

// The time tags at the start of every timing line, in time order, the file's offset applied. A line tagged
// twice is there twice; of lines tagged at the same time only the first counts,
// as tracking marks only the first. Lines without a time tag are left out.
std::vector<TimedSentence> timedSentences(const QStringList& timingList);

// The sentence playing at positionMs: the last one starting at or before it; -1
// before the first.
int sentenceAt(const std::vector<TimedSentence>& sentences, qint64 positionMs);

// Where sentence i ends: where the next one starts, the last one at lastEndMs.
qint64 sentenceEnd(const std::vector<TimedSentence>& sentences, int i, qint64 lastEndMs);

enum class SentenceStep { Previous, Again, Next };
// The sentence a step from positionMs goes to. Previous from the first sentence is
// the first again; Next from the last, and Previous or Again before the first, go nowhere.
std::optional<int> stepSentence(const std::vector<TimedSentence>& sentences, qint64 positionMs, SentenceStep step);

// Plays each sentence `times` times before going on: looked at often while
// playing, it says when to go back to the sentence's start and when the
// sentence has been heard often enough.
class SentenceDrill {
public:
    static constexpr int kFewest = 1;
    static constexpr int kMost = 9;
    static constexpr int kDefault = 3;
    // A position further past a sentence's end than this was jumped to, not played into.
    static constexpr qint64 kCatchMs = 1000;

    struct Action {
        enum Kind { None, Replay, MoveOn } kind = None;
        int sentence = -1; // Replay: the sentence to play again; MoveOn: the one now reached (may be past the last)
        qint64 ms = 0;     // Replay: where it starts
    };

    void setTimes(int times);
    int times() const { return times_; }
    // Which time the current sentence is playing for (1 on its first).
    int played() const { return played_; }
    // Forget the sentence under way: the next look starts counting afresh.
    void reset();
    // What to do at positionMs; lastEndMs ends the last sentence.
    Action check(const std::vector<TimedSentence>& sentences, qint64 positionMs, qint64 lastEndMs);

private:
    int times_ = kDefault;
    int current_ = -1;
    int played_ = 1;
    qint64 last_ = -1;
};

} // namespace varendo::playback
