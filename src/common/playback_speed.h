#pragma once
// The playback speed, in tenths: 5 (half speed) to 15 (one and a half), 10 normal.
// Kept as a whole number so every step lands exactly on a menu item.
#include <QString>

#include <optional>

namespace varendo {

inline constexpr int kSlowestSpeed = 5;
inline constexpr int kFastestSpeed = 15;
inline constexpr int kNormalSpeed = 10;

// speed moved by steps tenths, held within the range.
int stepSpeed(int speed, int steps);
// The rate the players take: 7 gives 0.7.
double speedRate(int speed);
// "0.7": the form the settings row keeps.
QString speedText(int speed);
// A kept speed read back: "0.7", "1" or "1.0" and the like. Empty for anything
// else or a speed outside the range.
std::optional<int> parseSpeed(const QString& text);

} // namespace varendo
