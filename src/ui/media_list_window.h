#pragma once
// The media list window: the media tree and the play list.
#include <QWidget>

class QListWidget;
class QTreeWidget;
namespace varendo { struct VarendoWindows; }

class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    QTreeWidget* tv1 = nullptr;
    QListWidget* lst1 = nullptr; // the play list, checkable entries of full paths

    // Enables the main window's previous and next buttons by the entry's place
    // in the play list, and records where it plays and how many there are.
    void upnexten(int index);
    // Plays the play-list entry at index; outside the list, previous and next go off.
    void playlstitem(int index);
};
