// Playing a lesson's or an opened file's media: the tool bar, the mode switch,
// the volume, the position display, sentence tracking and the end of a file.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "common/file_names.h"
#include "common/media_texts.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/sentence_tracking.h"
#include "playback/video_window.h"
#include "ui/event_hook.h"
#include "ui/floating_bar.h"
#include "ui/media_list_window.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSlider>
#include <QTextCursor>
#include <QTimer>

#include <functional>
#include <QToolButton>

using namespace varendo;
using varendo::playback::EndStep;

namespace {

constexpr QChar kCr(13);

void setEnabledAll(std::initializer_list<QWidget*> controls, bool on)
{
    for (QWidget* control : controls)
        control->setEnabled(on);
}

} // namespace

TPlaybackPart::~TPlaybackPart() = default;

bool TPlaybackPart::videoMode() const
{
    return playMode == QLatin1String("video");
}

void TPlaybackPart::connectPlaybackHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    auto on = [&](QToolButton* button, void (TPlaybackPart::*handler)(QObject*)) {
        QObject::connect(button, &QToolButton::clicked, &form_,
                         [this, &boxes, button, handler] { boxes.guarded([&] { (this->*handler)(button); }); });
    };
    on(btPlay, &TPlaybackPart::btPlayClick);
    on(btPause, &TPlaybackPart::btPauseClick);
    on(btStop, &TPlaybackPart::btStopClick);
    on(btnext, &TPlaybackPart::btnextClick);
    on(btup, &TPlaybackPart::btupClick);
    QObject::connect(rg1, &TRadioGroup::Click, &form_, [this, &boxes] { boxes.guarded([this] { rg1Click(rg1); }); });
    QObject::connect(SoundLevel, &QSlider::valueChanged, &form_,
                     [this, &boxes] { boxes.guarded([this] { SoundLevelChange(SoundLevel); }); });
    onEvent(SoundLevel, QEvent::KeyRelease, [this, &boxes](QEvent* event) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        boxes.guarded([this, key] { SoundLevelKeyUp(SoundLevel, key); });
        return false;
    });
    // The slider's own arrow keys would move it by its own step: the key-up rules decide instead.
    onEvent(SoundLevel, QEvent::KeyPress, [](QEvent* event) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Up || key == Qt::Key_Down;
    });
    for (auto [item, handler] : {std::pair{O1, &TPlaybackPart::O1Click}, std::pair{form_.F4, &TPlaybackPart::F4Click},
                                 std::pair{C3, &TPlaybackPart::C3Click}, std::pair{R2, &TPlaybackPart::R2Click},
                                 std::pair{N12, &TPlaybackPart::N12Click}}) {
        QObject::connect(item, &QAction::triggered, &form_, [this, &boxes, item = item, handler = handler] {
            // Check items flip their own marks in their handlers: undo Qt's flip first.
            if (item->isCheckable())
                item->setChecked(!item->isChecked());
            boxes.guarded([&] { (this->*handler)(item); });
        });
    }
    // A file that fails after it started to open (a demuxer refusing it, a decoder
    // missing) is told as one that failed at once.
    QObject::connect(fltrgrph1, &TFilterGraph::errorOccurred, &form_, [this](const QString& reason) {
        if (videoMode())
            playFailed(startedFile_, reason);
    });
    // A file that cannot seek plays on from its beginning; the learner is told why once.
    QObject::connect(fltrgrph1, &TFilterGraph::seekFailed, &form_,
                     [this](const QString& why) { form_.w.messages.ShowMessage(why); });
    QObject::connect(tmr1, &QTimer::timeout, &form_, [this, &boxes] { boxes.guarded([this] { tmr1Timer(tmr1); }); });
    QObject::connect(dstrckbr1, &TDSTrackBar::timer, &form_, [this, &boxes](qint64 current, qint64 duration) {
        boxes.guarded([&] { dstrckbr1Timer(current, duration); });
    });
    QObject::connect(dstrckbr1, &QAbstractSlider::valueChanged, &form_,
                     [this, &boxes] { boxes.guarded([this] { dstrckbr1Change(dstrckbr1); }); });
    QObject::connect(dstrckbr1, &TDSTrackBar::keyUp, &form_,
                     [this, &boxes](int key, Qt::KeyboardModifiers modifiers) {
                         boxes.guarded([&] { dstrckbr1KeyUp(dstrckbr1, key, modifiers); });
                     });
    // Key preview: the window sees every key released in it before the focused control.
    onKeyRelease(&form_, [this, &boxes](QKeyEvent* key) {
        boxes.guarded([&] { FormKeyUp(&form_, key->key(), key->modifiers()); });
    });
}

// ---- Starting a lesson or a file

void TPlaybackPart::playvarendo(const QString& path, int how)
{
    openFileMode = false;
    // A stretch belongs to the file it was set on: its marks mean nothing in another.
    form_.C1Click(nullptr);
    QString file = path;
    // A media file named in GBK bytes is found by them.
    if (!isExistingFile(file)) {
        form_.w.messages.ShowMessage(QStringLiteral("此课程媒体文件：") + file + QStringLiteral("不存在!") + kCr
                                     + QStringLiteral("暂时打开第一册第一课播放!") + kCr
                                     + QStringLiteral("请检查目录中是否有此文件或下载后再试."));
        file = rg1->ItemIndex() == 0
                   ? form_.videoDir.trimmed() + QStringLiteral("/Book1-001.rm")
                   : form_.audioDir.trimmed() + QStringLiteral("/1/001&002－Excuse Me.mp3");
    }
    startedFile_ = file;
    failureShown_ = false;
    const bool exists = isExistingFile(file);
    if (videoMode()) {
        audioPlayer->Stop();
        tmr1->stop();
        if (!fltrgrph1->active())
            fltrgrph1->setActive(true);
        fltrgrph1->clearGraph();
        startBar(0);
        if (exists) {
            try {
                if (!fltrgrph1->renderFile(file) || (how == 1 && !fltrgrph1->play())) {
                    playFailed(file, fltrgrph1->lastError());
                } else {
                    SoundLevel->setValue(fltrgrph1->volume());
                    btenok(file);
                }
            } catch (const std::exception& error) {
                playFailed(file, QString::fromUtf8(error.what()));
            }
        } else {
            btdisall();
            form_.w.messages.ShowMessage(QStringLiteral("媒体文件:") + file + QStringLiteral("不存在!"));
        }
        followOnFloatingBar(file);
        // The video window keeps full screen across files: a lesson started in full
        // screen brings the normal window back.
        if (form_.btFullScreen->isChecked())
            form_.vdwndw1DblClick(nullptr);
        return;
    }
    if (!exists) {
        btdisall();
        form_.w.messages.ShowMessage(QStringLiteral("媒体文件:") + file + QStringLiteral("不存在!"));
        return;
    }
    try {
        audioPlayer->LoadAndPlay({file});
        audioPlayer->Play(audioPlayer->GetFileName());
        if (audioPlayer->Channel == 0) {
            playFailed(file, audioPlayer->GetError());
            return;
        }
        tmr1->start();
        startBar(audioPlayer->GetLength() / 100);
        btenok(file);
    } catch (const std::exception& error) {
        playFailed(file, QString::fromUtf8(error.what()));
    }
}

void TPlaybackPart::startBar(int maximum)
{
    const bool was = trackMovedByProgram;
    trackMovedByProgram = true;
    dstrckbr1->setValue(0);
    dstrckbr1->setMaximum(maximum);
    trackMovedByProgram = was;
}

bool TPlaybackPart::tickWanted() const
{
    return !videoMode() || (openFileMode && !timingList.isEmpty());
}

void TPlaybackPart::playFailed(const QString& file, const QString& reason)
{
    if (failureShown_)
        return;
    failureShown_ = true;
    stopPlayer();
    if (form_.isHidden())
        form_.leaveFullScreenOnStop();
    // Play tries the file again; stepping to another lesson or entry stays as it was.
    btPlay->setEnabled(true);
    setEnabledAll({btPause, btStop, form_.btna, form_.btnb, form_.btretu, form_.btFullScreen, SoundLevel}, false);
    form_.setRepeating(false);
    QString text = QStringLiteral("无法播放媒体文件：") + file + kCr
                   + QStringLiteral("文件可能已损坏，或不是本程序能播放的格式。");
    if (!reason.isEmpty())
        text += kCr + QStringLiteral("原因：") + reason;
    form_.w.messages.ShowMessage(text);
}

void TPlaybackPart::playopenfiles(const QString& chosen)
{
    for (QPlainTextEdit* pane : {form_.rzm1, form_.rzm2, form_.rzm3, form_.mmo1})
        pane->clear();
    rg1->SetItemIndex(-1);
    form_.C1Click(nullptr);
    if (form_.w.Form6->isVisible() && form_.w.Form6->N19->isChecked())
        form_.setform6pos();
    openFileMode = true;
    const QString path = chosen.trimmed();
    form_.rzm1->setPlainText(path);

    const bool hasLyrics = loadLyrics(path);
    if (hasLyrics) {
        R2->setVisible(true);
        N12->setVisible(true);
        N12->setChecked(true);
    } else {
        N12->setVisible(false);
        N12->setChecked(false);
        R2->setVisible(false);
    }

    startedFile_ = path;
    failureShown_ = false;
    const bool mp3 = QFileInfo(path).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0;
    if (!mp3) {
        audioPlayer->Stop();
        playMode = QStringLiteral("video");
        if (!fltrgrph1->active())
            fltrgrph1->setActive(true);
        fltrgrph1->clearGraph();
        startBar(0);
        if (!fltrgrph1->renderFile(path) || !fltrgrph1->play()) {
            playFailed(path, fltrgrph1->lastError());
            joinPlayList(path);
            return;
        }
        if (hasLyrics)
            tmr1->start();
        else
            tmr1->stop();
        btPlay->setEnabled(false);
        setEnabledAll({btPause, btStop, SoundLevel, form_.btna, form_.btnb, form_.btFullScreen, form_.btretu}, true);
        SoundLevel->setValue(fltrgrph1->volume());
        followOnFloatingBar(path);
        if (form_.btFullScreen->isChecked())
            form_.vdwndw1DblClick(nullptr);
    } else {
        // A video playing in full screen leaves it, while the mode is still video.
        if (form_.isHidden())
            form_.vdwndw1DblClick(nullptr);
        playMode = QStringLiteral("mp3");
        if (fltrgrph1->active()) {
            fltrgrph1->stop();
            fltrgrph1->clearGraph();
            fltrgrph1->setActive(false);
        }
        audioPlayer->Stop();
        audioPlayer->LoadAndPlay({path});
        audioPlayer->Play(audioPlayer->GetFileName());
        if (audioPlayer->Channel == 0) {
            playFailed(path, audioPlayer->GetError());
            joinPlayList(path);
            return;
        }
        tmr1->start();
        startBar(audioPlayer->GetLength() / 100);
        btPlay->setEnabled(false);
        setEnabledAll({btPause, btStop, SoundLevel, form_.btna, form_.btnb, form_.btretu}, true);
    }
    dstrckbr1->setToolTip(playingHint(path));
    joinPlayList(path);
}

void TPlaybackPart::joinPlayList(const QString& path)
{
    // The play list: the entry of this file is checked, added when missing.
    QListWidget* list = form_.w.Form6->lst1;
    int found = -1;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        if (found < 0 && TForm6::entryPath(item).trimmed() == path)
            found = i;
    }
    if (found < 0) {
        form_.w.Form6->addEntry(path, Qt::Unchecked);
        found = list->count() - 1;
    }
    list->setCurrentRow(found);
    list->item(found)->setCheckState(Qt::Checked);
    playListIndex = found;
    form_.w.Form6->upnexten(playListIndex);
}

void TPlaybackPart::followOnFloatingBar(const QString& path)
{
    TForm7* floating = form_.w.Form7;
    floating->dstrckbr1->setToolTip(playingHint(path));
    floating->SoundLevel->setMaximum(SoundLevel->maximum());
    floating->SoundLevel->setValue(fltrgrph1->volume());
    floating->SoundLevel->setEnabled(true);
}

void TPlaybackPart::btenok(const QString& path)
{
    btPlay->setEnabled(false);
    setEnabledAll({btStop, btPause, form_.btFullScreen, btup, btnext, SoundLevel, form_.btna, form_.btnb, form_.btretu},
                  true);
    QComboBox* lessons = form_.rzchcklst1;
    // A list of one lesson is both first and last: neither button steps outside it.
    if (lessons->currentIndex() == 0) {
        btup->setEnabled(false);
        btnext->setEnabled(lessons->count() > 1);
    }
    if (lessons->currentIndex() == lessons->count() - 1) {
        btup->setEnabled(lessons->count() > 1);
        btnext->setEnabled(false);
    }
    dstrckbr1->setToolTip(playingHint(path));
}

void TPlaybackPart::btdisall()
{
    setEnabledAll(
        {btPlay, btStop, btPause, form_.btFullScreen, btup, btnext, form_.btna, form_.btnb, form_.btretu, SoundLevel},
        false);
}

// ---- Tool bar

void TPlaybackPart::btPlayClick(QObject*)
{
    // What cannot start is told by the general handler or by playFailed; the
    // controls then stay as they were.
    if (videoMode()) {
        if (fltrgrph1->state() == TFilterGraph::State::Stopped
            || fltrgrph1->state() == TFilterGraph::State::Uninitialised) {
            if (rg1->ItemIndex() == 0)
                form_.getkcnr();
            else if (varendo::isExistingFile(form_.rzm1->toPlainText()))
                playopenfiles(form_.rzm1->toPlainText());
            else
                form_.w.messages.ShowMessage(QStringLiteral("媒体文件:") + form_.rzm1->toPlainText()
                                             + QStringLiteral("不存在!"));
            return;
        }
        if (!fltrgrph1->play()) {
            playFailed(startedFile_, fltrgrph1->lastError());
            return;
        }
    } else {
        if (audioPlayer->State == TAudioEngine::StatePaused) {
            audioPlayer->Resume();
        } else if (audioPlayer->GetFileName().isEmpty()) {
            // Nothing was opened in this mode yet: the chosen lesson plays.
            if (rg1->ItemIndex() == 1)
                form_.getkcnr();
            return;
        } else {
            audioPlayer->Play(audioPlayer->GetFileName());
            if (audioPlayer->Channel == 0) {
                playFailed(audioPlayer->GetFileName(), audioPlayer->GetError());
                return;
            }
        }
        if (!tmr1->isActive())
            tmr1->start();
        form_.setRepeating(false);
    }
    btPlay->setEnabled(false);
    setEnabledAll({btPause, btStop, SoundLevel, form_.btna, form_.btnb, form_.btretu}, true);
}

void TPlaybackPart::btPauseClick(QObject*)
{
    if (videoMode())
        fltrgrph1->pause();
    else
        audioPlayer->Pause();
    tmr1->stop();
    btPlay->setEnabled(true);
    setEnabledAll({btPause, form_.btna, form_.btnb, form_.btretu}, false);
}

void TPlaybackPart::btStopClick(QObject*)
{
    if (videoMode())
        fltrgrph1->stop();
    else
        audioPlayer->Stop();
    if (form_.isHidden())
        form_.leaveFullScreenOnStop();
    btPlay->setEnabled(true);
    setEnabledAll({btPause, btStop, form_.btna, form_.btnb, form_.btretu, SoundLevel}, false);
    tmr1->stop();
    form_.setRepeating(false);
}

void TPlaybackPart::stopPlayer()
{
    if (videoMode())
        fltrgrph1->stop();
    else
        audioPlayer->Stop();
    tmr1->stop();
}

void TPlaybackPart::stepTo(bool next)
{
    stopPlayer();
    if (rg1->ItemIndex() == -1) {
        playListIndex += next ? 1 : -1;
        form_.w.Form6->playlstitem(playListIndex);
        return;
    }
    QComboBox* lessons = form_.rzchcklst1;
    const int at = lessons->currentIndex() + (next ? 1 : -1);
    if (at < 0 || at >= lessons->count())
        return;
    lessons->setCurrentIndex(at);
    if (next && at == lessons->count() - 1) {
        btup->setEnabled(true);
        btnext->setEnabled(false);
    }
    if (!next && at == 0) {
        btup->setEnabled(false);
        btnext->setEnabled(true);
    }
    form_.rzchcklst1Change(lessons);
}

void TPlaybackPart::btnextClick(QObject*)
{
    stepTo(true);
}

void TPlaybackPart::btupClick(QObject*)
{
    stepTo(false);
}

void TPlaybackPart::rg1Click(QObject*)
{
    if (form_.w.Form6->isVisible())
        form_.w.Form6->hide();
    form_.C1Click(nullptr);
    if (rg1->ItemIndex() != 0) {
        playMode = QStringLiteral("mp3");
        fltrgrph1->stop();
        fltrgrph1->setActive(false);
        R2->setVisible(true);
        N12->setVisible(true);
        N12->setChecked(true);
    } else {
        tmr1->stop();
        R2->setVisible(false);
        R2->setChecked(false);
        N12->setVisible(false);
        N12->setChecked(false);
        playMode = QStringLiteral("video");
        audioPlayer->Stop();
    }
    // A mode whose lesson cannot start says why (the general handler shows it).
    form_.rzchcklst1Change(form_.rzchcklst1);
}

void TPlaybackPart::SoundLevelChange(QObject*)
{
    const int level = SoundLevel->value();
    if (videoMode())
        fltrgrph1->setVolume(level);
    else
        audioPlayer->SetVolume(level / 100);
    const QString hint = QStringLiteral("音量:") + QString::number(level / 100);
    SoundLevel->setToolTip(hint);
    form_.w.Form7->SoundLevel->setToolTip(hint);
}

void TPlaybackPart::SoundLevelKeyUp(QObject*, int key)
{
    if (key == Qt::Key_Up && SoundLevel->value() < SoundLevel->maximum())
        SoundLevel->setValue(SoundLevel->value() + 100);
    else if (key == Qt::Key_Down && SoundLevel->value() > SoundLevel->minimum())
        SoundLevel->setValue(SoundLevel->value() - 100);
}

void TPlaybackPart::O1Click(QObject*)
{
    const QString chosen =
        QFileDialog::getOpenFileName(&form_, QStringLiteral("打开"), QString(), qtFileFilter(mediaFilter));
    if (chosen.isEmpty())
        return;
    // Relative names ("rec.rec", "play.lst") are the program folder's.
    QDir::setCurrent(form_.appDir);
    if (QFileInfo::exists(chosen))
        playopenfiles(chosen);
}

void TPlaybackPart::F4Click(QObject* sender)
{
    O1Click(sender);
}

// The three reading modes only change their marks; the ticks read them.
void TPlaybackPart::C3Click(QObject*)
{
    C3->setChecked(!C3->isChecked());
}

void TPlaybackPart::R2Click(QObject*)
{
    R2->setChecked(!R2->isChecked());
}

void TPlaybackPart::N12Click(QObject*)
{
    N12->setChecked(!N12->isChecked());
}

// ---- Position display and sentence tracking

void TPlaybackPart::dstrckbr1Timer(qint64 currentMs, qint64 durationMs)
{
    TForm7* floating = form_.w.Form7;
    barSyncing = true;
    floating->dstrckbr1->setMaximum(dstrckbr1->maximum());
    floating->dstrckbr1->setValue(dstrckbr1->value());
    barSyncing = false;
    const QString status = playback::statusText(currentMs, durationMs);
    form_.StatusBar->setText(status);
    floating->StatusBar->setText(status);
    form_.repeatCheckVideoTick();
    // A duration not known yet makes no end.
    if (dstrckbr1->maximum() <= 0 || dstrckbr1->value() < dstrckbr1->maximum())
        return;
    if (C3->isChecked())
        continueAtEnd(true);
    else
        btStopClick(nullptr);
}

void TPlaybackPart::followAudioLength()
{
    if (dstrckbr1->maximum() > 0 || audioPlayer->IsOpening())
        return;
    const bool was = trackMovedByProgram;
    trackMovedByProgram = true;
    dstrckbr1->setMaximum(audioPlayer->GetLength() / 100);
    trackMovedByProgram = was;
}

void TPlaybackPart::tmr1Timer(QObject* sender)
{
    // First: the position shown and tracked is where a sentence played again starts.
    form_.checkSentenceDrill();
    const bool mp3 = !videoMode();
    if (mp3) {
        followAudioLength();
        trackMovedByProgram = true;
        dstrckbr1Change(sender);
        trackMovedByProgram = false;
        // A file still opening has no length yet, so no end either.
        if (!videoMode() && !audioPlayer->IsOpening()
            && audioPlayer->GetPosition() >= audioPlayer->GetLength() - 50)
            btStopClick(nullptr);
    }
    form_.repeatCheckTimerTick();
    markSpokenSentence();
}

void TPlaybackPart::dstrckbr1Change(QObject* sender)
{
    if (form_.w.Form7->isVisible())
        return;
    const bool mp3 = !videoMode();
    if (sender != dstrckbr1 && mp3) {
        try {
            dstrckbr1->setValue(audioPlayer->GetPosition() / 100);
            if (dstrckbr1->maximum() > 0 && dstrckbr1->value() >= dstrckbr1->maximum() - 5 && C3->isChecked())
                continueAtEnd(false);
        } catch (...) {
        }
    }
    if (sender == dstrckbr1 && !trackMovedByProgram && mp3) {
        trackMovedByProgram = true;
        tmr1->stop();
        try {
            audioPlayer->SetPosition(dstrckbr1->value() * 100);
        } catch (...) {
        }
        tmr1->start();
        trackMovedByProgram = false;
    }
    if (!videoMode())
        form_.StatusBar->setText(
            playback::statusText(qint64(dstrckbr1->value()) * 100, qint64(dstrckbr1->maximum()) * 100));
}

void TPlaybackPart::continueAtEnd(bool video)
{
    const bool opened = rg1->ItemIndex() == -1;
    switch (playback::continueRule(opened, btnext->isEnabled(), playListCount)) {
    case EndStep::Next:
        btnextClick(nullptr);
        break;
    case EndStep::Stop:
        btStopClick(nullptr);
        break;
    case EndStep::FirstOfList:
        if (video)
            form_.w.Form6->hide();
        playListIndex = 1;
        btupClick(nullptr);
        break;
    }
}

bool TPlaybackPart::loadLyrics(const QString& mediaPath)
{
    const playback::LyricsFile lyrics = playback::readLyricsBeside(mediaPath);
    if (const QString problem = playback::lyricsProblem(lyrics); !problem.isEmpty())
        form_.w.messages.ShowMessage(problem);
    timingList = lyrics.lines;
    if (lyrics.status != playback::LyricsFile::Read)
        return false;
    // The pane shows the lines as tracking reads them, so each is marked where it is shown.
    auto tracker = std::make_unique<playback::SentenceTracker>(playback::SentenceTracker::forLyrics(timingList));
    form_.mmo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    form_.mmo1->setPlainText(tracker->shownText());
    watchPane();
    tracker_ = std::move(tracker);
    trackedLines_ = timingList;
    trackedFile_ = true;
    paneChanged_ = false;
    return true;
}

void TPlaybackPart::watchPane()
{
    if (paneWatched_)
        return;
    paneWatched_ = true;
    QObject::connect(form_.mmo1, &QPlainTextEdit::textChanged, &form_, [this] { paneChanged_ = true; });
}

playback::SentenceTracker& TPlaybackPart::sentenceTracker()
{
    watchPane();
    if (!tracker_ || paneChanged_ || trackedFile_ != openFileMode || trackedLines_ != timingList) {
        const QString pane = form_.mmo1->toPlainText();
        // Lyrics are marked where they are shown, as long as the pane shows them.
        std::optional<playback::SentenceTracker> made;
        if (openFileMode)
            made = playback::SentenceTracker::forLyrics(timingList);
        if (!made || made->shownText() != pane)
            made = playback::SentenceTracker::forText(timingList, pane);
        tracker_ = std::make_unique<playback::SentenceTracker>(std::move(*made));
        trackedLines_ = timingList;
        trackedFile_ = openFileMode;
        paneChanged_ = false;
    }
    return *tracker_;
}

void TPlaybackPart::markSpokenSentence()
{
    const QString stamp = playback::statusStamp(form_.StatusBar->text());
    if (timingList.isEmpty() || stamp == lastTimingStamp)
        return;
    const auto mark = sentenceTracker().markAt(stamp, lastTimingStamp, N12->isChecked());
    if (!mark)
        return;
    showSentenceMark(*mark);
    if (R2->isChecked())
        btPauseClick(nullptr);
}

void TPlaybackPart::showSentenceMark(const playback::SentenceMark& mark)
{
    lastTimingStamp = mark.stamp;
    if (!mark.found)
        return;
    sentenceSelStart = mark.start;
    sentenceSelLength = mark.length;
    QTextCursor cursor = form_.mmo1->textCursor();
    cursor.setPosition(sentenceSelStart);
    cursor.setPosition(sentenceSelStart + sentenceSelLength, QTextCursor::KeepAnchor);
    form_.mmo1->setTextCursor(cursor);
    form_.mmo1->centerCursor();
    if (openFileMode)
        form_.rzm3->setPlainText(cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void TPlaybackPart::jumpTo(qint64 ms)
{
    trackMovedByProgram = true;
    tmr1->stop();
    try {
        if (videoMode())
            fltrgrph1->seek(double(ms) / 1000.0);
        else
            audioPlayer->SetPosition(int(ms));
    } catch (...) {
        // A jump that fails is not worth a message; the next tick tries again.
    }
    // The tick runs on after every jump, so a repeat never waits on a stopped timer;
    // a video without lyrics has no 250 ms tick at all.
    if (tickWanted())
        tmr1->start();
    trackMovedByProgram = false;
}

void TPlaybackPart::seekVideoBy(int seconds)
{
    fltrgrph1->seek(dstrckbr1->value() + seconds);
}

void TPlaybackPart::stepPosition(int key, Qt::KeyboardModifiers modifiers)
{
    const int step = modifiers.testFlag(Qt::ControlModifier) ? 10 : 1;
    if (key == Qt::Key_Left && dstrckbr1->value() >= dstrckbr1->minimum()) {
        if (videoMode())
            seekVideoBy(-step);
        else
            dstrckbr1->setValue(dstrckbr1->value() - step);
    } else if (key == Qt::Key_Right && dstrckbr1->value() <= dstrckbr1->maximum()) {
        if (videoMode())
            seekVideoBy(step);
        else
            dstrckbr1->setValue(dstrckbr1->value() + step);
    }
}

void TPlaybackPart::FormKeyUp(QObject*, int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Space:
        if (btPause->isEnabled())
            btPauseClick(nullptr);
        else
            btPlayClick(nullptr);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        stepPosition(key, modifiers);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        SoundLevelKeyUp(SoundLevel, key);
        break;
    case Qt::Key_Escape:
        if (form_.vdwndw1->fullScreen())
            form_.leaveFullScreenOnEscape();
        break;
    default:
        form_.practiceKeyUp(key, modifiers);
        break;
    }
}

void TPlaybackPart::dstrckbr1KeyUp(QObject*, int key, Qt::KeyboardModifiers modifiers)
{
    stepPosition(key, modifiers);
}
