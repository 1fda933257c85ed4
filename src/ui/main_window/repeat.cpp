// A-B repeat: clearing the stretch and the checks the position ticks run.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"

#include <QPushButton>
#include <QTimer>

void TRepeatPart::C1Click(QObject*)
{
    form_.dstrckbr1->setSelEnd(0);
    form_.dstrckbr1->setSelStart(0);
    btnabz->hide();
    btnbbz->hide();
    repeatOn = false;
}

void TRepeatPart::repeatCheckVideoTick()
{
    TDSTrackBar* bar = form_.dstrckbr1;
    if (repeatOn && bar->value() >= bar->selEnd())
        form_.fltrgrph1->seek(bar->selStart());
}

void TRepeatPart::repeatCheckTimerTick()
{
    TDSTrackBar* bar = form_.dstrckbr1;
    if (!repeatOn || bar->value() < bar->selEnd())
        return;
    form_.trackMovedByProgram = true;
    form_.tmr1->stop();
    try {
        if (form_.playMode == QLatin1String("video"))
            form_.fltrgrph1->seek(bar->selStart());
        else
            form_.audioPlayer->SetPosition(bar->selStart() * 100);
    } catch (...) {
        // A jump that fails is not worth a message; the next tick tries again.
    }
    form_.tmr1->start();
    form_.trackMovedByProgram = false;
}
