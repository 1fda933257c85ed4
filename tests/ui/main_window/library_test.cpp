// The media library through the windows: a folder searched into the media
// tree, played from the play list and stepped through with previous and next,
// both lists found again at the next start; a search stopped by closing the
// window; the play list's moves keeping the check on the playing entry; names
// in GBK bytes; the list files on a full disk, a damaged one, a cleared tree.
#include "dialog_answer.h"
#include "program_folder.h"
#include "sound_media.h"

#include "video_media.h"
#include "audio/audio_object.h"
#include "common/gbk_text.h"
#include "event_wait.h"
#include "file_bytes.h"
#include "library/media_tree.h"
#include "playback/media_graph.h"
#include "small_disk.h"
#include "ui/main_window.h"
#include "ui/media_list_window.h"
#include "ui/radio_group.h"
#include "ui/settings_dialog.h"

#include <QAction>
#include <QDir>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace varendo;
using varendo::library::NodeKind;

namespace {

// Each node as "level text kind", in pre-order.
QStringList treeLines(TForm6* list)
{
    QStringList lines;
    std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* node, int level) {
        static const char* kinds[] = {"folder", "group", "file"};
        lines << QStringLiteral("%1 %2 %3").arg(level).arg(node->text(0)).arg(kinds[int(TForm6::kindOf(node))]);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), level + 1);
    };
    for (int i = 0; i < list->tv1->topLevelItemCount(); ++i)
        walk(list->tv1->topLevelItem(i), 0);
    return lines;
}

// Each entry's path with a leading "*" when checked.
QStringList entries(TForm6* list)
{
    QStringList lines;
    for (int i = 0; i < list->lst1->count(); ++i)
        lines << (list->lst1->item(i)->checkState() == Qt::Checked ? QStringLiteral("*") : QString())
                     + TForm6::entryPath(list->lst1->item(i));
    return lines;
}

// The next start shows this tree and play list, and says nothing.
void expectListsAtNextStart(ProgramFolder& folder, const QStringList& tree, const QStringList& playList)
{
    TForm6* again = folder.start().Form6;
    EXPECT_EQ(treeLines(again), tree);
    EXPECT_EQ(entries(again), playList);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Lines as a list file in GBK holds them.
QByteArray gbkLines(const QStringList& lines)
{
    return toGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// Picks folder in the folder picker D1Click opens.
void addFolder(TForm1* f, const QString& folder)
{
    test::DialogAnswer answer([&](QDialog* dialog) { test::typeFileName(dialog, folder); });
    f->D1Click(f->D1);
    ASSERT_TRUE(answer.answered());
}

QTreeWidgetItem* findNode(TForm6* list, const QString& text)
{
    const QList<QTreeWidgetItem*> found = list->tv1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.constFirst();
}

} // namespace

// As a learner would: add a folder, see the tree pruned to what holds media,
// play three files from the play list stepping with next and previous, quit
// and find both lists again.
TEST(MediaLibrary, AFolderIsSearchedPlayedInTurnAndFoundAgainAtTheNextStart)
{
    ProgramFolder folder;
    const QString media = folder.file(QStringLiteral("my media"));
    for (const QString& dir : {QStringLiteral("my media/empty"), QStringLiteral("my media/talks")})
        ASSERT_TRUE(QDir(folder.path()).mkpath(dir));
    for (const QString& name : {QStringLiteral("talks/one.mp3"), QStringLiteral("talks/two.MP3"),
                                QStringLiteral("talks/three.mp3")})
        ASSERT_TRUE(test::writeTone(media + QLatin1Char('/') + name, test::Encoding::Mp3, 440, 2));
    ASSERT_TRUE(test::writeAll(media + QStringLiteral("/notes.txt"), "not media"));

    TForm1* f = folder.start().Form1;
    TForm6* list = folder.windows().Form6;
    EXPECT_EQ(list->width(), 403);
    EXPECT_EQ(treeLines(list), QStringList{"0 空媒体目录 folder"});

    addFolder(f, media);
    EXPECT_TRUE(f->searchRunning);
    EXPECT_EQ(f->rg1->ItemIndex(), -1);
    EXPECT_TRUE(list->isVisible());
    ASSERT_TRUE(test::waitUntil([&] { return !f->searchRunning; }, 10000));
    EXPECT_EQ(list->windowTitle(), TForm6::kIdleCaption);
    QStringList tree = treeLines(list);
    ASSERT_EQ(tree.size(), 6) << tree.join("\n").toStdString();
    EXPECT_EQ(tree[0], "0 " + media + " folder");
    EXPECT_EQ(tree[1], "1 talks folder");
    EXPECT_EQ(tree[2], "2 *.mp3 group");
    QStringList files = tree.mid(3);
    files.sort();
    EXPECT_EQ(files, (QStringList{"3 one.mp3 file", "3 three.mp3 file", "3 two.MP3 file"}));

    // Finding "*.MP3" looks for the extension in any letter case: the group and its three files.
    {
        test::DialogAnswer answer([](QDialog* dialog) {
            static_cast<QInputDialog*>(dialog)->setTextValue(QStringLiteral("*.MP3"));
        });
        list->S3Click(list->S3);
    }
    EXPECT_EQ(list->tv1->selectedItems().size(), 4);
    list->tv1->clearSelection();

    // Three files chosen in the tree and played from one of them: the play list
    // holds them in the order chosen, the one played is checked.
    const QStringList order = {QStringLiteral("two.MP3"), QStringLiteral("one.mp3"), QStringLiteral("three.mp3")};
    for (const QString& name : order)
        findNode(list, name)->setSelected(true);
    list->tv1->setCurrentItem(findNode(list, order[0]), 0, QItemSelectionModel::NoUpdate);
    list->P1Click(list->P1);
    const QString talks = media + QStringLiteral("/talks/");
    EXPECT_EQ(entries(list), (QStringList{"*" + talks + order[0], talks + order[1], talks + order[2]}));
    // The docked list is narrow: it shows the names, the hint the whole path.
    EXPECT_EQ(list->lst1->item(1)->text(), order[1]);
    EXPECT_EQ(list->lst1->item(1)->toolTip(), talks + order[1]);
    EXPECT_FALSE(f->btup->isEnabled());
    EXPECT_TRUE(f->btnext->isEnabled());
    EXPECT_EQ(f->audioPlayer->GetFileName(), talks + order[0]);

    f->btnextClick(f->btnext);
    f->btnextClick(f->btnext);
    EXPECT_EQ(entries(list), (QStringList{talks + order[0], talks + order[1], "*" + talks + order[2]}));
    EXPECT_FALSE(f->btnext->isEnabled());
    EXPECT_EQ(f->audioPlayer->GetFileName(), talks + order[2]);
    f->btupClick(f->btup);
    EXPECT_EQ(entries(list), (QStringList{talks + order[0], "*" + talks + order[1], talks + order[2]}));
    EXPECT_TRUE(f->btup->isEnabled() && f->btnext->isEnabled());
    EXPECT_TRUE(test::waitUntil([&] { return f->audioPlayer->GetPosition() > 0; }, 5000)) << "nothing plays";
    f->btStopClick(f->btStop);
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();

    // Quit and start again: both lists are back, kinds and the check included.
    tree = treeLines(list);
    const QStringList playList = entries(list);
    f->close();
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("mediatv.mdl"))));
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("play.lst"))));
    expectListsAtNextStart(folder, tree, playList);
}

// While a search runs the tree keeps its shape; closing the window stops the
// search where it is, and the next one runs.
TEST(MediaLibrary, ClosingTheWindowStopsASearchAndTheNextOneRuns)
{
    ProgramFolder folder;
    const QString media = folder.file(QStringLiteral("many"));
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("many/%1/%2").arg(i).arg(i)));
    ASSERT_TRUE(test::writeAll(media + QStringLiteral("/39/39/last.avi"), "x"));
    TForm1* f = folder.start().Form1;
    TForm6* list = folder.windows().Form6;

    addFolder(f, media);
    ASSERT_TRUE(f->searchRunning); // its end is only seen once the event loop runs
    list->C1Click(list->C1);
    list->N6Click(list->N6);
    list->close();
    EXPECT_FALSE(f->searchRunning);
    EXPECT_EQ(list->windowTitle(), TForm6::kIdleCaption);
    test::spinFor(300); // what the stopped search still sends is dropped
    const int left = list->nodeCount();

    addFolder(f, media);
    ASSERT_TRUE(test::waitUntil([&] { return !f->searchRunning; }, 10000));
    // The stopped search's nodes were never pruned; the next pruning goes over
    // the whole tree, so only folders leading to media are left.
    EXPECT_TRUE(treeLines(list).contains("4 last.avi file")) << treeLines(list).join("\n").toStdString();
    int childless = 0;
    for (QTreeWidgetItemIterator it(list->tv1); *it; ++it)
        childless += TForm6::kindOf(*it) == NodeKind::Folder && (*it)->childCount() == 0;
    EXPECT_EQ(childless, 0);
    EXPECT_LE(list->nodeCount(), left + 5);
}

// The play list's moves: the checked entry, the one playing, keeps its check
// wherever it or its neighbours go.
TEST(MediaLibrary, PlayListMovesKeepTheCheckOnThePlayingEntry)
{
    ProgramFolder folder;
    folder.start();
    TForm6* list = folder.windows().Form6;
    struct Move {
        int current;
        void (TForm6::*command)(QObject*);
        QStringList after;
    };
    // a b *c d before each move.
    const Move moves[] = {
        {2, &TForm6::T1Click, {"*c", "a", "b", "d"}},
        {2, &TForm6::B1Click, {"a", "b", "d", "*c"}},
        {2, &TForm6::U01Click, {"a", "*c", "b", "d"}},
        {1, &TForm6::N17Click, {"a", "*c", "b", "d"}},
        {0, &TForm6::T1Click, {"a", "b", "*c", "d"}},
        {0, &TForm6::B1Click, {"b", "*c", "d", "a"}},
        {3, &TForm6::T1Click, {"d", "a", "b", "*c"}},
    };
    for (const Move& move : moves) {
        list->lst1->clear();
        for (const char* text : {"a", "b", "c", "d"}) {
            auto* item = new QListWidgetItem(text, list->lst1);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(text == QStringLiteral("c") ? Qt::Checked : Qt::Unchecked);
        }
        list->lst1->setCurrentRow(move.current);
        (list->*move.command)(nullptr);
        EXPECT_EQ(entries(list), move.after) << "moving entry " << move.current;
    }

    // Deleting the checked entries; a menu of one entry offers no moves.
    list->A2Click(list->A2);
    list->S1Click(list->S1);
    EXPECT_EQ(list->lst1->count(), 0);
    new QListWidgetItem(QStringLiteral("only"), list->lst1);
    list->pm2Popup(list->pm2);
    EXPECT_FALSE(list->T1->isVisible() || list->B1->isVisible() || list->U01->isVisible() || list->N17->isVisible());
}

// Names unzipped from Windows archives are GBK bytes: the tree shows them in
// Chinese, in natural order, they play in both players, and the saved list
// finds them again.
TEST(MediaLibrary, NamesInGbkBytesShowInChineseInNameOrderPlayAndComeBack)
{
    ProgramFolder folder;
    const QString media = folder.file(QStringLiteral("course"));
    const QByteArray root = QFile::encodeName(media);
    const QString lesson = QStringLiteral("第一课.mp3"), film = QStringLiteral("电影.avi"), book = QStringLiteral("课本");
    ASSERT_TRUE(QDir().mkpath(media));
    for (const char* name : {"Book3", "Book10", "Book2", "Book1"})
        ASSERT_TRUE(QDir(media).mkdir(name) && test::writeTone(media + "/" + name + "/a.mp3", test::Encoding::Mp3, 440, 1));
    // The bytes of these names are no UTF-8.
    ASSERT_EQ(::mkdir((root + '/' + toGbk(book)).constData(), 0755), 0);
    const QByteArray lessonBytes = root + '/' + toGbk(book) + '/' + toGbk(lesson);
    const QByteArray filmBytes = root + '/' + toGbk(book) + '/' + toGbk(film);
    // The temporary folder's own clean-up reads names as UTF-8.
    const auto cleanUp = qScopeGuard([&] {
        ::unlink(lessonBytes.constData());
        ::unlink(filmBytes.constData());
        ::rmdir((root + '/' + toGbk(book)).constData());
    });
    ASSERT_TRUE(test::writeTone(media + "/tone.mp3", test::Encoding::Mp3, 440, 3));
    ASSERT_EQ(::rename(QFile::encodeName(media + "/tone.mp3").constData(), lessonBytes.constData()), 0);
    ASSERT_TRUE(QFile::copy(test::aviFile(3), media + "/film.avi")) << test::lastMediaError().toStdString();
    ASSERT_EQ(::rename(QFile::encodeName(media + "/film.avi").constData(), filmBytes.constData()), 0);

    TForm1* f = folder.start().Form1;
    TForm6* list = folder.windows().Form6;
    addFolder(f, media);
    ASSERT_TRUE(test::waitUntil([&] { return !f->searchRunning; }, 10000));
    const QStringList tree = treeLines(list);
    const QStringList expected = {"0 " + media + " folder", "1 Book1 folder", "2 *.mp3 group", "3 a.mp3 file",
                                  "1 Book2 folder", "2 *.mp3 group", "3 a.mp3 file",
                                  "1 Book3 folder", "2 *.mp3 group", "3 a.mp3 file",
                                  "1 Book10 folder", "2 *.mp3 group", "3 a.mp3 file",
                                  "1 " + book + " folder", "2 *.mp3 group", "3 " + lesson + " file",
                                  "2 *.avi group", "3 " + film + " file"};
    EXPECT_EQ(tree, expected) << tree.join("\n").toStdString();

    // The lesson plays through the audio library, the film through the media graph.
    list->tv1->clearSelection();
    list->tv1->setCurrentItem(findNode(list, lesson));
    list->P1Click(list->P1);
    EXPECT_EQ(f->audioPlayer->GetFileName(), media + "/" + book + "/" + lesson);
    EXPECT_TRUE(test::waitUntil([&] { return f->audioPlayer->GetPosition() > 0; }, 5000)) << "the lesson does not play";
    list->tv1->setCurrentItem(findNode(list, film));
    list->P1Click(list->P1);
    EXPECT_TRUE(test::waitUntil([&] { return f->fltrgrph1->currentPositionMs().value_or(0) > 0; }, 8000)) << "the film does not play";
    // Stopped and played again.
    f->btStopClick(f->btStop);
    f->btPlayClick(f->btPlay);
    EXPECT_EQ(f->fltrgrph1->state(), TFilterGraph::State::Playing);
    f->btStopClick(f->btStop);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();

    // Saved and read again: the same names, found on disk by their bytes.
    f->close();
    EXPECT_TRUE(test::readAll(folder.file("mediatv.mdl")).contains(toGbk(lesson)));
    TForm6* again = folder.start().Form6;
    EXPECT_EQ(treeLines(again), expected);
    EXPECT_EQ(entries(again).size(), 2);
    again->playlstitem(0);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    folder.windows().Form1->btStopClick(folder.windows().Form1->btStop);
}

// A full disk at exit: both list files stay as they were, and the learner is
// told once; a settings write on the full disk is told too. With room again,
// the next start finds the old lists.
TEST(MediaLibrary, AFullDiskAtExitKeepsBothListFilesWholeAndSaysSo)
{
    ProgramFolder folder;
    test::SmallDisk disk(folder.path());
    ASSERT_TRUE(disk.mounted()) << "mounting a tmpfs needs root";
    const QByteArray mdl = gbkLines({"/书", "\t*.mp3", "\t\t第一课.mp3", "\t\t第二课.mp3"});
    const QByteArray lst = gbkLines({"@1 0 --- --- /书/第一课.mp3", "@1 1 --- --- /书/第二课.mp3"});
    ASSERT_TRUE(test::writeAll(folder.file("mediatv.mdl"), mdl));
    ASSERT_TRUE(test::writeAll(folder.file("play.lst"), lst));
    VarendoWindows& w = folder.start();
    TForm6* list = w.Form6;
    const QStringList tree = treeLines(list);
    ASSERT_EQ(tree.size(), 4);
    const QStringList playList = entries(list);
    ASSERT_EQ(playList.size(), 2);

    // This run changes both lists, then the disk fills up.
    list->addEntry(QStringLiteral("/书/第三课.mp3"), Qt::Unchecked);
    findNode(list, QStringLiteral("第二课.mp3"))->setSelected(true);
    list->N6Click(list->N6);
    ASSERT_TRUE(disk.fill());
    w.Form4->btn4->click();
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("磁盘已满"))) << folder.messages[0].toStdString();
    folder.messages.clear();

    w.Form1->close();
    EXPECT_EQ(test::readAll(folder.file("mediatv.mdl")), mdl);
    EXPECT_EQ(test::readAll(folder.file("play.lst")), lst);
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("磁盘已满"))) << folder.messages[0].toStdString();
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("原来的文件保持不变"))) << folder.messages[0].toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList{});

    disk.free();
    folder.messages.clear();
    expectListsAtNextStart(folder, tree, playList);
}

// One line at a wrong depth: the English message stays, a Chinese line says
// what happens; the file is set aside whole, so the next exit loses nothing of
// it. A tree the learner cleared stays cleared at the next start.
TEST(MediaLibrary, ADamagedMediaListIsKeptAsideAndAClearedTreeStaysCleared)
{
    ProgramFolder folder;
    QStringList lines = {"/m", "\t*.mp3", "\t\ta.mp3", "\t\tb.mp3", "/n", "\t\t\tdeep.mp3"};
    for (int i = 0; i < 27; ++i)
        lines << QStringLiteral("\t\tc%1.mp3").arg(i);
    const QByteArray damaged = gbkLines(lines);
    ASSERT_TRUE(test::writeAll(folder.file("mediatv.mdl"), damaged));
    TForm1* f = folder.start().Form1;
    TForm6* list = folder.windows().Form6;
    EXPECT_EQ(list->nodeCount(), 5);
    ASSERT_EQ(folder.messages.size(), 1);
    const QString told = folder.messages[0];
    EXPECT_TRUE(told.startsWith(QStringLiteral("Invalid level (3) for item \"deep.mp3\"\n"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("第 6 行"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("mediatv.mdl.bak"))) << told.toStdString();
    EXPECT_EQ(test::readAll(folder.file("mediatv.mdl.bak")), damaged);

    f->close();
    EXPECT_EQ(test::readAll(folder.file("mediatv.mdl.bak")), damaged);
    EXPECT_EQ(test::readAll(folder.file("mediatv.mdl")), gbkLines(lines.mid(0, 5)));

    // Cleared, and gone at the next start.
    folder.messages.clear();
    list = folder.start().Form6;
    EXPECT_EQ(list->nodeCount(), 5);
    list->C1Click(list->C1);
    folder.windows().Form1->close();
    EXPECT_FALSE(QFile::exists(folder.file("mediatv.mdl")));
    list = folder.start().Form6;
    EXPECT_EQ(treeLines(list), QStringList{"0 空媒体目录 folder"});
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// A program folder on a read-only disk is told once, at start; the exit says
// nothing more and writes nothing.
TEST(MediaLibrary, AReadOnlyProgramFolderIsToldOnce)
{
    ProgramFolder folder;
    test::SmallDisk disk(folder.path());
    ASSERT_TRUE(disk.mounted()) << "mounting a tmpfs needs root";
    folder.writeLessons({});
    const QByteArray lst = gbkLines({"@1 0 --- --- /a.mp3"});
    ASSERT_TRUE(test::writeAll(folder.file("play.lst"), lst));
    ASSERT_TRUE(disk.makeReadOnly());
    TForm1* f = folder.start().Form1;
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("不能写入"))) << folder.messages[0].toStdString();
    folder.windows().Form6->addEntry(QStringLiteral("/b.mp3"), Qt::Unchecked);
    f->close();
    EXPECT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_EQ(test::readAll(folder.file("play.lst")), lst);
}
