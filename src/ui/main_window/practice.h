#pragma once
// Practice aids over both players: a slower or faster speed that keeps the
// voice's pitch, stepping sentence by sentence along the timing lines, and
// hearing each sentence a set number of times before going on. All of them
// work in the file's own time, so the position display, sentence tracking and
// A-B repeat are unchanged by them.
#include "common/playback_speed.h"
#include "playback/sentence_steps.h"
#include "ui/main_window/part.h"

#include <Qt>
#include <QList>
#include <QStringList>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;

class TPracticePart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- Speed, in tenths (common/playback_speed.h)
    // Sets and applies the speed and keeps it in the settings row.
    void setPlaybackSpeed(int speed);
    // Applies the speed read from the settings row at start, without storing it again.
    void usePlaybackSpeed(int speed);

    // ---- Sentences
    // Goes to the previous sentence, the current one again or the next, selects it
    // as tracking would and plays on (a paused file resumes).
    void stepSentence(varendo::playback::SentenceStep step);
    // Each sentence heard drillTimes times in a row, on or off.
    void drillClick(QObject* sender);
    void setDrillTimes(int times);
    // Looks whether the sentence being drilled has reached its end; the 250 ms
    // tick runs it before sentence tracking, so tracking never sees a sentence
    // that is about to be played again.
    void checkSentenceDrill();

    // The practice keys; false for every other key.
    bool practiceKeyUp(int key, Qt::KeyboardModifiers modifiers);

    // ---- State
    int playbackSpeed = varendo::kNormalSpeed;
    varendo::playback::SentenceDrill sentenceDrill;

    // ---- Controls (one set, shown in the lesson panes' and the video's pop-ups)
    QMenu* speedMenu = nullptr;
    QActionGroup* speedGroup = nullptr;
    QAction *slowerItem = nullptr, *fasterItem = nullptr;
    QList<QAction*> speedItems; // 0.5× to 1.5×
    QAction *previousSentenceItem = nullptr, *sentenceAgainItem = nullptr, *nextSentenceItem = nullptr;
    QAction* drillItem = nullptr;
    QMenu* drillTimesMenu = nullptr;
    QList<QAction*> drillTimesItems; // 1 to 9 times
    QTimer* drillTimer = nullptr;

protected:
    void createPracticeControls(QMenu* panesMenu, QMenu* videoMenu);
    void connectPracticeHandlers();

private:
    const std::vector<varendo::playback::TimedSentence>& timedSentences();
    // A file is playing or paused (not stopped or ended).
    bool fileOpen() const;
    bool filePlaying() const;
    qint64 mediaPositionMs() const;
    // Where the last sentence ends: a little before the end rules stop or go on.
    qint64 lastSentenceEndMs() const;
    void applySpeed();
    void showSentence(const varendo::playback::TimedSentence& sentence);
    // When the drill looks next: soon before the sentence's end, at the playing speed.
    void scheduleDrill();
    void refreshPracticeItems();

    QStringList timedFrom_;
    std::vector<varendo::playback::TimedSentence> timed_;
    bool speedNotKept_ = false; // the settings row refused it once: said once
};
