#pragma once
// Counts the paints of the widgets it is installed on as an event filter: how many
// frames a video window draws.
#include <QEvent>
#include <QObject>

namespace varendo::bench {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace varendo::bench
