#include "ui/main_window/layout_rule.h"

namespace varendo {

MainWindowLayout mainWindowLayout(OuterSize outer)
{
    const int W = outer.width;
    const int H = outer.height;
    // Integer division truncating toward zero: an odd difference loses its half pixel.
    const int dw = (W - kFullWindowSize.width) / 2;

    MainWindowLayout l;
    l.stripWidth = W - 8;
    l.statusWidth = dw + 255;
    l.playerWidth = dw + 576;
    l.videoWidth = l.playerWidth - 4;

    l.recorderLeft = dw + 421;
    l.paneGroupLeft = dw + 575;
    l.paneGroupWidth = dw + 446;

    l.wordsGroupHeight = H - 529;
    l.wordsPaneHeight = H - 551;

    l.translationWidth = dw + 422;
    l.translationPaneWidth = l.translationWidth - 10;

    if (H >= 528) {
        l.textGroupHeight = 401;
        l.textPaneHeight = 381;
    } else {
        l.textGroupHeight = H - 126;
        l.textPaneHeight = H - 146;
    }

    if (H > kFullWindowSize.height) {
        // Taller than the full size: the player keeps its design height and the
        // bottom row and the picture take the rest.
        l.videoHeight = 465;
        l.barTop = 473;
        l.playerHeight = 519;
        l.toolBarTop = 488;
        l.bottomTop = 525;
        l.bottomHeight = H - 577;
        // The recorder panel keeps its design place over the video's corner, as
        // at the full size, whatever size the window had before.
        l.recorderTop = 449;
        l.pictureShown = true;
        l.pictureGroupHeight = H - 740;
        l.pictureHeight = H - 752;
    } else {
        l.bottomHeight = 158;
        if (H >= 269) {
            l.videoHeight = H - 270;
            l.barTop = H - 262;
            l.playerHeight = H - 216;
            l.toolBarTop = H - 247;
            l.bottomTop = H - 210;
            l.recorderTop = H - 286;
        } else {
            // Too low for any video: only the position bar and the tool bar.
            l.videoHeight = 0;
            l.barTop = 6;
            l.playerHeight = 55;
            l.toolBarTop = 21;
            l.bottomTop = 58;
            l.recorderTop = 55;
        }
    }
    l.translationPaneHeight = l.bottomHeight - 23;
    return l;
}

} // namespace varendo
