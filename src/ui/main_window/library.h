#pragma once
// The media library: the folder search that fills the media list window's tree.
#include "ui/main_window/part.h"

#include <QStringList>
#include <atomic>

class QAction;
class QThread;

class TLibraryPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- State (the search worker reads mediaMasks and sets searchRunning)
    QStringList mediaMasks;
    QThread* searchThread = nullptr;
    quintptr searchThreadId = 0;
    std::atomic<bool> searchRunning{false};

    // ---- Controls
    QAction* D1 = nullptr; // file menu: search a folder for media files
};
