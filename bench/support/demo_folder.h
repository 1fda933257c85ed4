#pragma once
// A copy of the program folder the build lays out (build/varendo: the demo course's
// lesson database and its video and mp3 folders), for a benchmark that runs the real
// windows on the demo course. The study states and settings the windows write go to
// the copy. Needs VARENDO_PROGRAM_DIR and VARENDO_SOURCE_DIR defined by the build.
#include "common/varendo_error.h"
#include "database/dataset.h"
#include "database/lesson_schema.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cstdio>

namespace varendo::bench {

inline bool hasDemoCourse(const QString& folder)
{
    const QDir dir(folder);
    return dir.exists(QString::fromLatin1(db::kDatabaseFileName)) && dir.exists(QStringLiteral("video"))
        && dir.exists(QStringLiteral("mp3/1"));
}

inline bool copyFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator files(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        const bool copied = files.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(source, target);
        if (!copied) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(source), qPrintable(target));
            return false;
        }
    }
    return true;
}

// Fills folder (with its trailing separator) with the lesson database and the media
// folders of the build's program folder, laying that out first when it is missing.
inline bool copyDemoProgramFolder(const QString& folder)
{
    const QString built = QStringLiteral(VARENDO_PROGRAM_DIR);
    if (!hasDemoCourse(built)) {
        std::printf("laying out %s with scripts/program-folder.sh\n", qPrintable(built));
        QProcess::execute(QStringLiteral("bash"), {QStringLiteral(VARENDO_SOURCE_DIR "/scripts/program-folder.sh")});
    }
    if (!hasDemoCourse(built)) {
        std::fprintf(stderr, "%s has no demo course (database, video and mp3 folders)\n", qPrintable(built));
        return false;
    }
    const QString database = QString::fromLatin1(db::kDatabaseFileName);
    if (!QFile::copy(built + QLatin1Char('/') + database, folder + database)
        || !copyFolder(built + QStringLiteral("/video"), folder + QStringLiteral("video"))
        || !copyFolder(built + QStringLiteral("/mp3"), folder + QStringLiteral("mp3")))
        return false;
    // The settings row names the media folders by their full paths: point them at the
    // copies, so the lessons play from this folder as they would from a moved one.
    try {
        auto con = db::openLessonDatabase(folder + database, folder);
        con->exec(QStringLiteral("update bookset set 视频文件目录 = ?, 音频文件目录 = ?"),
                  {folder + QStringLiteral("video"), folder + QStringLiteral("mp3")});
    } catch (const VarendoError& e) {
        std::fprintf(stderr, "cannot set the media folders of the copied database: %s\n", qPrintable(e.message()));
        return false;
    }
    return true;
}

} // namespace varendo::bench
