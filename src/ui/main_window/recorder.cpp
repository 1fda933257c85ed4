// The voice recorder: record into "rec.rec" in the program folder, play it
// back with a progress display, keep copies and open earlier recordings.
#include "ui/main_window.h"

#include "playback/position_track_bar.h"
#include "playback/sentence_tracking.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"
#include "recorder/recorder_state.h"
#include "recorder/recording_copy.h"
#include "recorder/recording_file.h"
#include "recorder/recording_player.h"
#include "ui/event_hook.h"
#include "ui/floating_bar.h"
#include "ui/recorder_images.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <chrono>

using namespace varendo;
using varendo::recorder::RecorderState;
namespace image = varendo::recorder::image;

namespace {

const char kImageProperty[] = "ImageIndex";
const QString kRecordingHint = QStringLiteral("录音进行中... ... ");
const QString kWorkingFile = QStringLiteral("rec.rec");
const QString kRecordingFilter = QStringLiteral("录音文件 (*.rec)");
const QString kWaveFilter = QStringLiteral("WAV 音频文件 (*.wav)");

// The system's millisecond tick count; differences stay right when it wraps.
quint32 tickCount()
{
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

TRecorderPart::TRecorderPart(TForm1& form) : TMainWindowPart(form)
{
}

TRecorderPart::~TRecorderPart() = default;

int TRecorderPart::imageOf(const QToolButton* button)
{
    return button->property(kImageProperty).toInt();
}

void TRecorderPart::setImage(QToolButton* button, int image)
{
    button->setProperty(kImageProperty, image);
    button->setIcon(recorderImage(image));
}

void TRecorderPart::showState(RecorderState state)
{
    const recorder::RecorderImages images = recorder::imagesFor(state);
    setImage(btnrecord, images.record);
    setImage(btnplay, images.play);
    setImage(btnstop, images.stop);
    form_.recorderChanged();
}

void TRecorderPart::connectRecorderHandlers()
{
    showState(RecorderState::Idle);
    acmwvn1->OnData = [this](const void* data, int size) { acmwvn1Data(data, size); };

    const MessageBoxes& boxes = form_.w.messages;
    using Click = void (TRecorderPart::*)(QObject*);
    for (auto [button, handler] : {std::pair<QToolButton*, Click>{btnrec, &TRecorderPart::btnrecClick},
                                   std::pair<QToolButton*, Click>{btnrecord, &TRecorderPart::btnrecordClick},
                                   std::pair<QToolButton*, Click>{btnstop, &TRecorderPart::btnstopClick},
                                   std::pair<QToolButton*, Click>{btnplay, &TRecorderPart::btnplayClick}})
        QObject::connect(button, &QToolButton::clicked, &form_,
                         [this, &boxes, button = button, handler = handler] { boxes.guarded([&] { (this->*handler)(button); }); });
    for (auto [action, handler] : {std::pair<QAction*, Click>{R3, &TRecorderPart::R3Click},
                                   std::pair<QAction*, Click>{pmrecplay, &TRecorderPart::pmrecplayClick},
                                   std::pair<QAction*, Click>{pmrecsave, &TRecorderPart::pmrecsaveClick}})
        QObject::connect(action, &QAction::triggered, &form_,
                         [this, &boxes, action = action, handler = handler] { boxes.guarded([&] { (this->*handler)(action); }); });
    for (auto [menu, handler] : {std::pair<QMenu*, Click>{pmrecplay3, &TRecorderPart::pmrecplay3Popup},
                                 std::pair<QMenu*, Click>{pmrecsave1, &TRecorderPart::pmrecsave1Popup}})
        QObject::connect(menu, &QMenu::aboutToShow, &form_,
                         [this, &boxes, menu = menu, handler = handler] { boxes.guarded([&] { (this->*handler)(menu); }); });
    QObject::connect(tmr2, &QTimer::timeout, &form_, [this, &boxes] { boxes.guarded([this] { tmr2Timer(tmr2); }); });

    onEvent(btnrecord, QEvent::Enter, [this, &boxes](QEvent*) {
        boxes.guarded([this] { btnrecordMouseEnter(btnrecord); });
        return false;
    });
    btnrec->setMouseTracking(true);
    onEvent(btnrec, QEvent::MouseMove, [this, &boxes](QEvent*) {
        boxes.guarded([this] { btnrecMouseMove(btnrec); });
        return false;
    });
    // A hint that stays up while the pointer rests shows the time of now, not
    // of when the pointer came.
    for (QToolButton* button : {btnrecord, btnrec})
        onEvent(button, QEvent::ToolTip, [this, &boxes](QEvent*) {
            boxes.guarded([this] { getrectime(); });
            return false;
        });
}

void TRecorderPart::btnrecordClick(QObject*)
{
    if (imageOf(btnplay) != image::kPlay || imageOf(btnrecord) != image::kRecord)
        return;
    showState(RecorderState::Recording);
    setRecordingHints(kRecordingHint);
    recStartTick = tickCount();

    // The previous recording stays until sound arrives for the new one.
    const QString path = form_.appDir + kWorkingFile;
    recStream = std::make_unique<recorder::RecordingFile>();
    QString reason;
    if (!recStream->create(path, &reason)) {
        recStream.reset();
        // Nothing is captured; the recorder shows it records until stopped.
        form_.w.messages.ShowMessage(QStringLiteral("无法创建录音文件 %1：%2").arg(path, reason));
        return;
    }
    acmwvn1->Open(recFormatPtr);
}

void TRecorderPart::acmwvn1Data(const void* data, int size)
{
    if (!recStream || recStream->failed())
        return;
    QString reason;
    if (recStream->append(static_cast<const char*>(data), size, &reason))
        return;
    const qint64 kept = recStream->keptBytes();
    const QString what =
        kept > 0 ? QStringLiteral("已录下的 %1 秒已保存。").arg(double(kept) / recorder::kBytesPerSecond, 0, 'f', 1)
                 : QStringLiteral("这次什么也没有录下，原来的录音保持不变。");
    form_.w.messages.ShowMessage(QStringLiteral("录音文件 %1 写入失败：%2。\n%3请按停止结束录音。")
                                     .arg(form_.appDir + kWorkingFile, reason, what));
}

void TRecorderPart::btnstopClick(QObject*)
{
    if (imageOf(btnstop) != image::kStop)
        return;
    tmr2Tag = 0;
    tmr2->stop();
    rzprgrsbr1->hide();
    // A playback hands over no more blocks: a new one could be playing them.
    abandonPlayer();
    acmwvn1->Close();
    acmwvt1->Close();
    if (imageOf(btnrecord) == image::kRecording && recStream) {
        recStream->finish();
        recStream.reset();
    }
    btnrecord->setToolTip(QStringLiteral("开始录制"));
    btnrec->setToolTip(QStringLiteral("录音"));
    TForm7* floating = form_.w.Form7;
    floating->btnrecord->setToolTip(btnrecord->toolTip());
    floating->btnrec->setToolTip(btnrec->toolTip());
    showState(RecorderState::Idle);
}

void TRecorderPart::btnplayClick(QObject*)
{
    if (imageOf(btnrecord) != image::kRecord || imageOf(btnplay) != image::kPlay || tmr2->isActive())
        return;
    recFileName = kWorkingFile;
    const QString path = form_.appDir + recFileName;
    if (QFile::exists(path))
        startPlayer(path);
}

void TRecorderPart::tmr2Timer(QObject*)
{
    if (rzprgrsbr1->isHidden())
        rzprgrsbr1->show();
    ++tmr2Tag;
    const recorder::PlayProgress progress = recorder::playProgress(tmr2Tag, btnplayTag);
    rzprgrsbr1->setValue(std::clamp(progress.percent, rzprgrsbr1->minimum(), rzprgrsbr1->maximum()));
    rzprgrsbr1->setToolTip(QStringLiteral("播放进度:") + playback::gettimes(progress.playedMs) + QLatin1Char('\n')
                           + QStringLiteral("总长度:") + playback::gettimes(progress.totalMs));
    form_.recorderChanged();
    if (progress.finished) {
        tmr2Tag = 0;
        btnstopClick(btnstop);
        tmr2->stop();
    }
}

void TRecorderPart::pmrecplay3Popup(QObject*)
{
    pmrecplay->setEnabled(imageOf(btnplay) == image::kPlay);
}

void TRecorderPart::pmrecsave1Popup(QObject*)
{
    pmrecsave->setEnabled(imageOf(btnrecord) == image::kRecord);
}

void TRecorderPart::pmrecplayClick(QObject*)
{
    if (imageOf(btnrecord) != image::kRecord || imageOf(btnplay) != image::kPlay)
        return;
    dlgOpen1->setDirectory(form_.appDir);
    dlgOpen1->setNameFilters({kRecordingFilter});
    dlgOpen1->selectFile(kWorkingFile);
    if (dlgOpen1->exec() != QDialog::Accepted || dlgOpen1->selectedFiles().isEmpty())
        return;
    recFileName = dlgOpen1->selectedFiles().constFirst();
    if (QFile::exists(recFileName))
        startPlayer(recFileName);
}

void TRecorderPart::pmrecsaveClick(QObject*)
{
    const QString proposal = recorder::proposedCopyName(form_.dstrckbr1->toolTip(), QDateTime::currentDateTime());
    dlgSave1->setDirectory(form_.appDir);
    dlgSave1->setNameFilters({kRecordingFilter, kWaveFilter});
    dlgSave1->selectNameFilter(kRecordingFilter);
    dlgSave1->setDefaultSuffix(QStringLiteral("rec"));
    dlgSave1->selectFile(proposal);
    if (dlgSave1->exec() != QDialog::Accepted || dlgSave1->selectedFiles().isEmpty())
        return;
    const QString target = dlgSave1->selectedFiles().constFirst();
    QString reason;
    // The learner chose this name to keep the recording: say when it was not kept.
    if (!recorder::saveRecordingCopy(form_.appDir + kWorkingFile, target, &reason))
        form_.w.messages.ShowMessage(QStringLiteral("录音另存为 %1 失败：%2").arg(target, reason));
}

void TRecorderPart::getrectime()
{
    if (imageOf(btnrecord) != image::kRecording)
        return;
    // The time of sound really recorded: the sound device takes a moment to start,
    // and the blocks it has not delivered yet are not in the recording.
    const qint64 bytes = recStream ? recStream->bytesWritten() : 0;
    const qint64 recordedMs = recFormat.avgBytesPerSec ? bytes * 1000 / recFormat.avgBytesPerSec : 0;
    setRecordingHints(kRecordingHint + QLatin1Char('\n') + QStringLiteral("已录制:") + playback::gettimes(recordedMs));
}

void TRecorderPart::setRecordingHints(const QString& hint)
{
    TForm7* floating = form_.w.Form7;
    for (QToolButton* button : {btnrecord, btnrec, floating->btnrecord, floating->btnrec})
        button->setToolTip(hint);
}

void TRecorderPart::btnrecordMouseEnter(QObject*)
{
    getrectime();
}

void TRecorderPart::btnrecMouseMove(QObject*)
{
    getrectime();
}

void TRecorderPart::btnrecClick(QObject*)
{
    const bool show = pnl2->isHidden();
    pnl2->setVisible(show);
    btnrec->setChecked(show);
    if (imageOf(btnrecord) == image::kRecording) {
        // Recording goes on whether the panel shows or not.
        btnrec->setChecked(true);
        setImage(btnplay, image::kPlayBusy);
        setImage(btnstop, image::kStop);
    } else if (imageOf(btnplay) == image::kPlayBusy) {
        btnstopClick(btnstop);
    }
    form_.recorderChanged();
}

void TRecorderPart::R3Click(QObject*)
{
    btnrecordClick(btnrecord);
    btnrec->setChecked(true);
    btnrecClick(btnrec);
}

void TRecorderPart::startPlayer(const QString& file)
{
    // One playback at a time, also before its first step has shown it plays.
    if (player_)
        return;
    // The previous playback's output component is done with: stopping closed
    // the device it opened.
    delete playerWaveOut_;
    auto* waveOut = new TACMWaveOut(&form_, waveDevices);
    waveOut->hide();
    playerWaveOut_ = waveOut;

    auto* player = new myfirthread(file, waveOut, &form_,
                                   {.showPlaying = [this] { showState(RecorderState::Playing); },
                                    .stop = [this] { btnstopClick(btnstop); },
                                    .started =
                                        [this](qint32 seconds) {
                                            btnplayTag = seconds;
                                            tmr2->start();
                                        },
                                    .writeBlock =
                                        [this](qint32 seconds, const char* block, int size) {
                                            btnplayTag = seconds;
                                            acmwvt1->Write(block, size);
                                        },
                                    .unreadable =
                                        [this, file](const QString& reason) {
                                            form_.w.messages.ShowMessage(
                                                QStringLiteral("无法读取录音文件 %1：%2").arg(file, reason));
                                        }});
    waveOut->Open(&player->Format);
    player->setParent(&form_); // so the window can end it before it goes
    QObject::connect(player, &QThread::finished, player, &QObject::deleteLater);
    player_ = player;
    player->start();
}

void TRecorderPart::abandonPlayer()
{
    if (player_)
        player_->abandon();
    player_ = nullptr;
}

void TRecorderPart::recorderShutdown()
{
    abandonPlayer();
    // Every playback thread ends before the window its steps run on.
    for (myfirthread* player : form_.findChildren<myfirthread*>(Qt::FindDirectChildrenOnly)) {
        player->abandon();
        player->wait();
        delete player;
    }
    acmwvn1->Close();
    acmwvt1->Close();
    recStream.reset();
}
