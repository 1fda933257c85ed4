#pragma once
// The media library: the folder search that fills the media list window's tree.
#include "ui/main_window/part.h"

#include <QPointer>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

class QAction;
class QThread;
class QTreeWidgetItem;

class TLibraryPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;
    ~TLibraryPart();

    // Picks a folder and adds it to the media tree with the media found below it.
    void D1Click(QObject* sender);
    // Searches the media list window's current folder node again.
    void researchmedia();
    // Stops a running search between two steps of its walk; what it added stays, unpruned.
    void stopSearch();

    // ---- State
    QStringList mediaMasks;
    QThread* searchThread = nullptr;
    quintptr searchThreadId = 0;
    std::atomic<bool> searchRunning{false};

    // ---- Controls
    QAction* D1 = nullptr; // file menu: search a folder for media files

protected:
    void connectLibraryHandlers();
public:
    // Before the media list window goes: every search worker has ended.
    void librarySearchShutdown();

private:
    struct Search;
    // Starts the worker on path; anchor is the node searched again, or null to add path.
    void startSearch(const QString& path, QTreeWidgetItem* anchor);
    void applyChanges(quint64 generation, const void* batch);
    void finishSearch(quint64 generation);

    std::shared_ptr<Search> search_;             // the running search
    std::vector<std::shared_ptr<Search>> workers_; // every search whose worker may still run
    quint64 generation_ = 0;
};
