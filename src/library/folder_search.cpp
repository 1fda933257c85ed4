#include "library/folder_search.h"

#include "common/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varendo::library {

namespace {

struct Entry {
    QByteArray name; // as the file system holds it, for opening
    QString text;    // as the tree shows it
    bool descend = false;
};

// A folder listed and shown; its sub-folders wait to be entered in turn.
struct Frame {
    QByteArray path;
    int id = 0;
    std::vector<Entry> subfolders;
    std::size_t next = 0;
};

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

QByteArray joinPath(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// A name with a line break cannot be held by one line of a list file.
bool fitsOneLine(const char* name)
{
    for (const char* c = name; *c; ++c)
        if (*c == '\r' || *c == '\n')
            return false;
    return true;
}

// Names in the order a person lists them: letter case aside, and runs of
// digits by their value, so "2" comes before "10"; exact text breaks ties.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Leading zeros aside, the longer run is the larger number.
            QStringView x = QStringView(a).sliced(i, ei - i), y = QStringView(b).sliced(j, ej - j);
            while (x.size() > 1 && x[0] == QLatin1Char('0'))
                x = x.sliced(1);
            while (y.size() > 1 && y[0] == QLatin1Char('0'))
                y = y.sliced(1);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (const int c = x.compare(y); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b;
}

class Search {
public:
    Search(const ChangeSink& sink, const std::atomic<bool>& stop, const SearchOptions& options)
        : sink_(sink), stop_(stop), batchSize_(std::max<std::size_t>(options.batchSize, 1)),
          batchDelay_(options.batchDelay)
    {
        for (const QString& mask : options.masks) {
            const qsizetype dot = mask.lastIndexOf(QLatin1Char('.'));
            if (dot >= 0 && dot + 1 < mask.size())
                masks_.push_back({mask, mask.mid(dot)});
        }
    }

    bool run(const QString& path, SearchMode mode)
    {
        if (stop_)
            return false;
        const QString top = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        // The tree shows a name in GBK bytes decoded; it is found again by its bytes.
        Frame first{onDiskPath(top), 0, {}, 0};
        if (mode == SearchMode::AddFolder)
            first.id = record(0, top, NodeKind::Folder);
        if (!enter(first, true))
            return false;
        std::vector<Frame> stack;
        stack.push_back(std::move(first));
        while (!stack.empty()) {
            Frame& folder = stack.back();
            if (folder.next == folder.subfolders.size()) {
                stack.pop_back();
                continue;
            }
            const Entry& sub = folder.subfolders[folder.next++];
            if (!step())
                return false;
            Frame child{joinPath(folder.path, sub.name), record(folder.id, sub.text, NodeKind::Folder), {}, 0};
            if (!enter(child, false))
                return false;
            stack.push_back(std::move(child));
        }
        return deliver();
    }

private:
    // Lists the folder once, shows its groups and keeps its sub-folders in
    // frame; false only when stopped. A folder that cannot be opened shows nothing.
    bool enter(Frame& frame, bool top)
    {
        // Below the top, a folder swapped for a link since it was listed is not followed.
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (top ? 0 : O_NOFOLLOW);
        const int fd = ::open(frame.path.constData(), flags);
        if (fd < 0)
            return step();
        std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
        struct stat self {};
        if (!dir || fstat(fd, &self) != 0) {
            if (!dir)
                ::close(fd);
            return step();
        }
        std::vector<Entry> entries;
        while (const dirent* e = readdir(dir.get())) {
            if (!step())
                return false;
            const char* name = e->d_name;
            if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0 || !fitsOneLine(name))
                continue;
            bool descend = false;
            if (e->d_type == DT_DIR || e->d_type == DT_UNKNOWN) {
                struct stat st {};
                descend = fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)
                       && st.st_dev == self.st_dev;
            }
            entries.push_back({QByteArray(name), fileNameText(name), descend});
        }
        dir.reset();
        // The listing's own order is the disk's, which means nothing to the learner.
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& x, const Entry& y) { return naturalLess(x.text, y.text); });

        for (const auto& [mask, suffix] : masks_) {
            int group = 0;
            for (const Entry& entry : entries) {
                if (!entry.text.endsWith(suffix, Qt::CaseInsensitive))
                    continue;
                if (group == 0) {
                    if (!step())
                        return false;
                    group = record(frame.id, mask, NodeKind::MaskGroup);
                }
                if (!step())
                    return false;
                record(group, entry.text, NodeKind::MediaFile);
            }
        }
        for (Entry& entry : entries)
            if (entry.descend)
                frame.subfolders.push_back(std::move(entry));
        return true;
    }

    // Always after a step, so no batch grows past its size.
    int record(int parent, const QString& text, NodeKind kind)
    {
        if (pending_.empty())
            pendingSince_ = std::chrono::steady_clock::now();
        pending_.push_back({++lastId_, parent, text, kind});
        return lastId_;
    }

    // Between two steps of the walk: false when stopped, else hands over a
    // batch that is full or has waited long enough.
    bool step()
    {
        if (stop_)
            return false;
        const bool due = pending_.size() >= batchSize_
                      || (!pending_.empty() && std::chrono::steady_clock::now() - pendingSince_ >= batchDelay_);
        return !due || deliver();
    }

    bool deliver()
    {
        if (stop_)
            return false;
        if (!pending_.empty()) {
            std::vector<TreeChange> batch;
            batch.swap(pending_);
            sink_(std::move(batch));
        }
        return true;
    }

    const ChangeSink& sink_;
    const std::atomic<bool>& stop_;
    const std::size_t batchSize_;
    const std::chrono::milliseconds batchDelay_;
    std::vector<std::pair<QString, QString>> masks_; // the mask as written, ".ext"
    std::vector<TreeChange> pending_;
    std::chrono::steady_clock::time_point pendingSince_;
    int lastId_ = 0;
};

} // namespace

bool searchFolder(const QString& path, SearchMode mode, const ChangeSink& sink, const std::atomic<bool>& stop,
                  const SearchOptions& options)
{
    return Search(sink, stop, options).run(path, mode);
}

MediaTree searchIntoTree(const QString& path, const SearchOptions& options)
{
    MediaTree tree;
    QHash<int, MediaTree::Node*> ids;
    const std::atomic<bool> stop{false};
    searchFolder(
        path, SearchMode::AddFolder,
        [&](std::vector<TreeChange>&& batch) { tree.apply(batch, &tree.root(), ids); }, stop, options);
    tree.prune();
    return tree;
}

} // namespace varendo::library
