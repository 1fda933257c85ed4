#pragma once
// Shell extras: the desktop shortcut and the applications menu entry, the help
// guide and the about box.
#include "ui/main_window/part.h"

#include <QStringList>

class QAction;
class QObject;
class QString;

class TShellPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // Puts a shortcut to the running program on the desktop folder; a second one
    // replaces the first.
    void N14Click(QObject* sender);
    // Adds the running program to the desktop's applications menu.
    void N18Click(QObject* sender);
    // Writes one desktop entry, named description, that starts target with arguments
    // in target's folder. A link file not ending in ".desktop" is refused.
    void CreateDesktopShortcut(const QString& target, const QStringList& arguments, const QString& linkFile,
                               const QString& description);
    // Opens the help guide of the program folder with the desktop's default program;
    // without a guide nothing happens.
    void R1Click(QObject* sender);
    // Shows the about box over the middle of the main window, without waiting for it.
    void A1Click(QObject* sender);

    // ---- Controls
    QAction *N14 = nullptr, *N18 = nullptr; // system menu: desktop shortcut, applications menu
    QAction *R1 = nullptr, *A1 = nullptr;   // help menu: instructions, about

protected:
    void connectShellHandlers();
};
