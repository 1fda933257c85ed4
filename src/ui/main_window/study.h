#pragma once
// Where the study windows open from (notes, progress board, settings), and the
// lesson font they share with the lesson panes.
#include "ui/main_window/part.h"

#include <QColor>
#include <QFont>
#include <QString>

class QAction;
class QObject;

// Font of the lesson panes, with the colour its text is drawn in.
struct TLessonFont {
    QFont font;
    QColor color = Qt::black;
};

class TStudyPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    void B1Click(QObject* sender);
    // Shows the settings dialog without waiting for it.
    void S3Click(QObject* sender);
    void lbl1DblClick(QObject* sender);

    // ---- State
    TLessonFont lessonFont;
    qint64 lessonBackgroundValue = -16777192; // as stored: a colour or a desktop colour's index
    QString showLessonNameFlag;
    QString showLessonStateFlag;

    // ---- Controls
    QAction *S3 = nullptr, *J1 = nullptr;           // system menu: settings, progress
    QAction *B1 = nullptr, *L1 = nullptr;           // pane menu: notes, progress
    QAction *F1 = nullptr, *C2 = nullptr;           // pane menu: font, background colour

protected:
    void connectStudyHandlers();
};
