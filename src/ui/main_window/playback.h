#pragma once
// Playback control and tracking: the media graph with its video window and
// position bar, the audio player, the tool bar's play controls and the state
// that follows the playing lesson or file.
#include "playback/sentence_tracking.h"
#include "ui/main_window/part.h"

#include <Qt>
#include <QString>
#include <QStringList>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class TFilterGraph;
class TVideoWindow;
class TDSTrackBar;


namespace varendo {
class TAudioObject;
class TRadioGroup;
}

class TPlaybackPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;
    ~TPlaybackPart();

    // ---- Starting a lesson or a file
    void playvarendo(const QString& path, int how);
    void playopenfiles(const QString& path);
    void btenok(const QString& path); // the playing set of controls
    void btdisall();                  // every control off

    // ---- Tool bar, mode, volume and menus
    void btPlayClick(QObject* sender);
    void btPauseClick(QObject* sender);
    void btStopClick(QObject* sender);
    void btnextClick(QObject* sender);
    void btupClick(QObject* sender);
    void rg1Click(QObject* sender);
    void SoundLevelChange(QObject* sender);
    void SoundLevelKeyUp(QObject* sender, int key);
    void O1Click(QObject* sender);
    void F4Click(QObject* sender);
    void C3Click(QObject* sender);
    void R2Click(QObject* sender);
    void N12Click(QObject* sender);

    // ---- Position display and sentence tracking
    void dstrckbr1Timer(qint64 currentMs, qint64 durationMs);
    void tmr1Timer(QObject* sender);
    void dstrckbr1Change(QObject* sender);
    void FormKeyUp(QObject* sender, int key, Qt::KeyboardModifiers modifiers);
    void dstrckbr1KeyUp(QObject* sender, int key, Qt::KeyboardModifiers modifiers);
    // Moves the playing file to ms (media time) without the track bar's change
    // handler seeking again; a failed seek is let go, the next tick tries again.
    void jumpTo(qint64 ms);
    // Selects a sentence found in the lesson text as tracking does, and records its stamp.
    void showSentenceMark(const varendo::playback::SentenceMark& mark);
    // The timing lines as tracking reads them, made again when the lines, the pane's
    // text or the kind of file change.
    varendo::playback::SentenceTracker& sentenceTracker();

    // ---- State
    QString playMode;
    std::unique_ptr<varendo::TAudioObject> audioPlayer;
    QStringList timingList;
    QString mediaFilter;
    QString lastTimingStamp;
    qint32 sentenceSelStart = 0;
    qint32 sentenceSelLength = 0;
    bool trackMovedByProgram = false;
    bool barSyncing = false;
    bool openFileMode = false;
    qint32 playListCount = 0;
    qint32 playListIndex = 0;

    // ---- Controls
    QGroupBox* grp1 = nullptr;
    TFilterGraph* fltrgrph1 = nullptr;
    TVideoWindow* vdwndw1 = nullptr;
    TDSTrackBar* dstrckbr1 = nullptr;
    QToolBar* ToolBar = nullptr;
    QLabel* StatusBar = nullptr;
    QToolButton* btup = nullptr;
    QToolButton* btPlay = nullptr;
    QToolButton* btPause = nullptr;
    QToolButton* btStop = nullptr;
    QToolButton* btnext = nullptr;
    QSlider* SoundLevel = nullptr;
    varendo::TRadioGroup* rg1 = nullptr;
    QTimer* tmr1 = nullptr;
    QAction* O1 = nullptr;                          // file menu: open a file
    QAction *R2 = nullptr, *N12 = nullptr, *C3 = nullptr; // pane menu: reading modes

protected:
    void connectPlaybackHandlers();

private:
    bool videoMode() const;
    // The floating bar's position hint and volume for a video starting.
    void followOnFloatingBar(const QString& path);
    // Stops whichever player plays; tmr1 off.
    void stopPlayer();
    // The step previous and next take, through lessons or the play list.
    void stepTo(bool next);
    // At the end of a file with continuous study on.
    void continueAtEnd(bool video);
    // The track bar's maximum from the engine, once a file still opening has a length.
    void followAudioLength();
    void markSpokenSentence();
    // Reads the lyrics beside an opened file into timingList and the pane; whether there were any.
    bool loadLyrics(const QString& mediaPath);
    // Notes every change of the lesson text pane, so tracking reads it again.
    void watchPane();

    std::unique_ptr<varendo::playback::SentenceTracker> tracker_;
    QStringList trackedLines_;   // the timing list tracker_ was made from
    bool trackedFile_ = false;   // made for an opened file's lyrics
    bool paneChanged_ = true;    // the lesson text changed since
    bool paneWatched_ = false;
    void seekVideoBy(int seconds);
    void stepPosition(int key, Qt::KeyboardModifiers modifiers);
    // A file starts: the position bar goes back to its start with the file's range.
    // The program's own change of range or value never seeks (a shorter file after
    // a longer one would otherwise be sought to its end and skipped).
    void startBar(int maximum);
    // The 250 ms tick runs for audio, and for an opened video that has lyrics.
    bool tickWanted() const;
    // A file that cannot play: the learner is told why, and the controls are as after Stop.
    void playFailed(const QString& file, const QString& reason);
    // The play list's entry of an opened file is checked, added when missing.
    void joinPlayList(const QString& path);

    QString startedFile_;       // the file the last start was for
    bool failureShown_ = false; // its failure was told (once per start)
};
