// The folder search: a worker walks the folder and hands the tree changes to
// this thread in batches, in walk order; at the end the tree is pruned of
// folders that lead to no media.
#include "ui/main_window.h"

#include "library/folder_search.h"
#include "ui/media_list_window.h"
#include "ui/radio_group.h"
#include "ui/settings_dialog.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QFileDialog>
#include <QHash>
#include <QThread>
#include <QTreeWidget>

using namespace varendo;
using varendo::library::TreeChange;

namespace {

const QString kSearchingCaption = QStringLiteral("目录媒体文件列表  正搜索目录中媒体文件...");
const QString kPruningCaption = QStringLiteral("目录媒体文件列表  正上进行精简列表...");

} // namespace

// One running search: its worker, its stop flag and the nodes it has added.
struct TLibraryPart::Search {
    std::atomic<bool> stop{false};
    QTreeWidgetItem* anchor = nullptr; // the folder searched again; null when adding one
    QHash<int, QTreeWidgetItem*> nodes;
    QThread* worker = nullptr; // deleted once it has finished
};

TLibraryPart::~TLibraryPart() = default;

void TLibraryPart::connectLibraryHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    QObject::connect(D1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { D1Click(D1); }); });
}

void TLibraryPart::D1Click(QObject*)
{
    TForm6& list = *form_.w.Form6;
    QFileDialog* picker = form_.w.Form4->rzslctfldrdlg1;
    picker->setWindowTitle(QStringLiteral("请选择操作目录"));
    picker->setDirectory(form_.dlgOpen1->directory());
    if (picker->exec() != QDialog::Accepted || picker->selectedFiles().isEmpty())
        return;
    const QString folder = picker->selectedFiles().constFirst();

    // Previous and next now step through the play list.
    form_.rg1->SetItemIndex(-1);
    QTreeWidget* tree = list.tv1;
    QTreeWidgetItem* first = tree->topLevelItem(0);
    if (first && first->text(0) == TForm6::kPlaceholder && !(search_ && search_->anchor == first))
        delete first;
    if (!searchRunning)
        startSearch(folder, nullptr);
    list.show();
}

void TLibraryPart::researchmedia()
{
    if (searchRunning)
        return;
    TForm6& list = *form_.w.Form6;
    QTreeWidgetItem* node = list.currentNode();
    if (!node)
        return;
    const QString path = list.getnodefilepath(node);
    // The folder's children are rebuilt from the disk.
    qDeleteAll(node->takeChildren());
    startSearch(path, node);
}

void TLibraryPart::startSearch(const QString& path, QTreeWidgetItem* anchor)
{
    // Set before the worker starts, so that a second request made at once is refused.
    searchRunning = true;
    form_.w.Form6->setWindowTitle(kSearchingCaption);

    auto search = std::make_shared<Search>();
    search->anchor = anchor;
    const quint64 generation = ++generation_;
    const library::SearchMode mode = anchor ? library::SearchMode::Research : library::SearchMode::AddFolder;
    library::SearchOptions options;
    options.masks = mediaMasks;
    TForm6* window = form_.w.Form6;
    // The worker reads nothing shared while it runs: it was given the path and the masks.
    search->worker = QThread::create([this, search, path, mode, options, generation, window] {
        const bool finished = library::searchFolder(
            path, mode,
            [this, window, generation](std::vector<TreeChange>&& batch) {
                auto changes = std::make_shared<std::vector<TreeChange>>(std::move(batch));
                QMetaObject::invokeMethod(
                    window, [this, generation, changes] { applyChanges(generation, changes.get()); },
                    Qt::QueuedConnection);
            },
            search->stop, options);
        if (finished)
            QMetaObject::invokeMethod(window, [this, generation] { finishSearch(generation); }, Qt::QueuedConnection);
    });
    QObject::connect(search->worker, &QThread::finished, &form_, [this, search] {
        // Unless the shutdown has already waited for it and deleted it.
        if (std::erase(workers_, search) > 0)
            search->worker->deleteLater();
    });
    workers_.push_back(search);
    search_ = search;
    searchThread = search->worker;
    searchThreadId = quintptr(search->worker);
    search->worker->start();
}

void TLibraryPart::applyChanges(quint64 generation, const void* batch)
{
    // A stopped search's late changes are dropped.
    if (!search_ || generation != generation_)
        return;
    TForm6& list = *form_.w.Form6;
    for (const TreeChange& change : *static_cast<const std::vector<TreeChange>*>(batch)) {
        QTreeWidgetItem* parent = change.parent == 0 ? search_->anchor : search_->nodes.value(change.parent);
        if (change.parent != 0 && !parent)
            continue;
        search_->nodes.insert(change.id, list.addNode(parent, change.text, change.kind));
    }
}

void TLibraryPart::finishSearch(quint64 generation)
{
    if (!search_ || generation != generation_)
        return;
    TForm6& list = *form_.w.Form6;
    list.setWindowTitle(kPruningCaption);
    // One pixel narrower and back lays the window out again, showing the play list if it has entries.
    list.resize(list.width() - 1, list.height());
    list.prunetree();
    searchRunning = false;
    list.setWindowTitle(TForm6::kIdleCaption);
    list.resize(list.width() + 1, list.height());
    search_.reset();
    searchThread = nullptr;
    searchThreadId = 0;
}

void TLibraryPart::stopSearch()
{
    if (!search_)
        return;
    // The worker sees the flag between two steps of its walk and ends there; what
    // it handed over after this is dropped. The window does not wait for it.
    search_->stop = true;
    ++generation_;
    search_.reset();
    searchThread = nullptr;
    searchThreadId = 0;
    searchRunning = false;
    form_.w.Form6->setWindowTitle(TForm6::kIdleCaption);
}

void TLibraryPart::librarySearchShutdown()
{
    stopSearch();
    // Their hand-overs name the media list window, which is about to go.
    for (const std::shared_ptr<Search>& search : std::exchange(workers_, {})) {
        search->stop = true;
        search->worker->wait();
        delete search->worker;
    }
}
