#pragma once
// Where the A-B marks sit over a position bar, and the value a mark's place
// stands for. The main window's marks are offset by the bar's end inset; the
// floating bar's are not.
namespace varendo::playback {

enum class MarkWindow { Main, Floating };

// Halves away from zero.
int roundHalfAway(double value);
// The left pixel of a mark for value on a bar of width pixels and the given
// maximum: (width - 20) / maximum * value rounded, + 10 in the main window.
// With no range (maximum 0 or less) a mark stands at the start.
int markLeft(MarkWindow window, int width, int maximum, int value);
// The value a mark's left pixel stands for: (left - 10) / ((width - 20) / maximum)
// rounded (no 10 in the floating bar). 0 with no range.
int markValue(MarkWindow window, int width, int maximum, int left);

} // namespace varendo::playback
