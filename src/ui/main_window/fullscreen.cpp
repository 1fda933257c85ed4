// Full-screen viewing of the video, with the floating control bar.
#include "ui/main_window.h"

void TFullScreenPart::recorderChanged()
{
    // The floating bar has no recorder controls yet; they come with
    // full-screen viewing and are filled from the main window's here.
}
