#include "common/file_names.h"

#include "common/gbk_text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace varendo {

QString fileNameText(const QByteArray& name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(name);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    const QString wide = gbk.decode(name);
    if (gbk.isValid() && !gbk.hasError() && !wide.contains(QChar(QChar::ReplacementCharacter)))
        return wide;
    return QFile::decodeName(name);
}

namespace {

bool exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The entry of folder that is shown as name, if any.
QByteArray entryShownAs(const QByteArray& folder, const QString& name)
{
    // The GBK bytes are the likely ones; the listing settles anything else.
    const QByteArray gbk = toGbk(name);
    const QByteArray prefix = folder.endsWith('/') ? folder : folder + '/';
    if (fitsGbk(name) && exists(prefix + gbk) && fileNameText(gbk) == name)
        return gbk;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.isEmpty() ? "." : folder.constData()));
    if (!dir)
        return {};
    while (const dirent* e = ::readdir(dir.get())) {
        const QByteArray entry(e->d_name);
        if (fileNameText(entry) == name)
            return entry;
    }
    return {};
}

} // namespace

QByteArray onDiskPath(const QString& path)
{
    const QByteArray plain = QFile::encodeName(path);
    if (path.isEmpty() || exists(plain))
        return plain;
    // Part by part: the folders above may be found under their UTF-8 bytes while
    // one part below is not.
    const QStringList parts = path.split(QLatin1Char('/'));
    QByteArray bytes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        const QByteArray folder = bytes;
        if (i > 0)
            bytes += '/';
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) {
            bytes += QFile::encodeName(part);
            continue;
        }
        const QByteArray own = QFile::encodeName(part);
        if (exists(bytes + own)) {
            bytes += own;
            continue;
        }
        const QByteArray found = entryShownAs(i == 0 ? QByteArray(".") : (folder.isEmpty() ? QByteArray("/") : folder), part);
        if (found.isEmpty())
            return plain;
        bytes += found;
    }
    return bytes;
}

bool isExistingFile(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(onDiskPath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString fileUri(const QString& path)
{
    QByteArray bytes = onDiskPath(path);
    if (!bytes.startsWith('/'))
        bytes = QFile::encodeName(QDir::currentPath()) + '/' + bytes;
    return QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"));
}

} // namespace varendo
