// The window's display modes and sizes.
#include "ui/main_window.h"

#include <QMenuBar>

#include <algorithm>

void TLayoutPart::setOuterSize(int width, int height)
{
    // The layout counts the outer size of the window: 4-pixel borders, title bar and
    // menu bar take 8 pixels of the width and 52 of the height.
    const int clientWidth = std::max(0, width - 8);
    const int clientHeight = std::max(0, height - 52);
    form_.resize(clientWidth, clientHeight + form_.menuBar()->sizeHint().height());
}
