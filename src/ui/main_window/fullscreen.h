#pragma once
// Full-screen viewing of the video, with the floating control bar (Form7).
#include "ui/main_window/part.h"

class QToolButton;

class TFullScreenPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- Controls
    QToolButton* btFullScreen = nullptr;
};
