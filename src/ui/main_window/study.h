#pragma once
// Where the study windows open from (notes, progress board, settings), and the
// lesson font they share with the lesson panes.
#include "database/settings_row.h"
#include "ui/main_window/part.h"

#include <QColor>
#include <QFont>
#include <QString>

class QAction;
class QColorDialog;
class QFontDialog;
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
    // The progress board, from the system menu and the panes' menu.
    void J1Click(QObject* sender);
    void L1Click(QObject* sender);
    // Shows the settings dialog without waiting for it.
    void S3Click(QObject* sender);
    // The lesson panes' font and background, chosen in their dialogs and stored at once.
    void F1Click(QObject* sender);
    void C2Click(QObject* sender);
    // The lesson text colour, chosen in the colour dialog and stored at once.
    void Y1Click(QObject* sender);
    // The lesson font as the settings row stores it.
    varendo::db::LessonFontSettings storedLessonFont() const;
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
    QAction* Y1 = nullptr;                          // pane menu: text colour
    QFontDialog* dlgFont1 = nullptr;
    QColorDialog* dlgColor1 = nullptr;

protected:
    void connectStudyHandlers();

private:
    // Stores the font and its colour, then shows them; a failed write changes nothing.
    void useLessonFont(const TLessonFont& chosen);
    // The colour the learner picks, starting from the given one; invalid when cancelled.
    QColor pickColour(const QColor& start, const QString& title);
};
