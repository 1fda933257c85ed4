#include "common/playback_speed.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace varendo {

int stepSpeed(int speed, int steps)
{
    return std::clamp(speed + steps, kSlowestSpeed, kFastestSpeed);
}

double speedRate(int speed)
{
    return double(std::clamp(speed, kSlowestSpeed, kFastestSpeed)) / 10.0;
}

QString speedText(int speed)
{
    return QStringLiteral("%1.%2").arg(speed / 10).arg(speed % 10);
}

std::optional<int> parseSpeed(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\d(\\.\\d+)?$"));
    const QString trimmed = text.trimmed();
    if (!form.match(trimmed).hasMatch())
        return std::nullopt;
    const double tenths = trimmed.toDouble() * 10.0;
    const double whole = std::round(tenths);
    // Only the menu's own steps: 0.75 is no speed this program sets.
    if (std::abs(tenths - whole) > 1e-6 || whole < kSlowestSpeed || whole > kFastestSpeed)
        return std::nullopt;
    return int(whole);
}

} // namespace varendo
