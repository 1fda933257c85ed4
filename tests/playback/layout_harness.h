#pragma once
// The three playback components where the main window holds them: the group
// box grp1 with the video window and the position track bar, in a window of
// the main window's full size. Used by the layout test and the demo program.
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace varendo::test {

struct MainVideoLayout {
    MainVideoLayout();

    QWidget window;
    QGroupBox* grp1 = nullptr;
    TVideoWindow* vdwndw1 = nullptr;
    TDSTrackBar* dstrckbr1 = nullptr;
    QLabel* status = nullptr;  // stands in for the status bar: current and total time
    TFilterGraph* fltrgrph1 = nullptr;
};

} // namespace varendo::test
