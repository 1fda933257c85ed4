#include "ui/main_window/shell.h"

#include "common/program_title.h"
#include "common/varendo_error.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/varendo_windows.h"
#include "ui/window_frame.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using varendo::kProgramTitle;

namespace {

// Beside the executable: the icon its desktop entries show, and the help guide
// (a compiled help file is preferred when there is one).
const QString kIconFile = QStringLiteral("varendo.svg");
const QStringList kGuideFiles{QStringLiteral("使用教程.chm"), QStringLiteral("使用教程.html")};
// What desktops show as the entries' tooltip (repeating the title there would say nothing).
const QString kProgramSummary = QStringLiteral("学习四册英语课程：课文、视频和音频、A-B复读、录音对比、笔记与学习进度");
// The applications menu knows the program by this entry, as the program tells the desktop.
const QString kApplicationsEntry = QStringLiteral("varendo.desktop");

QString inFolder(QStandardPaths::StandardLocation folder, const QString& name)
{
    const QString path = QStandardPaths::writableLocation(folder);
    // Only without a home folder; the entry would otherwise land in the working folder.
    if (path.isEmpty())
        throw varendo::VarendoError(QStringLiteral("找不到%1文件夹").arg(QStandardPaths::displayName(folder)));
    return QDir(path).filePath(name);
}

} // namespace

void TShellPart::connectShellHandlers()
{
    const varendo::MessageBoxes& boxes = form_.w.messages;
    QObject::connect(N14, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { N14Click(N14); }); });
    QObject::connect(N18, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { N18Click(N18); }); });
    QObject::connect(R1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { R1Click(R1); }); });
    QObject::connect(A1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { A1Click(A1); }); });
}

void TShellPart::N14Click(QObject*)
{
    // The desktop folder follows the learner's xdg-user-dirs ("桌面" on a Chinese desktop).
    CreateDesktopShortcut(QCoreApplication::applicationFilePath(), {},
                          inFolder(QStandardPaths::DesktopLocation, kProgramTitle + QStringLiteral(".desktop")),
                          kProgramTitle);
}

void TShellPart::N18Click(QObject*)
{
    CreateDesktopShortcut(QCoreApplication::applicationFilePath(), {},
                          inFolder(QStandardPaths::ApplicationsLocation, kApplicationsEntry), kProgramTitle);
}

void TShellPart::CreateDesktopShortcut(const QString& target, const QStringList& arguments, const QString& linkFile,
                                       const QString& description)
{
    // Desktops take only files named so as entries (the letter case counts).
    if (!linkFile.endsWith(QStringLiteral(".desktop")))
        throw varendo::VarendoError(QStringLiteral("快捷方式的扩展名必须是desktop"));
    const QFileInfo program(target);
    const QString folder = QFileInfo(linkFile).absolutePath();
    // A new account may have no desktop folder or applications folder yet.
    if (!QDir().mkpath(folder))
        throw varendo::VarendoError(QStringLiteral("无法创建文件夹“%1”").arg(folder));
    const QString icon = program.absoluteDir().filePath(kIconFile);
    const varendo::LauncherWriter& write = form_.w.services.writeLauncher;
    if (!write)
        throw varendo::VarendoError(QStringLiteral("无法创建快捷方式“%1”：本桌面不支持").arg(linkFile));
    write(linkFile, {.name = description,
                     .comment = kProgramSummary,
                     .command = QStringList{program.absoluteFilePath()} + arguments,
                     .workingFolder = program.absolutePath(),
                     .icon = QFileInfo::exists(icon) ? icon : QString()});
}

void TShellPart::R1Click(QObject*)
{
    for (const QString& name : kGuideFiles) {
        const QString guide = form_.appDir + name;
        if (!QFileInfo::exists(guide))
            continue;
        const varendo::DocumentOpener& opener = form_.w.services.openDocument;
        const bool opened = opener && opener(guide);
        if (!opened)
            throw varendo::VarendoError(QStringLiteral("没有能打开使用教程的程序，请用浏览器打开“%1”").arg(guide));
        return;
    }
}

void TShellPart::A1Click(QObject*)
{
    TForm2* about = form_.w.Form2;
    // Placed over the main window where it is now; one already open stays where it is.
    if (!about->isVisible())
        varendo::centreOver(*about, form_);
    about->show();
    about->raise();
    about->activateWindow();
}
