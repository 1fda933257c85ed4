#pragma once
// The main window, Form1. It is made of parts, one per handler group, each in
// main_window/ with its handlers, controls and state; this file lists the parts
// and holds start-up, show, close and the menu bar.
#include "ui/main_window/fullscreen.h"
#include "ui/main_window/layout.h"
#include "ui/main_window/lessons.h"
#include "ui/main_window/library.h"
#include "ui/main_window/playback.h"
#include "ui/main_window/practice.h"
#include "ui/main_window/recorder.h"
#include "ui/main_window/repeat.h"
#include "ui/main_window/shell.h"
#include "ui/main_window/study.h"

#include <QMainWindow>

class QAction;
class QMenu;

namespace varendo {
struct VarendoWindows;
}

class TForm1 : public QMainWindow,
               public TLessonsPart,    // lessons and the lesson database
               public TPlaybackPart,   // playback control and tracking
               public TPracticePart,   // speed, sentence steps, sentence drill
               public TRepeatPart,     // A-B repeat
               public TFullScreenPart, // full screen and the floating bar
               public TRecorderPart,   // the voice recorder
               public TLibraryPart,    // the media folder search
               public TLayoutPart,     // display modes and sizes
               public TStudyPart,      // the study windows and the lesson font
               public TShellPart       // desktop shortcut, help, about
{
    Q_OBJECT
public:
    // appDir: the program folder, with its trailing separator. The window runs on
    // the platform services the windows hold.
    TForm1(varendo::VarendoWindows& windows, const QString& appDir);
    ~TForm1() override;

    varendo::VarendoWindows& w;

    // ---- Start-up and exit
    void FormCreate(QObject* sender);
    void FormShow(QObject* sender);
    void FormClose(QObject* sender);
    void FormDestroy(QObject* sender);
    void X1Click(QObject* sender);

    QString appDir;
    bool firstShowDone = false;

    // ---- The menu bar (items handled by a part are that part's)
    QMenu* N15 = nullptr; // file
    QAction* X1 = nullptr;
    QMenu* S2 = nullptr; // system
    QAction *N2 = nullptr, *N9 = nullptr, *N10 = nullptr, *N16 = nullptr;
    QMenu* W1 = nullptr; // window
    QMenu* N1 = nullptr; // help
    QAction* N3 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createPlayerColumn();
    void createLessonPanes();
    void createChoiceGroup();
    void createRecorderPanel();
    void createMenus();
    void createPopupMenus();
    void attachPopup(QWidget* widget, QMenu* menu);
    void connectHandlers();
};
