// Where the study windows open from.
#include "ui/main_window.h"

#include "common/colour_value.h"
#include "ui/event_hook.h"
#include "ui/message_box.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/settings_dialog.h"
#include "ui/varendo_windows.h"
#include "ui/window_frame.h"

#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>

using namespace varendo;

void TStudyPart::connectStudyHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    QObject::connect(F1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { F1Click(F1); }); });
    QObject::connect(C2, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { C2Click(C2); }); });
    QObject::connect(Y1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { Y1Click(Y1); }); });
    QObject::connect(S3, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { S3Click(S3); }); });
    QObject::connect(B1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { B1Click(B1); }); });
    QObject::connect(J1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { J1Click(J1); }); });
    QObject::connect(L1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { L1Click(L1); }); });
    // The notes marker beside the lesson text opens the notes on a double click.
    QLabel* marker = form_.lbl1;
    onEvent(marker, QEvent::MouseButtonDblClick, [this, &boxes, marker](QEvent*) {
        boxes.guarded([this, marker] { lbl1DblClick(marker); });
        return true;
    });
}

void TStudyPart::S3Click(QObject*)
{
    TForm4* settings = form_.w.Form4;
    // Centred over the main window the first time it shows.
    if (!settings->property("placed").toBool()) {
        settings->adjustSize();
        varendo::centreOver(*settings, form_);
        settings->setProperty("placed", true);
    }
    settings->show();
    settings->raise();
}

varendo::db::LessonFontSettings TStudyPart::storedLessonFont() const
{
    const QFont& font = lessonFont.font;
    varendo::db::LessonFontSettings stored;
    stored.name = font.family();
    stored.pointSize = font.pointSize() > 0 ? font.pointSize() : stored.pointSize;
    stored.colour = varendo::valueFromColor(lessonFont.color);
    stored.bold = font.bold();
    stored.italic = font.italic();
    stored.underline = font.underline();
    stored.strikeOut = font.strikeOut();
    return stored;
}

void TStudyPart::F1Click(QObject*)
{
    if (!dlgFont1) {
        dlgFont1 = new QFontDialog(&form_);
        dlgFont1->setWindowTitle(QStringLiteral("字体"));
    }
    // The dialog is given the family and style the panes are really drawn in: a
    // stored family that is not installed would otherwise leave the dialog on some
    // other family and style, which OK would store unchanged.
    QFont shown = lessonFont.font;
    const QFontInfo drawn(shown);
    shown.setFamily(drawn.family());
    shown.setStyleName(drawn.styleName());
    dlgFont1->setCurrentFont(shown);
    if (dlgFont1->exec() != QDialog::Accepted)
        return;
    TLessonFont chosen = lessonFont;
    chosen.font = dlgFont1->selectedFont();
    // The style name served the dialog; the panes follow weight and slant.
    chosen.font.setStyleName(QString());
    useLessonFont(chosen);
}

void TStudyPart::Y1Click(QObject*)
{
    const QColor colour = pickColour(lessonFont.color, QStringLiteral("文字颜色"));
    if (!colour.isValid())
        return;
    TLessonFont chosen = lessonFont;
    chosen.color = colour;
    useLessonFont(chosen);
}

void TStudyPart::useLessonFont(const TLessonFont& chosen)
{
    const TLessonFont previous = lessonFont;
    lessonFont = chosen;
    // Stored first: a failed write leaves the panes as they were.
    try {
        varendo::db::saveFontSettings(form_.database(), storedLessonFont());
    } catch (...) {
        lessonFont = previous;
        throw;
    }
    form_.styleLessonPanes();
}

QColor TStudyPart::pickColour(const QColor& start, const QString& title)
{
    if (!dlgColor1)
        dlgColor1 = new QColorDialog(&form_);
    dlgColor1->setWindowTitle(title);
    dlgColor1->setCurrentColor(start);
    if (dlgColor1->exec() != QDialog::Accepted)
        return {};
    return dlgColor1->selectedColor();
}

void TStudyPart::C2Click(QObject*)
{
    const QColor colour = pickColour(varendo::colorFromValue(lessonBackgroundValue), QStringLiteral("背景色"));
    if (!colour.isValid())
        return;
    const qint64 value = varendo::valueFromColor(colour);
    varendo::db::saveBackgroundColour(form_.database(), value);
    lessonBackgroundValue = value;
    form_.styleLessonPanes();
}

void TStudyPart::B1Click(QObject*)
{
    TForm3* notes = form_.w.Form3;
    notes->show();
    notes->raise();
}

void TStudyPart::J1Click(QObject*)
{
    TForm5* board = form_.w.Form5;
    board->show();
    board->raise();
}

void TStudyPart::L1Click(QObject* sender)
{
    J1Click(sender);
}

void TStudyPart::lbl1DblClick(QObject* sender)
{
    B1Click(sender);
}
