#pragma once
// The lesson panes' colours, set alike whether a pane is focused, unfocused or read-only.
#include <QColor>
#include <QPalette>

class QPlainTextEdit;

namespace varendo {

void setPaneColour(QPlainTextEdit* pane, QPalette::ColorRole role, const QColor& colour);

} // namespace varendo
