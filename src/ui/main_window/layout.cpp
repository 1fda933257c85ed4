// The window's layout for any size, its display modes, and the docked media
// list window.
#include "ui/main_window.h"

#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "ui/event_hook.h"
#include "ui/media_list_window.h"
#include "ui/varendo_windows.h"
#include "ui/window_frame.h"

#include <QAction>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

using varendo::OuterSize;

namespace {

// The layout counts the window's outer size: the frame's borders and title bar
// (as for every window), and the menu bar, one line high.
constexpr int kMenuBarHeight = 19;
constexpr int kOuterExtraWidth = varendo::kFrameWidth;
constexpr int kOuterExtraHeight = varendo::kFrameHeight + kMenuBarHeight;

// Sets a control's place and size; a negative size leaves it with no visible area.
void setBounds(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, std::max(0, width), std::max(0, height));
}

void setSize(QWidget* control, int width, int height)
{
    setBounds(control, control->x(), control->y(), width, height);
}

} // namespace

void TLayoutPart::setOuterSize(int width, int height)
{
    const int clientWidth = std::max(0, width - kOuterExtraWidth);
    const int clientHeight = std::max(0, height - kOuterExtraHeight);
    form_.resize(clientWidth, clientHeight + form_.menuBar()->sizeHint().height());
}

OuterSize TLayoutPart::outerSize() const
{
    return {client->width() + kOuterExtraWidth, client->height() + kOuterExtraHeight};
}

void TLayoutPart::FormResize(QObject*)
{
    const varendo::MainWindowLayout l = varendo::mainWindowLayout(outerSize());
    TForm1& f = form_;

    pnl1->resize(std::max(0, l.stripWidth), pnl1->height());

    // The player column.
    f.StatusBar->setFixedWidth(std::max(0, l.statusWidth));
    setSize(f.grp1, l.playerWidth, l.playerHeight);
    setSize(f.vdwndw1, l.videoWidth, l.videoHeight);
    setBounds(f.dstrckbr1, f.dstrckbr1->x(), l.barTop, l.videoWidth, f.dstrckbr1->height());
    // The tool bar runs along the player group's bottom edge, as wide as the video.
    setBounds(f.ToolBar, f.ToolBar->x(), l.toolBarTop, l.videoWidth, f.ToolBar->height());
    f.pnl2->move(l.recorderLeft, l.recorderTop);

    // The lesson panes on the right.
    setBounds(f.grp7, l.paneGroupLeft, f.grp7->y(), l.paneGroupWidth, f.grp7->height());
    setSize(f.rzm1, l.paneGroupWidth - 8, f.rzm1->height());
    setBounds(f.grp5, l.paneGroupLeft, f.grp5->y(), l.paneGroupWidth, l.textGroupHeight);
    setSize(f.mmo1, l.paneGroupWidth - 8, l.textPaneHeight);
    // The notes mark stays at the right end of the text group's caption line.
    f.lbl1->move(std::max(0, f.grp5->width() - f.lbl1->width() - 12), f.lbl1->y());
    setBounds(f.grp8, l.paneGroupLeft, f.grp8->y(), l.paneGroupWidth, l.wordsGroupHeight);
    setSize(f.rzm2, l.paneGroupWidth - 8, l.wordsPaneHeight);

    // The bottom row.
    setBounds(f.grp2, f.grp2->x(), l.bottomTop, l.translationWidth, l.bottomHeight);
    setSize(f.rzm3, l.translationPaneWidth, l.translationPaneHeight);
    setBounds(f.grp6, f.grp6->x(), l.bottomTop, f.grp6->width(), l.bottomHeight);
    setSize(f.grp3, f.grp3->width(), l.pictureGroupHeight);
    setSize(f.img1, f.img1->width(), l.pictureHeight);
    f.grp3->setVisible(l.pictureShown);
    f.img1->setVisible(l.pictureShown);

    replaceDockedList();
}

void TLayoutPart::setDisplaySize(OuterSize size)
{
    // A maximised window would keep its size: the chosen mode brings it back to normal.
    if (form_.isMaximized())
        form_.showNormal();
    setOuterSize(size.width, size.height);
}

void TLayoutPart::M1Click(QObject*)
{
    setDisplaySize(varendo::kCompactWindowSize);
}

void TLayoutPart::F3Click(QObject*)
{
    setDisplaySize(varendo::kFullWindowSize);
}

bool TLayoutPart::listDocked() const
{
    const TForm6* list = form_.w.Form6;
    return list && list->isVisible() && list->N19->isChecked();
}

void TLayoutPart::replaceDockedList()
{
    if (!listDocked())
        return;
    // Placing the list window is a courtesy: whatever goes wrong there, the
    // main window's own work goes on.
    try {
        setform6pos();
    } catch (...) {
    }
}

void TLayoutPart::mainWindowMoved()
{
    // Our desktop tells a window that it has moved, not why. A caption drag
    // arrives as a series of moves; the docked list window follows them while
    // the learner is working with the main window, and stays where the learner
    // put it after working with the list window itself.
    if (form_.isVisible() && sysCommandWindow == &form_)
        replaceDockedList();
}

void TLayoutPart::setform6pos()
{
    TForm6* list = form_.w.Form6;
    const QRect group = form_.grp8->geometry();
    QPoint at;
    if (form_.isVisible()) {
        // The list window, frame and all, covers the new-words group from 5
        // pixels in and 4 down: the place the design gives it below a window
        // with 4-pixel borders, here kept whatever frame this desktop draws.
        at = form_.grp8->mapToGlobal(QPoint(5, 4));
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        at = QPoint(area.width() - group.width(), area.height() - group.height());
    }
    list->move(at);
    // The size is the list window's outer size, frame included, so that it ends
    // just above the main window's bottom edge. The frame is known once the
    // window has been shown.
    const QSize frame = list->frameGeometry().size() - list->geometry().size();
    list->resize(std::max(0, group.width() - 3 - frame.width()), std::max(0, group.height() - 7 - frame.height()));
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
    QObject::connect(btn2, &QToolButton::clicked, &form_,
                     [this, &boxes] { boxes.guarded([this] { btn2Click(btn2); }); });
    using Handler = void (TLayoutPart::*)(QObject*);
    const std::pair<QAction*, Handler> items[] = {
        {N17, &TLayoutPart::N17Click}, {M1, &TLayoutPart::M1Click}, {F3, &TLayoutPart::F3Click}};
    for (auto [item, handler] : items)
        QObject::connect(item, &QAction::triggered, &form_,
                         [this, &boxes, item = item, handler = handler] { boxes.guarded([&] { (this->*handler)(item); }); });

    // The client area changes size with the window, and gets its first size at
    // the first showing.
    varendo::onEvent(client, QEvent::Resize, [this, &boxes](QEvent*) {
        boxes.guarded([this] { FormResize(&form_); });
        return false;
    });
    varendo::onEvent(&form_, QEvent::Move, [this](QEvent*) {
        mainWindowMoved();
        return false;
    });
    // The learner acts on the main window: activating it (a click on its
    // caption or anywhere in it does) or pressing its frame. The list window
    // notes the same of itself.
    for (QEvent::Type type : {QEvent::WindowActivate, QEvent::NonClientAreaMouseButtonPress})
        varendo::onEvent(&form_, type, [this](QEvent*) {
            sysCommandWindow = &form_;
            return false;
        });
}
