// The main window's start-up, first show and close.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "common/folder_access.h"
#include "playback/media_graph.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"
#include "ui/about_box.h"
#include "ui/media_list_window.h"
#include "ui/message_box.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TForm1::TForm1(varendo::VarendoWindows& windows, const QString& programFolder)
    : QMainWindow(nullptr), TLessonsPart(*this), TPlaybackPart(*this), TPracticePart(*this), TRepeatPart(*this), TFullScreenPart(*this),
      TRecorderPart(*this), TLibraryPart(*this), TLayoutPart(*this), TStudyPart(*this), TShellPart(*this),
      w(windows), appDir(programFolder)
{
    setObjectName(QStringLiteral("Form1"));
    createControls();
    connectHandlers();
    FormCreate(this);
}

TForm1::~TForm1()
{
    FormDestroy(this);
    // The audio engine lets go of its channel before the library goes.
    audioPlayer.reset();
}

void TForm1::connectHandlers()
{
    connect(X1, &QAction::triggered, this, [this] { w.messages.guarded([this] { X1Click(X1); }); });
    connectLessonHandlers();
    connectPlaybackHandlers();
    connectPracticeHandlers();
    connectRepeatHandlers();
    connectFullScreenHandlers();
    connectStudyHandlers();
    connectRecorderHandlers();
    connectLibraryHandlers();
    connectLayoutHandlers();
    connectShellHandlers();
}

void TForm1::FormCreate(QObject*)
{
    // Full size; the picture group and the wave components are not shown.
    setOuterSize(1033, 735);
    grp6->resize(grp6->width(), 161);
    grp3->setVisible(false);
    acmwvn1->setVisible(false);
    acmwvt1->setVisible(false);

    // The program folder is the working folder: relative names such as
    // "varendo.mdb" and "rec.rec" resolve there.
    if (!appDir.endsWith(QLatin1Char('/')))
        appDir += QLatin1Char('/');
    QDir::setCurrent(appDir);

    // Nothing is moving, searching or shown yet.
    barSyncing = false;
    searchRunning = false;
    firstShowDone = false;

    // Media masks and the open dialog's filter built from them.
    mediaMasks = {QStringLiteral("*.mp3"), QStringLiteral("*.rm"), QStringLiteral("*.rmvb"),
                  QStringLiteral("*.wmv"), QStringLiteral("*.asf"), QStringLiteral("*.avi")};
    // The open dialog takes what the players play, beyond the folder search's masks,
    // and any file at all.
    const QString masks = (mediaMasks + QStringList{QStringLiteral("*.mp4"), QStringLiteral("*.mkv"),
                                                    QStringLiteral("*.ogg"), QStringLiteral("*.wav"),
                                                    QStringLiteral("*.m4a"), QStringLiteral("*.flac")})
                              .join(QLatin1Char(';'));
    mediaFilter = QStringLiteral("媒体文件") + masks + QLatin1Char('|') + masks + QStringLiteral("|所有文件|*");

    // No file opened, no repeat, no sentence marked; the recording file and
    // the video player to start with.
    openFileMode = false;
    repeatOn = false;
    trackMovedByProgram = false;
    sentenceSelLength = 0;
    sentenceSelStart = 0;
    recFileName = QStringLiteral("rec.rec");
    playMode = QStringLiteral("video");

    // Every recording is GSM 6.10.
    recFormat = varendo::gsmRecordingFormat();
    recFormatPtr = &recFormat;
    markDragging = false;

    // The marks tell how to move them.
    btnabz->setToolTip(QStringLiteral("复读起点\n微调CTRL+-\n鼠标拖拽调整"));
    btnbbz->setToolTip(QStringLiteral("复读终点\n微调CTRL+-\n鼠标拖拽调整"));

    // No timing lines and the default lesson font until a lesson and the settings load.
    timingList.clear();
    lessonFont = TLessonFont{};

    // The media graph is active from the start.
    w.messages.guarded([this] { fltrgrph1->setActive(true); });

    // Without a usable database the program still opens, with no lessons.
    w.messages.guarded([this] { dfcreat(); });

    // The lesson group at its full height.
    grp8->resize(grp8->width(), 209);
    grp8->setVisible(true);

    // The audio engine, for lessons played as MP3.
    audioPlayer = std::make_unique<varendo::TAudioObject>(w.services.audio, this);

    // Centre on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    w.messages.guarded([this] { FormShow(this); });
}

void TForm1::FormShow(QObject*)
{
    if (firstShowDone)
        return;
    // From here on a failure must not make the next show repeat the work.
    firstShowDone = true;
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具"));
    w.Form2->lbl1->setText(QStringLiteral("Varendo英语视频辅助学习工具\n版本:")
                           + (w.services.fileVersion ? w.services.fileVersion(QCoreApplication::applicationFilePath())
                                                     : QString()));

    // A start lesson that cannot be chosen is reported, and the settings still load:
    // without them the folders would stay empty for the whole run.
    bool chosen = false;
    w.messages.guarded([this, &chosen] {
        chooseStartLesson();
        chosen = true;
    });
    getset();
    warnIfReadOnly();
    // The start lesson is there to read at once; it plays when the learner asks.
    if (chosen)
        w.messages.guarded([this] { showSelectedLesson(); });
}

void TForm1::X1Click(QObject*)
{
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    w.messages.guarded([this] { FormClose(this); });
    event->accept();
    // Closing the main window ends the program, whatever else is open.
    QCoreApplication::quit();
}

void TForm1::FormClose(QObject*)
{
    // The media library is found again at the next start. A program folder that
    // takes no files was told at start; the lists cannot be kept there.
    TForm6& list = *w.Form6;
    if (!readOnlyFolderTold || varendo::acceptsWrites(appDir))
        list.saveAutomaticLists();
    list.close();
}

void TForm1::FormDestroy(QObject*)
{
    recorderShutdown();
    mediaMasks.clear();
    timingList.clear();
}
