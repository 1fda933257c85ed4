#pragma once
// Shell extras: the desktop shortcut, the help file and the about box.
#include "ui/main_window/part.h"

class QAction;

class TShellPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- Controls
    QAction* N14 = nullptr; // system menu: desktop shortcut
    QAction *R1 = nullptr, *A1 = nullptr; // help menu: instructions, about
};
