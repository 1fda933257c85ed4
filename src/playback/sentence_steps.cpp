#include "playback/sentence_steps.h"

#include "common/timing_line.h"

#include <algorithm>
#include <limits>

namespace varendo::playback {

std::vector<TimedSentence> timedSentences(const QStringList& timingList)
{
    const qint64 offset = lyricOffset(timingList);
    std::vector<TimedSentence> sentences;
    for (int line = 0; line < timingList.size(); ++line)
        for (qint64 ms : parseTimingLine(timingList[line]).times)
            sentences.push_back({offsetTime(ms, offset), line});
    std::stable_sort(sentences.begin(), sentences.end(),
                     [](const TimedSentence& a, const TimedSentence& b) { return a.ms < b.ms; });
    sentences.erase(std::unique(sentences.begin(), sentences.end(),
                                [](const TimedSentence& a, const TimedSentence& b) { return a.ms == b.ms; }),
                    sentences.end());
    return sentences;
}

int sentenceAt(const std::vector<TimedSentence>& sentences, qint64 positionMs)
{
    const auto after = std::upper_bound(sentences.begin(), sentences.end(), positionMs,
                                        [](qint64 ms, const TimedSentence& s) { return ms < s.ms; });
    return int(after - sentences.begin()) - 1;
}

qint64 sentenceEnd(const std::vector<TimedSentence>& sentences, int i, qint64 lastEndMs)
{
    return i + 1 < int(sentences.size()) ? sentences[size_t(i) + 1].ms : lastEndMs;
}

std::optional<int> stepSentence(const std::vector<TimedSentence>& sentences, qint64 positionMs, SentenceStep step)
{
    const int at = sentenceAt(sentences, positionMs);
    const int count = int(sentences.size());
    int target = at;
    switch (step) {
    case SentenceStep::Previous:
        target = at < 0 ? -1 : std::max(at - 1, 0);
        break;
    case SentenceStep::Again:
        break;
    case SentenceStep::Next:
        target = at + 1;
        break;
    }
    if (target < 0 || target >= count)
        return std::nullopt;
    return target;
}

void SentenceDrill::setTimes(int times)
{
    times_ = std::clamp(times, kFewest, kMost);
}

void SentenceDrill::reset()
{
    current_ = -1;
    played_ = 1;
    last_ = -1;
}

SentenceDrill::Action SentenceDrill::check(const std::vector<TimedSentence>& sentences, qint64 positionMs,
                                           qint64 lastEndMs)
{
    const int count = int(sentences.size());
    const qint64 last = last_;
    last_ = positionMs;
    if (current_ >= 0 && current_ < count) {
        const qint64 end = sentenceEnd(sentences, current_, lastEndMs);
        // Played up to the end just now (not jumped past it).
        if (last < end && positionMs >= end && positionMs - end < kCatchMs) {
            if (played_ < times_) {
                ++played_;
                last_ = sentences[size_t(current_)].ms;
                return {Action::Replay, current_, last_};
            }
            ++current_;
            played_ = 1;
            return {Action::MoveOn, current_, 0};
        }
    }
    const int at = sentenceAt(sentences, positionMs);
    // Past the end of the last sentence, heard often enough: nothing more to drill.
    const bool finished = current_ == count && at == count - 1 && positionMs >= lastEndMs;
    if (at != current_ && !finished) {
        current_ = at;
        played_ = 1;
    }
    return {};
}

} // namespace varendo::playback
