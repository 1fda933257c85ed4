// The window's display modes and sizes.
#include "ui/main_window.h"

#include "ui/media_list_window.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

void TLayoutPart::setOuterSize(int width, int height)
{
    // The layout counts the outer size of the window: 4-pixel borders, title bar and
    // menu bar take 8 pixels of the width and 52 of the height.
    const int clientWidth = std::max(0, width - 8);
    const int clientHeight = std::max(0, height - 52);
    form_.resize(clientWidth, clientHeight + form_.menuBar()->sizeHint().height());
}

void TLayoutPart::setform6pos()
{
    TForm6* list = form_.w.Form6;
    const QRect group = form_.grp8->geometry();
    QPoint at;
    if (form_.isVisible()) {
        const QRect frame = form_.frameGeometry();
        at = QPoint(frame.left() + group.left() + 9, frame.top() + frame.height() - group.height());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        at = QPoint(area.width() - group.width(), area.height() - group.height());
    }
    list->move(at);
    list->resize(group.width() - 3, group.height() - 7);
}

void TLayoutPart::btn2Click(QObject*)
{
    setform6pos();
    form_.w.Form6->show();
    // Once more: a window shown for the first time takes its place only now.
    setform6pos();
}

void TLayoutPart::N17Click(QObject*)
{
    btn2Click(btn2);
}

void TLayoutPart::connectLayoutHandlers()
{
    const varendo::MessageBoxes& boxes = form_.w.messages;
    QObject::connect(btn2, &QToolButton::clicked, &form_, [this, &boxes] { boxes.guarded([this] { btn2Click(btn2); }); });
    QObject::connect(N17, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { N17Click(N17); }); });
}
