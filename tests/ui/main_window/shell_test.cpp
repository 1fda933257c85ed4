// The desktop shortcut, the applications menu entry, the help guide and the about
// box, through the main window's menus. Desktop entries are checked the way desktops
// see them: by desktop-file-validate, and by GLib's reader, which starts the program.
#include "event_wait.h"
#include "file_bytes.h"
#include "program_folder.h"
#include "qstring_print.h"
#include "scoped_env.h"

#include "common/program_title.h"
#include "ui/about_box.h"
#include "ui/main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// GLib names a struct member "signals", which Qt keeps as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")
#include <signal.h>
#include <sys/wait.h>

#include <memory>

using namespace varendo;

namespace {

// A desktop in a temporary home: the desktop folder that xdg-user-dirs names (as on a
// Chinese desktop), and the applications folder.
class TemporaryDesktop {
public:
    TemporaryDesktop()
        : config_("XDG_CONFIG_HOME", qPrintable(home_.filePath("config"))),
          data_("XDG_DATA_HOME", qPrintable(home_.filePath("data")))
    {
        QDir(home_.path()).mkpath("config");
        test::writeAll(home_.filePath("config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"" + desktop().toUtf8() + "\"\n");
    }
    QString desktop() const { return home_.filePath("桌面"); }
    QString applications() const { return home_.filePath("data/applications"); }

private:
    QTemporaryDir home_;
    test::ScopedEnv config_, data_;
};

// What desktop-file-validate finds wrong with an entry (its hints are only advice).
std::string validationProblems(const QString& path)
{
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {path});
    if (!validate.waitForFinished(30000))
        return "desktop-file-validate did not run (scripts/install-deps.sh installs it): "
               + validate.errorString().toStdString();
    const QString said = QString::fromUtf8(validate.readAll());
    QStringList problems;
    for (const QString& line : said.split('\n', Qt::SkipEmptyParts))
        if (!line.contains(": hint: "))
            problems << line;
    if (validate.exitCode() != 0 && problems.isEmpty())
        problems << "exit code " + QString::number(validate.exitCode());
    return problems.join('\n').toStdString();
}

// An entry as GLib reads it; null when GLib cannot make a program of it.
using EntryReading = std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)>;
EntryReading readEntry(const QString& path)
{
    return EntryReading(g_desktop_app_info_new_from_filename(path.toUtf8().constData()), g_object_unref);
}
// The command an entry starts, split into its words as the desktop splits it.
QStringList commandOf(GDesktopAppInfo* entry)
{
    char** words = nullptr;
    if (!g_shell_parse_argv(g_app_info_get_commandline(G_APP_INFO(entry)), nullptr, &words, nullptr))
        return {};
    QStringList command;
    for (char** word = words; *word; ++word)
        command << QString::fromUtf8(*word);
    g_strfreev(words);
    return command;
}
QString keyOf(GDesktopAppInfo* entry, const char* key)
{
    std::unique_ptr<char, decltype(&g_free)> value(g_desktop_app_info_get_string(entry, key), g_free);
    return QString::fromUtf8(value.get());
}

// A program started from a desktop entry; ended when the test is done with it.
class LaunchedProgram {
public:
    explicit LaunchedProgram(GDesktopAppInfo* entry)
    {
        GError* error = nullptr;
        g_desktop_app_info_launch_uris_as_manager(
            entry, nullptr, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
            [](GDesktopAppInfo*, GPid pid, gpointer self) { static_cast<LaunchedProgram*>(self)->pid_ = pid; }, this,
            &error);
        if (error) {
            failure = QString::fromUtf8(error->message);
            g_error_free(error);
        }
    }
    ~LaunchedProgram()
    {
        if (pid_ <= 0 || !running())
            return;
        kill(pid_, SIGTERM);
        if (!test::waitUntil([this] { return !running(); }, 10000)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool running()
    {
        if (pid_ <= 0 || ended_)
            return false;
        ended_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
        return !ended_;
    }
    QString failure;

private:
    GPid pid_ = 0;
    bool ended_ = false;
};

} // namespace

TEST(DesktopShortcut, MenusPutOneValidEntryOnTheDesktopAndInTheApplicationsMenu)
{
    TemporaryDesktop desktop;
    ProgramFolder folder;
    TForm1* f = folder.start(false).Form1;
    const QString shortcut = desktop.desktop() + "/" + kProgramTitle + ".desktop";

    // Twice, as a learner might: the second replaces the first.
    f->N14->trigger();
    f->N14->trigger();
    EXPECT_EQ(QDir(desktop.desktop()).entryList(QDir::Files | QDir::Hidden),
              QStringList{kProgramTitle + ".desktop"});
    f->N18->trigger();
    const QString menuEntry = desktop.applications() + "/varendo.desktop";
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();

    for (const QString& path : {shortcut, menuEntry}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(validationProblems(path), "");
        EXPECT_TRUE(QFileInfo(path).isExecutable());
        const EntryReading entry = readEntry(path);
        ASSERT_TRUE(entry);
        EXPECT_EQ(commandOf(entry.get()), QStringList{QCoreApplication::applicationFilePath()});
        EXPECT_EQ(keyOf(entry.get(), "Path"), QCoreApplication::applicationDirPath());
        EXPECT_EQ(QString::fromUtf8(g_app_info_get_name(G_APP_INFO(entry.get()))), kProgramTitle);
    }

    // Only a ".desktop" name makes an entry; anything else is refused and nothing written.
    const QByteArray before = test::readAll(shortcut);
    folder.windows().messages.guarded([&] {
        f->CreateDesktopShortcut(QCoreApplication::applicationFilePath(), {}, desktop.desktop() + "/Varendo.lnk",
                                 kProgramTitle);
    });
    EXPECT_EQ(folder.messages, QStringList{"快捷方式的扩展名必须是desktop"});
    EXPECT_EQ(QDir(desktop.desktop()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(test::readAll(shortcut), before);
}

// The program copied into a folder whose name has blanks, quotes, "&", "$", a
// backslash and Chinese letters: the shortcut to it still starts it, in its folder.
// (Not "%": GLib looks for the program before it undoes the doubled "%%" the
// entry must hold, so GNOME cannot start such an entry, however it is written.)
TEST(DesktopShortcut, EntryStartsTheProgramFromAnAwkwardlyNamedFolder)
{
    const QString program = QStringLiteral(VARENDO_BINARY_DIR "/varendo/varendo");
    ASSERT_TRUE(QFile::exists(program)) << "the program is built with the tests";
    TemporaryDesktop desktop;
    QTemporaryDir place;
    const QString awkward = place.filePath("学习 工具 & \"引号\" $HOME `id` back\\slash");
    ASSERT_TRUE(QDir().mkpath(awkward));
    ASSERT_TRUE(QFile::copy(program, awkward + "/varendo"));
    ASSERT_TRUE(QFile::copy(VARENDO_SOURCE_DIR "/src/ui/pictures/varendo.svg", awkward + "/varendo.svg"));

    ProgramFolder folder;
    TForm1* f = folder.start(false).Form1;
    const QString link = desktop.desktop() + "/学习.desktop";
    folder.windows().messages.guarded(
        [&] { f->CreateDesktopShortcut(awkward + "/varendo", {}, link, kProgramTitle); });
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    EXPECT_EQ(validationProblems(link), "");
    const EntryReading entry = readEntry(link);
    ASSERT_TRUE(entry);
    EXPECT_EQ(keyOf(entry.get(), "Icon"), awkward + "/varendo.svg");

    // Started as a desktop starts it (on the offscreen platform this test runs on),
    // the program makes its lesson database in its own folder and keeps running.
    LaunchedProgram started(entry.get());
    ASSERT_EQ(started.failure, "");
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(awkward + "/varendo.mdb") || !started.running(); }, 60000));
    EXPECT_TRUE(QFile::exists(awkward + "/varendo.mdb"));
    test::spinFor(300);
    EXPECT_TRUE(started.running());
}

TEST(ShellMenus, HelpGuideOpensAndTheAboutBoxShowsTheVersion)
{
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;

    // No guide in the program folder: nothing happens, and nothing is said.
    f->R1->trigger();
    EXPECT_TRUE(folder.opened.isEmpty());
    EXPECT_TRUE(folder.messages.isEmpty());
    // The guide as the program folder gets it, with every picture it shows.
    const QString guide = VARENDO_SOURCE_DIR "/docs/使用教程.html";
    ASSERT_TRUE(QFile::copy(guide, folder.file("使用教程.html")));
    const QString page = QString::fromUtf8(test::readAll(guide));
    static const QRegularExpression picture("<img[^>]* src=\"([^\"]+)\"");
    int pictures = 0;
    for (const auto& found : picture.globalMatch(page)) {
        ++pictures;
        EXPECT_TRUE(QFile::exists(VARENDO_SOURCE_DIR "/docs/" + found.captured(1))) << found.captured(1).toStdString();
    }
    EXPECT_GE(pictures, 5);
    f->R1->trigger();
    EXPECT_EQ(folder.opened, QStringList{folder.file("使用教程.html")});
    // A compiled help file, where there is one, is opened instead.
    test::writeAll(folder.file("使用教程.chm"), "ITSF");
    f->R1->trigger();
    EXPECT_EQ(folder.opened.value(1), folder.file("使用教程.chm"));
    EXPECT_TRUE(folder.messages.isEmpty());

    // The about box: over the main window, with the version compiled in; Esc hides it.
    TForm2* about = folder.windows().Form2;
    f->A1->trigger();
    ASSERT_TRUE(about->isVisible());
    // (A frame the desktop adds after the first show may shift it by a few pixels.)
    EXPECT_LE((about->frameGeometry().center() - f->frameGeometry().center()).manhattanLength(), 10);
    EXPECT_TRUE(about->windowFlags() & Qt::WindowStaysOnTopHint);
    const QString text = about->lbl1->text();
    static const QRegularExpression version("^Varendo英语视频辅助学习工具\n版本:(\\d+\\.\\d+\\.\\d+)\\.\\d+$");
    EXPECT_EQ(version.match(text).captured(1), VARENDO_PROJECT_VERSION) << text.toStdString();
    QTest::keyClick(about, Qt::Key_Escape);
    EXPECT_FALSE(about->isVisible());
    f->A1->trigger();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->lbl1->text(), text);
}
