#include "common/colour_value.h"

#include <QGuiApplication>
#include <QPalette>

namespace varendo {
namespace {

QColor systemColour(int index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 1: case 12: return palette.color(QPalette::Window);         // desktop, workspace
    case 4: case 15: return palette.color(QPalette::Button);         // menu, button face
    case 5: return palette.color(QPalette::Base);                    // window background
    case 6: case 16: return palette.color(QPalette::Mid);            // frame, shadow
    case 7: case 8: return palette.color(QPalette::Text);            // menu and window text
    case 9: return palette.color(QPalette::HighlightedText);         // caption text
    case 2: case 13: return palette.color(QPalette::Highlight);      // caption, highlight
    case 14: return palette.color(QPalette::HighlightedText);
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: return palette.color(QPalette::ButtonText);
    case 20: case 22: return palette.color(QPalette::Light);
    case 21: return palette.color(QPalette::Shadow);
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Window);
    }
}

} // namespace

QColor colorFromValue(qint64 value)
{
    const quint32 v = quint32(qint32(value));
    if ((v & 0xFF000000u) == 0xFF000000u)
        return systemColour(int(v & 0xFF));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

bool isColourValue(qint64 value)
{
    return (value >= 0 && value <= 0xFFFFFF) || (value >= -0x1000000 && value < 0);
}

qint64 valueFromColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return qint64(rgb.blue()) * 65536 + qint64(rgb.green()) * 256 + rgb.red();
}

} // namespace varendo
