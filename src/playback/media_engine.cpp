#include "playback/media_engine.h"

namespace varendo::playback {

MediaEngine::~MediaEngine() = default;

} // namespace varendo::playback
