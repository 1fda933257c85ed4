// Where the study windows open from.
#include "ui/main_window.h"

#include "ui/event_hook.h"
#include "ui/message_box.h"
#include "ui/notes_window.h"
#include "ui/settings_dialog.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QLabel>

using namespace varendo;

void TStudyPart::connectStudyHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    QObject::connect(S3, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { S3Click(S3); }); });
    QObject::connect(B1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { B1Click(B1); }); });
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
        settings->move(form_.frameGeometry().center() - settings->rect().center());
        settings->setProperty("placed", true);
    }
    settings->show();
    settings->raise();
}

void TStudyPart::B1Click(QObject*)
{
    TForm3* notes = form_.w.Form3;
    notes->show();
    notes->raise();
}

void TStudyPart::lbl1DblClick(QObject* sender)
{
    B1Click(sender);
}
