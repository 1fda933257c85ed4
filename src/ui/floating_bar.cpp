#include "ui/floating_bar.h"

TForm7::TForm7(varendo::VarendoWindows& windows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form7"));
    resize(582, 56);
}
