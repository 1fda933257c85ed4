// Playing a lesson's or an opened file's media.
#include "ui/main_window.h"

#include "audio/audio_object.h"

TPlaybackPart::~TPlaybackPart() = default;

void TPlaybackPart::playvarendo(const QString& path, int how)
{
    // The lesson's media path arrives here; the players take it up once they are wired in.
    Q_UNUSED(path);
    Q_UNUSED(how);
}
