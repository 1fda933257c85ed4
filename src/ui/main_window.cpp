#include "ui/main_window.h"

#include "ui/about_box.h"
#include "ui/message_box.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"
#include "audio/audio_object.h"
#include "common/lesson_label.h"
#include "desktop/version.h"
#include "ui/media_list_window.h"
#include "playback/media_graph.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

TForm1::TForm1(varendo::VarendoWindows& windows, const QString& programFolder, varendo::AudioLibrary& audioLibrary)
    : QMainWindow(nullptr), w(windows), appDir(programFolder), audioLibrary_(audioLibrary)
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
    using varendo::guarded;
    connect(X1, &QAction::triggered, this, [this] { guarded([this] { X1Click(X1); }); });

    // Only the learner's choices run the change handlers, not the program's own selections.
    connect(cbb1, &QComboBox::activated, this, [this] { guarded([this] { cbb1Change(cbb1); }); });
    connect(rzchcklst1, &QComboBox::activated, this, [this] { guarded([this] { rzchcklst1Change(rzchcklst1); }); });
    cbb1->installEventFilter(this);
    rzchcklst1->installEventFilter(this);
    lbl1->installEventFilter(this);

    // The handlers toggle their own check marks.
    for (auto [item, handler] : {std::pair{N7, &TForm1::N7Click}, std::pair{N8, &TForm1::N8Click},
                                 std::pair{F2, &TForm1::F2Click}}) {
        connect(item, &QAction::triggered, this, [this, item, handler] {
            item->setChecked(!item->isChecked());
            guarded([this, item, handler] { (this->*handler)(item); });
        });
    }
    connect(B1, &QAction::triggered, this, [this] { guarded([this] { B1Click(B1); }); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == cbb1 || watched == rzchcklst1)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint()) {
            QChar typed = text.at(0);
            if (watched == cbb1)
                cbb1KeyPress(cbb1, typed);
            else
                rzchcklst1KeyPress(rzchcklst1, typed);
            if (typed.isNull())
                return true; // discarded: the lists cannot be changed by typing
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == lbl1) {
        varendo::guarded([this] { lbl1DblClick(lbl1); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::setOuterSize(int width, int height)
{
    // The layout counts the outer size of the window: 4-pixel borders, title bar and
    // menu bar take 8 pixels of the width and 52 of the height.
    const int clientWidth = std::max(0, width - 8);
    const int clientHeight = std::max(0, height - 52);
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());
}

void TForm1::requireDatabase() const
{
    // dfcreat sets the connection and the main query together, or neither.
    if (!con1 || !qry1)
        throw varendo::db::DatabaseError(QStringLiteral("课程数据库没有打开，无法读取课程。"));
}

std::unique_ptr<varendo::db::Query> TForm1::newQuery() const
{
    requireDatabase();
    return std::make_unique<varendo::db::Query>(con1);
}

varendo::db::Query& TForm1::mainQuery()
{
    requireDatabase();
    return *qry1;
}

void TForm1::FormCreate(QObject*)
{
    // 1. Full size; the picture group and the wave components are not shown.
    setOuterSize(1033, 735);
    grp6->resize(grp6->width(), 161);
    grp3->setVisible(false);
    acmwvn1->setVisible(false);
    acmwvt1->setVisible(false);

    // 2. The program folder is the working folder: relative names such as
    // "varendo.mdb" and "rec.rec" resolve there.
    if (!appDir.endsWith(QLatin1Char('/')))
        appDir += QLatin1Char('/');
    QDir::setCurrent(appDir);

    // 3.
    barSyncing = false;
    searchRunning = false;
    firstShowDone = false;

    // 4. Media masks and the open dialog's filter built from them.
    mediaMasks = {QStringLiteral("*.mp3"), QStringLiteral("*.rm"), QStringLiteral("*.rmvb"),
                  QStringLiteral("*.wmv"), QStringLiteral("*.asf"), QStringLiteral("*.avi")};
    const QString masks = mediaMasks.join(QLatin1Char(';'));
    mediaFilter = QStringLiteral("媒体文件") + masks + QLatin1Char('|') + masks;

    // 5.
    openFileMode = false;
    repeatOn = false;
    trackMovedByProgram = false;
    sentenceSelLength = 0;
    sentenceSelStart = 0;
    recFileName = QStringLiteral("rec.rec");
    playMode = QStringLiteral("video");

    // 6. Every recording is GSM 6.10.
    recFormat = varendo::gsmRecordingFormat();
    recFormatPtr = &recFormat;
    markDragging = false;

    // 7.
    btnabz->setToolTip(QStringLiteral("复读起点\n微调CTRL+-\n鼠标拖拽调整"));
    btnbbz->setToolTip(QStringLiteral("复读终点\n微调CTRL+-\n鼠标拖拽调整"));

    // 8.
    timingList.clear();
    lessonFont = TLessonFont{};

    // The media graph is active from the start.
    varendo::guarded([this] { fltrgrph1->setActive(true); });

    // 9. Without a usable database the program still opens, with no lessons.
    varendo::guarded([this] { dfcreat(); });

    // 10.
    grp8->resize(grp8->width(), 209);
    grp8->setVisible(true);

    // 11. The audio engine, for lessons played as MP3.
    audioPlayer = std::make_unique<varendo::TAudioObject>(audioLibrary_, this);

    // Centre on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    varendo::guarded([this] { FormShow(this); });
}

void TForm1::FormShow(QObject*)
{
    if (firstShowDone)
        return;
    // From here on a failure must not make the next show repeat the work.
    firstShowDone = true;
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具"));
    w.Form2->lbl1->setText(QStringLiteral("Varendo英语视频辅助学习工具\n版本:")
                           + varendo::GetFileVersion(QCoreApplication::applicationFilePath()));

    // A start lesson that cannot be chosen is reported, and the settings still load:
    // without them the folders would stay empty for the whole run.
    varendo::guarded([this] { chooseStartLesson(); });
    getset();
}

void TForm1::chooseStartLesson()
{
    if (!con1)
        return;
    // Start at the first lesson being studied, else the first not studied yet.
    // Only what the choice needs: the lesson texts of every book are not read at start.
    auto q = newQuery();
    q->SetSQL(QStringLiteral("select ID, 课本号, 课程编号, 课程状态 from book1 order by ID"));
    q->Open();
    if (q->Locate(QStringLiteral("课程状态"), QStringLiteral("学习中"))
        || q->Locate(QStringLiteral("课程状态"), QStringLiteral("未学习"))) {
        const qint64 book = q->FieldByName(QStringLiteral("课本号")).AsInteger();
        const qint64 lesson = q->FieldByName(QStringLiteral("课程编号")).AsInteger();
        cbb1->setCurrentIndex(int(book - 1));
        getkbs(q->FieldByName(QStringLiteral("课本号")).AsString());
        rzchcklst1->setCurrentIndex(varendo::lessonListPosition(cbb1->currentIndex(), lesson));
    } else {
        getkbs(QStringLiteral("1"));
        rzchcklst1->setCurrentIndex(0);
    }
    q->Close();
}

void TForm1::X1Click(QObject*)
{
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    varendo::guarded([this] { FormClose(this); });
    event->accept();
    // Closing the main window ends the program, whatever else is open.
    QCoreApplication::quit();
}

void TForm1::FormClose(QObject*)
{
    w.Form6->close();
}

void TForm1::FormDestroy(QObject*)
{
    mediaMasks.clear();
    timingList.clear();
}
