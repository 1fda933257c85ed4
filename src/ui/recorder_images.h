#pragma once
// The pictures of the recorder's buttons, by image number (recorder_state.h):
// a red dot to record, a pulsing red dot while recording, a speaker while a
// recording plays, a green triangle to play, a square to stop; the pictures of
// buttons that have nothing to do are grey.
#include <QIcon>

namespace varendo {

QIcon recorderImage(int image);

} // namespace varendo
