#pragma once
// The main window's layout rule: where the controls go for a given outer window
// size. Plain arithmetic, no widgets; the layout part applies it.
//
// The rule counts the outer size of the window (frame, title and menu bar
// included) and starts from the design at the full size. Growing the window
// widens the player and the lesson panes by half the extra width each and gives
// the extra height to the new-words pane, the translation and the selection
// group; the video keeps its design height above the full size and gives up
// height below it. Sizes may come out negative: such a control has no visible
// area.

namespace varendo {

struct OuterSize {
    int width = 0;
    int height = 0;
};

constexpr OuterSize kFullWindowSize{1033, 735};
constexpr OuterSize kCompactWindowSize{579, 103};

// The values the rule sets; everything else keeps its design place.
struct MainWindowLayout {
    int stripWidth = 0;  // the strip along the top
    int statusWidth = 0; // the status text, first item of the tool bar

    // The player group; the video, position bar and tool bar inside it share
    // one width.
    int playerWidth = 0, playerHeight = 0;
    int videoWidth = 0, videoHeight = 0;
    int barTop = 0, toolBarTop = 0;
    int recorderLeft = 0, recorderTop = 0; // the recorder panel over the video's corner

    // The title, text and new-words groups share a left edge and a width; each
    // pane is 8 narrower than its group.
    int paneGroupLeft = 0, paneGroupWidth = 0;
    int textGroupHeight = 0, textPaneHeight = 0;
    int wordsGroupHeight = 0, wordsPaneHeight = 0;

    // The bottom row: the translation group and the selection group.
    int bottomTop = 0, bottomHeight = 0;
    int translationWidth = 0, translationPaneWidth = 0, translationPaneHeight = 0;

    // The picture below the selection, shown only in windows taller than the
    // full size.
    bool pictureShown = false;
    int pictureGroupHeight = 0, pictureHeight = 0;
};

MainWindowLayout mainWindowLayout(OuterSize outer);

} // namespace varendo
