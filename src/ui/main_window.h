#pragma once
// The main window: the player column, the lesson panes, book and lesson choice,
// and the state every other window shares. Its handlers live in the files beside
// this one; this header shows the whole window at a glance.
#include "common/recording_format.h"
#include "database/dataset.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <atomic>
#include <memory>

class QAction;
class QComboBox;
class QFile;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class QFrame;
class QThread;
class TFilterGraph;
class TVideoWindow;
class TDSTrackBar;

namespace varendo {
struct VarendoWindows;
class TRadioGroup;
class TACMWaveIn;
class TACMWaveOut;
class AudioLibrary;
class TAudioObject;
}

// Font of the lesson panes, with the colour its text is drawn in.
struct TLessonFont {
    QFont font;
    QColor color = Qt::black;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // appDir: the program folder, with its trailing separator; audioLibrary: what
    // the audio engine plays through (it outlives the window).
    TForm1(varendo::VarendoWindows& windows, const QString& appDir, varendo::AudioLibrary& audioLibrary);
    ~TForm1() override;

    varendo::VarendoWindows& w;

    // ---- Start-up and exit
    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);
    void FormClose(QObject* sender);
    void FormDestroy(QObject* sender);
    void X1Click(QObject* sender);

    // ---- Lesson database
    void dfcreat();
    void getset();

    // ---- Book and lesson choice, lesson display
    void getkbs(const QString& book);
    // Loads a lesson into the panes, the notes window and timingList; returns the
    // path of its media file for the current playback format.
    QString getkcs(const QString& book, const QString& lesson);
    void getkcnr();
    void cbb1Change(QObject* sender);
    void rzchcklst1Change(QObject* sender);
    void cbb1KeyPress(QObject* sender, QChar& key);
    void rzchcklst1KeyPress(QObject* sender, QChar& key);
    void N7Click(QObject* sender);
    void N8Click(QObject* sender);
    void F2Click(QObject* sender);
    void B1Click(QObject* sender);
    void lbl1DblClick(QObject* sender);

    // ---- Playback
    void playvarendo(const QString& path, int how);

    // ---- Shared state
    QString appDir;
    QString videoDir;
    QString audioDir;
    QString showLessonNameFlag;
    QString showLessonStateFlag;
    QString playMode;
    std::unique_ptr<varendo::TAudioObject> audioPlayer;
    TLessonFont lessonFont;
    QStringList timingList;
    QStringList mediaMasks;
    QString mediaFilter;
    QString recFileName;
    varendo::WaveFormatRecord recFormat{};
    varendo::WaveFormatRecord* recFormatPtr = nullptr;
    QFile* recStream = nullptr;
    quint32 recStartTick = 0;
    bool repeatOn = false;
    bool trackMovedByProgram = false;
    bool barSyncing = false;
    bool markDragging = false;
    qint32 dragStartX = 0;
    qint32 dragStartY = 0;
    bool openFileMode = false;
    QString lastTimingStamp;
    qint32 sentenceSelStart = 0;
    qint32 sentenceSelLength = 0;
    qint32 playListCount = 0;
    qint32 playListIndex = 0;
    QThread* searchThread = nullptr;
    quintptr searchThreadId = 0;
    std::atomic<bool> searchRunning{false};
    bool firstShowDone = false;
    qint32 lastSysCommand = 0;
    QWidget* sysCommandWindow = nullptr;

    // ---- Database connection and the main query
    varendo::db::ConnectionPtr con1;
    std::unique_ptr<varendo::db::Query> qry1;
    // A fresh query on the main query's connection, for a handler's own result set.
    std::unique_ptr<varendo::db::Query> newQuery() const;
    // The main query; an error when the database could not be opened.
    varendo::db::Query& mainQuery();

    // ---- Controls: the player column
    QWidget* client = nullptr; // the client area below the menu bar
    QFrame* pnl1 = nullptr;
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
    QToolButton* btFullScreen = nullptr;
    QToolButton* btna = nullptr;
    QToolButton* btnb = nullptr;
    QToolButton* btretu = nullptr;
    QToolButton* btnrec = nullptr;
    QSlider* SoundLevel = nullptr;
    QPushButton* btnabz = nullptr;
    QPushButton* btnbbz = nullptr;
    QTimer* tmr1 = nullptr;
    QTimer* tmr2 = nullptr;

    // ---- Controls: the lesson panes
    QGroupBox* grp7 = nullptr;
    QPlainTextEdit* rzm1 = nullptr;
    QGroupBox* grp5 = nullptr;
    QPlainTextEdit* mmo1 = nullptr;
    QLabel* lbl1 = nullptr;
    QGroupBox* grp8 = nullptr;
    QPlainTextEdit* rzm2 = nullptr;
    QGroupBox* grp2 = nullptr;
    QPlainTextEdit* rzm3 = nullptr;

    // ---- Controls: book and lesson choice
    QGroupBox* grp6 = nullptr;
    QComboBox* cbb1 = nullptr;
    QComboBox* rzchcklst1 = nullptr;
    varendo::TRadioGroup* rg1 = nullptr;
    QToolButton* btn2 = nullptr;
    QGroupBox* grp3 = nullptr;
    QLabel* img1 = nullptr;

    // ---- Controls: the recorder panel
    QFrame* pnl2 = nullptr;
    QGroupBox* grp9 = nullptr;
    QToolButton* btnplay = nullptr;
    QToolButton* btnrecord = nullptr;
    QToolButton* btnstop = nullptr;
    QProgressBar* rzprgrsbr1 = nullptr;
    varendo::TACMWaveIn* acmwvn1 = nullptr;
    varendo::TACMWaveOut* acmwvt1 = nullptr;

    // ---- Menus
    QMenu* N15 = nullptr;
    QAction *O1 = nullptr, *D1 = nullptr, *X1 = nullptr;
    QMenu* S2 = nullptr;
    QAction *S3 = nullptr, *N2 = nullptr, *J1 = nullptr, *N9 = nullptr, *R3 = nullptr, *N10 = nullptr,
            *N14 = nullptr, *N16 = nullptr;
    QMenu* W1 = nullptr;
    QAction *M1 = nullptr, *F3 = nullptr;
    QMenu* N1 = nullptr;
    QAction *R1 = nullptr, *N3 = nullptr, *A1 = nullptr;
    QMenu* pm4 = nullptr;
    QMenu* S1 = nullptr;
    QAction *N7 = nullptr, *N8 = nullptr, *F2 = nullptr, *N6 = nullptr, *F1 = nullptr, *C2 = nullptr;
    QAction *N5 = nullptr, *B1 = nullptr, *L1 = nullptr, *N11 = nullptr, *R2 = nullptr, *N12 = nullptr,
            *N13 = nullptr, *C3 = nullptr;
    QMenu* pm3 = nullptr;
    QAction* C1 = nullptr;
    QMenu* pm5 = nullptr;
    QAction *F4 = nullptr, *N17 = nullptr;
    QMenu* pmrecplay3 = nullptr;
    QAction* pmrecplay = nullptr;
    QMenu* pmrecsave1 = nullptr;
    QAction* pmrecsave = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseStartLesson();
    void requireDatabase() const;
    void createControls();
    void createPlayerColumn();
    void createLessonPanes();
    void createChoiceGroup();
    void createRecorderPanel();
    void createMenus();
    void createPopupMenus();
    void attachPopup(QWidget* widget, QMenu* menu);
    void connectHandlers();
    void togglePaneText(QAction* item, QPlainTextEdit* pane);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Client-area size for an outer window size as the layout counts it.
    void setOuterSize(int width, int height);

    varendo::AudioLibrary& audioLibrary_;
};
