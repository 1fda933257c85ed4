#pragma once
// Stored colour values: 32-bit signed decimals. 0..16777215 is
// blue × 65536 + green × 256 + red; a negative value with top byte 0xFF names a
// desktop colour by the index in its low byte (−16777192 is 24, the tooltip background).
#include <QColor>
#include <QtGlobal>

namespace varendo {

QColor colorFromValue(qint64 value);
// True for a value of either kind; anything else is not a colour the program stored.
bool isColourValue(qint64 value);
// The stored value of a plain colour: blue × 65536 + green × 256 + red.
qint64 valueFromColor(const QColor& colour);

} // namespace varendo
