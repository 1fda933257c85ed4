// The main window's layout through the real window: the controls' places at
// the sizes that matter, the compact and full modes, and the media list window
// docked over the new-words group.
#include "program_folder.h"

#include "event_wait.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "ui/main_window.h"
#include "ui/media_list_window.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <map>

using namespace varendo;

namespace {

// A control's place: left, top, width, height.
struct Box {
    int left, top, width, height;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& b, std::ostream* os)
{
    *os << b.left << ", " << b.top << ", " << b.width << " x " << b.height;
}

Box box(const QRect& r)
{
    return {r.left(), r.top(), r.width(), r.height()};
}

using Places = std::map<std::string, Box>;

// Where the controls the layout moves are, by name.
Places places(TForm1* f)
{
    const std::pair<const char*, QWidget*> controls[] = {
        {"pnl1", f->pnl1},     {"grp1", f->grp1}, {"vdwndw1", f->vdwndw1}, {"dstrckbr1", f->dstrckbr1},
        {"ToolBar", f->ToolBar}, {"StatusBar", f->StatusBar}, {"grp7", f->grp7}, {"rzm1", f->rzm1},
        {"grp5", f->grp5},     {"mmo1", f->mmo1}, {"grp8", f->grp8},       {"rzm2", f->rzm2},
        {"grp2", f->grp2},     {"rzm3", f->rzm3}, {"grp6", f->grp6},       {"pnl2", f->pnl2}};
    Places p;
    for (auto [name, control] : controls)
        p[name] = box(control->geometry());
    return p;
}

// Gives the window an outer size and waits until its client area has taken it.
void sizeWindow(TForm1* f, int width, int height)
{
    f->setOuterSize(width, height);
    ASSERT_TRUE(test::waitUntil([&] {
        const OuterSize s = f->outerSize();
        return s.width == width && s.height == height;
    })) << width << " x " << height;
}

Box moved(Box b, int by)
{
    b.left += by;
    return b;
}

Box widened(Box b, int by)
{
    b.width += by;
    return b;
}

} // namespace

// The full size reproduces the design; one extra pixel of width is dropped, two
// are shared by the player and the panes; above the full size the video keeps
// its height and the bottom row grows; a low window shows only the position bar
// and the tool bar; the compact mode and back, with nothing left over from the
// sizes before.
TEST(MainWindowLayout, PlacesTheControlsForAnyWindowSizeAndSwitchesBetweenCompactAndFullMode)
{
    ProgramFolder folder;
    folder.writeLessons({});
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(test::waitUntil([&] { return f->outerSize().height == 735; }));

    const Places full = places(f);
    // The design, left, top, width, height (the tool bar's status text is the
    // first item of the tool bar, 22 high).
    const Places design = {
        {"pnl1", {0, 0, 1025, 5}},       {"grp1", {0, 5, 576, 519}},     {"vdwndw1", {2, 8, 572, 465}},
        {"dstrckbr1", {1, 473, 572, 16}}, {"ToolBar", {2, 488, 572, 29}}, {"grp7", {575, 5, 446, 73}},
        {"rzm1", {5, 15, 438, 54}},       {"grp5", {575, 77, 446, 401}},  {"mmo1", {5, 15, 438, 381}},
        {"grp8", {575, 477, 446, 206}},   {"rzm2", {5, 16, 438, 184}},    {"grp2", {155, 525, 422, 158}},
        {"rzm3", {5, 15, 412, 135}},      {"grp6", {0, 525, 153, 158}},   {"pnl2", {421, 449, 134, 45}}};
    for (const auto& [name, place] : design)
        EXPECT_EQ(full.at(name), place) << name;
    EXPECT_EQ(full.at("StatusBar").width, 255);
    EXPECT_FALSE(f->grp3->isVisibleTo(f->grp6));

    sizeWindow(f, 1034, 735);
    Places p = places(f);
    EXPECT_EQ(p.at("pnl1").width, 1026);
    p["pnl1"] = full.at("pnl1");
    EXPECT_EQ(p, full) << "the odd pixel is dropped";

    sizeWindow(f, 1035, 735);
    p = places(f);
    for (const char* grown :
         {"grp1", "vdwndw1", "dstrckbr1", "ToolBar", "StatusBar", "rzm1", "mmo1", "rzm2", "grp2", "rzm3"})
        EXPECT_EQ(p.at(grown), widened(full.at(grown), 1)) << grown;
    for (const char* pane : {"grp7", "grp5", "grp8"})
        EXPECT_EQ(p.at(pane), widened(moved(full.at(pane), 1), 1)) << pane;
    EXPECT_EQ(p.at("pnl2"), moved(full.at("pnl2"), 1));

    sizeWindow(f, 1033, 736);
    p = places(f);
    EXPECT_EQ(p.at("vdwndw1"), full.at("vdwndw1"));
    EXPECT_EQ(p.at("grp1"), full.at("grp1"));
    EXPECT_EQ(p.at("grp2").height, 159);
    EXPECT_EQ(p.at("grp6").height, 159);
    EXPECT_EQ(p.at("grp8").height, 207);
    EXPECT_TRUE(f->grp3->isVisibleTo(f->grp6));
    EXPECT_EQ(f->grp3->height(), 0) << "shown, but with no area until the window is taller than 740";

    sizeWindow(f, 1033, 268);
    p = places(f);
    EXPECT_EQ(p.at("vdwndw1").height, 0);
    EXPECT_EQ(p.at("dstrckbr1").top, 6);
    EXPECT_EQ(p.at("ToolBar").top, 21);
    EXPECT_EQ(p.at("grp1").height, 55);
    EXPECT_EQ(p.at("grp2").top, 58);
    EXPECT_EQ(p.at("grp5").height, 142);
    EXPECT_EQ(p.at("grp8").height, 0);
    EXPECT_FALSE(f->grp3->isVisibleTo(f->grp6));

    f->M1->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return f->outerSize().height == 103; }))
        << "the menu bar or a minimum size stops it";
    EXPECT_EQ(f->outerSize().width, 579);
    p = places(f);
    EXPECT_EQ(p.at("grp1"), (Box{0, 5, 349, 55}));
    EXPECT_EQ(p.at("dstrckbr1").width, 345);
    EXPECT_EQ(p.at("grp7").left, 348);
    EXPECT_EQ(p.at("grp7").height, 73) << "the top of the title pane beside the player";

    // Straight from compact to taller than the full size: the recorder panel is
    // back over the video's corner and the picture below the selection shows.
    sizeWindow(f, 1033, 800);
    p = places(f);
    EXPECT_EQ(p.at("pnl2"), full.at("pnl2"));
    EXPECT_EQ(p.at("grp6").height, 223);
    EXPECT_EQ(f->grp3->height(), 60);
    EXPECT_EQ(f->img1->height(), 48);

    f->F3->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return f->outerSize().height == 735; }));
    EXPECT_EQ(places(f), full);
    EXPECT_FALSE(f->grp3->isVisibleTo(f->grp6));
}

// Docked, the media list window covers the new-words group; it travels with the
// main window while the learner works with the main window, stays where it is
// once the learner has turned to the list window, and takes its place again
// after any change of the main window's size.
TEST(MainWindowLayout, DockedMediaListFollowsTheMainWindowOnlyWhileTheLearnerWorksWithIt)
{
    ProgramFolder folder;
    folder.writeLessons({});
    VarendoWindows& windows = folder.start();
    TForm1* f = windows.Form1;
    TForm6* list = windows.Form6;
    ASSERT_TRUE(list->N19->isChecked());
    ASSERT_TRUE(test::waitUntil([&] { return f->outerSize().height == 735; }));

    // Over the new-words group, frame and all, just inside its bottom edge.
    auto dockedPlace = [f] {
        const QPoint words = f->grp8->mapToGlobal(QPoint(0, 0));
        return Box{words.x() + 5, words.y() + 4, f->grp8->width() - 3, f->grp8->height() - 7};
    };
    auto moveMain = [f](QPoint by) {
        const QPoint to = f->pos() + by;
        f->move(to);
        ASSERT_TRUE(test::waitUntil([&] { return f->pos() == to; }));
        test::spinFor(50);
    };

    f->btn2->click();
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(box(list->frameGeometry()), dockedPlace());

    f->activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return f->isActiveWindow(); }));
    moveMain({40, 30});
    moveMain({-15, 25});
    EXPECT_EQ(box(list->frameGeometry()), dockedPlace()) << "the list follows the main window's moves";

    list->activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return list->isActiveWindow(); }));
    const Box left = box(list->frameGeometry());
    moveMain({60, -20});
    EXPECT_EQ(box(list->frameGeometry()), left) << "the learner last worked with the list window";

    f->setOuterSize(1101, 800);
    ASSERT_TRUE(test::waitUntil([&] { return box(list->frameGeometry()) == dockedPlace(); }))
        << "a new size re-places it, wherever it was";
    EXPECT_EQ(box(list->frameGeometry()).width, 477);

    f->activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return f->isActiveWindow(); }));
    moveMain({-30, -10});
    EXPECT_EQ(box(list->frameGeometry()), dockedPlace());

    // Not fixed below the main window: it stays put.
    list->N19->trigger();
    ASSERT_FALSE(list->N19->isChecked());
    const Box free = box(list->frameGeometry());
    moveMain({20, 20});
    EXPECT_EQ(box(list->frameGeometry()), free);
}
