#pragma once
// Windows whose layout is worked out from their outer size, frame included, take
// the frame as this much wider and taller than the inside.
namespace varendo {

constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 33;

} // namespace varendo
