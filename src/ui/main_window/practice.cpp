// Practice aids: the playback speed, sentence steps and the sentence drill.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "common/playback_speed.h"
#include "database/settings_row.h"
#include "playback/media_graph.h"
#include "playback/sentence_tracking.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <limits>

using varendo::playback::SentenceDrill;
using varendo::playback::SentenceStep;
using varendo::playback::TimedSentence;

namespace {

// The drill looks at least this often, so a jump by the learner is soon noticed,
// and never sooner than this before a sentence's end.
constexpr int kDrillLongestWaitMs = 100;
constexpr int kDrillShortestWaitMs = 5;
// How far before the end of the file the last sentence ends: the end rules (going
// on within half a second of an audio file's end, at the last whole second of a
// video) must not come first.
constexpr qint64 kAudioTailMs = 700;
constexpr qint64 kVideoTailMs = 200;

QString speedCaption(int speed)
{
    return varendo::speedText(speed) + QStringLiteral("×");
}

} // namespace

void TPracticePart::createPracticeControls(QMenu* panesMenu, QMenu* videoMenu)
{
    speedMenu = new QMenu(QStringLiteral("播放速度"), &form_);
    slowerItem = speedMenu->addAction(QStringLiteral("减慢\t["));
    fasterItem = speedMenu->addAction(QStringLiteral("加快\t]"));
    speedMenu->addSeparator();
    speedGroup = new QActionGroup(speedMenu);
    for (int speed = varendo::kSlowestSpeed; speed <= varendo::kFastestSpeed; ++speed) {
        QString caption = speedCaption(speed);
        if (speed == varendo::kNormalSpeed)
            caption += QStringLiteral(" 正常\t\\");
        QAction* item = speedMenu->addAction(caption);
        item->setCheckable(true);
        item->setChecked(speed == playbackSpeed);
        item->setData(speed);
        speedGroup->addAction(item);
        speedItems << item;
    }

    previousSentenceItem = new QAction(QStringLiteral("上一句\tA"), &form_);
    sentenceAgainItem = new QAction(QStringLiteral("重听本句\tS"), &form_);
    nextSentenceItem = new QAction(QStringLiteral("下一句\tD"), &form_);
    drillItem = new QAction(QStringLiteral("逐句重复"), &form_);
    drillItem->setCheckable(true);
    drillTimesMenu = new QMenu(QStringLiteral("每句遍数"), &form_);
    auto* timesGroup = new QActionGroup(drillTimesMenu);
    for (int times = SentenceDrill::kFewest; times <= SentenceDrill::kMost; ++times) {
        QAction* item = drillTimesMenu->addAction(QStringLiteral("%1 遍").arg(times));
        item->setCheckable(true);
        item->setChecked(times == sentenceDrill.times());
        item->setData(times);
        timesGroup->addAction(item);
        drillTimesItems << item;
    }

    // One set of items in both pop-ups: they act on whichever player plays.
    for (QMenu* menu : {panesMenu, videoMenu}) {
        menu->addSeparator();
        menu->addMenu(speedMenu);
        menu->addActions({previousSentenceItem, sentenceAgainItem, nextSentenceItem, drillItem});
        menu->addMenu(drillTimesMenu);
        QObject::connect(menu, &QMenu::aboutToShow, &form_, [this] { refreshPracticeItems(); });
    }

    drillTimer = new QTimer(&form_);
    drillTimer->setSingleShot(true);
    drillTimer->setTimerType(Qt::PreciseTimer);
}

void TPracticePart::connectPracticeHandlers()
{
    const varendo::MessageBoxes& boxes = form_.w.messages;
    auto on = [&](QAction* item, const std::function<void()>& handler) {
        QObject::connect(item, &QAction::triggered, &form_, [&boxes, handler] { boxes.guarded(handler); });
    };
    on(slowerItem, [this] { setPlaybackSpeed(varendo::stepSpeed(playbackSpeed, -1)); });
    on(fasterItem, [this] { setPlaybackSpeed(varendo::stepSpeed(playbackSpeed, 1)); });
    for (QAction* item : speedItems)
        on(item, [this, item] { setPlaybackSpeed(item->data().toInt()); });
    on(previousSentenceItem, [this] { stepSentence(SentenceStep::Previous); });
    on(sentenceAgainItem, [this] { stepSentence(SentenceStep::Again); });
    on(nextSentenceItem, [this] { stepSentence(SentenceStep::Next); });
    on(drillItem, [this] {
        // The handler flips the mark itself, as the other check items' do: undo Qt's flip.
        drillItem->setChecked(!drillItem->isChecked());
        drillClick(drillItem);
    });
    for (QAction* item : drillTimesItems)
        on(item, [this, item] { setDrillTimes(item->data().toInt()); });
    QObject::connect(drillTimer, &QTimer::timeout, &form_, [this, &boxes] {
        boxes.guarded([this] { checkSentenceDrill(); });
        scheduleDrill();
    });
}

void TPracticePart::refreshPracticeItems()
{
    const bool sentences = !timedSentences().empty();
    for (QAction* item : {previousSentenceItem, sentenceAgainItem, nextSentenceItem, drillItem})
        item->setEnabled(sentences);
}

// ---- Speed

void TPracticePart::usePlaybackSpeed(int speed)
{
    playbackSpeed = std::clamp(speed, varendo::kSlowestSpeed, varendo::kFastestSpeed);
    applySpeed();
}

void TPracticePart::setPlaybackSpeed(int speed)
{
    if (speed == playbackSpeed)
        return;
    usePlaybackSpeed(speed);
    try {
        varendo::db::savePlaybackSpeed(form_.database(), playbackSpeed);
    } catch (...) {
        // The speed holds for this run; the learner hears once that it is not kept.
        if (speedNotKept_)
            return;
        speedNotKept_ = true;
        throw;
    }
}

void TPracticePart::applySpeed()
{
    const double rate = varendo::speedRate(playbackSpeed);
    if (form_.audioPlayer)
        form_.audioPlayer->SetTempo(rate);
    form_.fltrgrph1->setRate(rate);
    for (QAction* item : speedItems)
        item->setChecked(item->data().toInt() == playbackSpeed);
}

// ---- Sentences

const std::vector<TimedSentence>& TPracticePart::timedSentences()
{
    // The timing list changes with the lesson or file; read its stamps again then.
    if (form_.timingList != timedFrom_) {
        timedFrom_ = form_.timingList;
        timed_ = varendo::playback::timedSentences(timedFrom_);
    }
    return timed_;
}

bool TPracticePart::filePlaying() const
{
    if (form_.playMode == QLatin1String("video"))
        return form_.fltrgrph1->state() == TFilterGraph::State::Playing;
    return form_.audioPlayer->State == varendo::TAudioEngine::StatePlaying;
}

bool TPracticePart::fileOpen() const
{
    if (form_.playMode == QLatin1String("video"))
        return form_.fltrgrph1->state() == TFilterGraph::State::Playing
            || form_.fltrgrph1->state() == TFilterGraph::State::Paused;
    const int state = form_.audioPlayer->State;
    return state == varendo::TAudioEngine::StatePlaying || state == varendo::TAudioEngine::StatePaused;
}

qint64 TPracticePart::mediaPositionMs() const
{
    if (form_.playMode == QLatin1String("video"))
        return form_.fltrgrph1->currentPositionMs().value_or(0);
    return form_.audioPlayer->GetPosition();
}

qint64 TPracticePart::lastSentenceEndMs() const
{
    constexpr qint64 unknown = std::numeric_limits<qint64>::max();
    if (form_.playMode == QLatin1String("video")) {
        const auto duration = form_.fltrgrph1->durationMs();
        return duration ? *duration / 1000 * 1000 - kVideoTailMs : unknown;
    }
    const int length = form_.audioPlayer->GetLength();
    return length > 0 ? length - kAudioTailMs : unknown;
}

void TPracticePart::showSentence(const TimedSentence& sentence)
{
    form_.showSentenceMark(form_.sentenceTracker().markLine(sentence.line, varendo::playback::stampAt(sentence.ms),
                                                            form_.N12->isChecked()));
}

void TPracticePart::stepSentence(SentenceStep step)
{
    if (!fileOpen())
        return;
    const auto& sentences = timedSentences();
    const auto target = varendo::playback::stepSentence(sentences, mediaPositionMs(), step);
    if (!target)
        return;
    const TimedSentence sentence = sentences[size_t(*target)];
    form_.jumpTo(sentence.ms);
    sentenceDrill.reset();
    showSentence(sentence);
    if (!filePlaying())
        form_.btPlayClick(nullptr);
}

void TPracticePart::drillClick(QObject*)
{
    drillItem->setChecked(!drillItem->isChecked());
    sentenceDrill.reset();
    if (drillItem->isChecked())
        scheduleDrill();
    else
        drillTimer->stop();
}

void TPracticePart::setDrillTimes(int times)
{
    sentenceDrill.setTimes(times);
    for (QAction* item : drillTimesItems)
        item->setChecked(item->data().toInt() == sentenceDrill.times());
}

void TPracticePart::checkSentenceDrill()
{
    if (!drillItem->isChecked() || !filePlaying())
        return;
    // A stretch repeating A-B is the learner's own drill: it goes first.
    if (form_.repeatOn) {
        sentenceDrill.reset();
        return;
    }
    const auto& sentences = timedSentences();
    const auto action = sentenceDrill.check(sentences, mediaPositionMs(), lastSentenceEndMs());
    switch (action.kind) {
    case SentenceDrill::Action::None:
        break;
    case SentenceDrill::Action::Replay:
        form_.jumpTo(action.ms);
        break;
    case SentenceDrill::Action::MoveOn:
        // Reading one sentence at a time: the pause comes after the last time, with
        // the next sentence marked as tracking marks it, right at its start.
        if (form_.R2->isChecked()) {
            if (action.sentence < int(sentences.size()))
                showSentence(sentences[size_t(action.sentence)]);
            form_.btPauseClick(nullptr);
        }
        break;
    }
}

void TPracticePart::scheduleDrill()
{
    if (!drillItem->isChecked())
        return;
    int wait = kDrillLongestWaitMs;
    if (filePlaying()) {
        const auto& sentences = timedSentences();
        const qint64 at = mediaPositionMs();
        const int current = varendo::playback::sentenceAt(sentences, at);
        if (current >= 0) {
            const qint64 left = varendo::playback::sentenceEnd(sentences, current, lastSentenceEndMs()) - at;
            const double clockMs = double(left) / varendo::speedRate(playbackSpeed);
            wait = int(std::clamp<double>(clockMs, kDrillShortestWaitMs, kDrillLongestWaitMs));
        }
    }
    drillTimer->start(wait);
}

// ---- Keys

bool TPracticePart::practiceKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // Plain keys only: with Ctrl or Alt they are the menus' shortcuts.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key) {
    case Qt::Key_BracketLeft:
        setPlaybackSpeed(varendo::stepSpeed(playbackSpeed, -1));
        return true;
    case Qt::Key_BracketRight:
        setPlaybackSpeed(varendo::stepSpeed(playbackSpeed, 1));
        return true;
    case Qt::Key_Backslash:
        setPlaybackSpeed(varendo::kNormalSpeed);
        return true;
    case Qt::Key_A:
        stepSentence(SentenceStep::Previous);
        return true;
    case Qt::Key_S:
        stepSentence(SentenceStep::Again);
        return true;
    case Qt::Key_D:
        stepSentence(SentenceStep::Next);
        return true;
    default:
        return false;
    }
}
