#pragma once
// Full-screen viewing of the video, with the floating control bar (Form7).
#include "ui/main_window/part.h"

class QToolButton;

class TFullScreenPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // The floating bar's copies of the recorder's controls follow the main
    // window's: pictures, panel, progress and the hints set by the handlers.
    void recorderChanged();

    // ---- Controls
    QToolButton* btFullScreen = nullptr;
};
