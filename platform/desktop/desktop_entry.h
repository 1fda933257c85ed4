#pragma once
// Desktop entries (".desktop" files): how a Linux desktop shows a program on the
// desktop folder or in its applications menu, and starts it.
#include <QString>
#include <QStringList>

namespace varendo::desktop {

struct DesktopEntry {
    QString name;           // the title shown under the icon and in the menu
    QString comment;        // the tooltip
    QStringList command;    // the program's full path, then its arguments
    QString workingFolder;  // the folder it starts in
    QString icon;           // an icon file's full path; empty: the desktop's default
};

// One Exec argument, quoted so that any path (blanks, quotes, "$", "%", "&",
// backslashes, Chinese letters) reaches the program as it is.
QString execArgument(const QString& argument);

// The whole text of a desktop entry that starts a program.
QString desktopEntryText(const DesktopEntry& entry);

// Writes the entry whole (a temporary file renamed over the old one) and makes it
// executable, as desktops require before they start it. Raises VarendoError when
// it cannot be written; an older file of that name is then left as it was.
void writeDesktopEntry(const QString& path, const DesktopEntry& entry);

// Marks an entry on the desktop folder as trusted where the desktop keeps such a
// mark (GNOME asks before starting an untrusted one). Elsewhere this does nothing.
void markTrusted(const QString& path);

} // namespace varendo::desktop
