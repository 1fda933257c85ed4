#include "ui/lesson_panes.h"

#include <QPlainTextEdit>

namespace varendo {

void setPaneColour(QPlainTextEdit* pane, QPalette::ColorRole role, const QColor& colour)
{
    QPalette pal = pane->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, role, colour);
    pane->setPalette(pal);
}

} // namespace varendo
