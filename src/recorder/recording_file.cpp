#include "recorder/recording_file.h"

#include "common/whole_file.h"
#include "recorder/recorder_state.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace varendo::recorder {

RecordingFile::RecordingFile() = default;

RecordingFile::~RecordingFile()
{
    finish();
}

bool RecordingFile::create(const QString& path, QString* error)
{
    finish();
    path_ = QFileInfo(path).absoluteFilePath();
    inPlace_ = failed_ = false;
    written_ = unsynced_ = 0;
    // Beside the target, so putting it in place is a rename on the same disk.
    auto file = std::make_unique<QTemporaryFile>(path_ + QStringLiteral(".XXXXXX"));
    file->setAutoRemove(false);
    if (!file->open()) {
        if (error)
            *error = file->errorString();
        return false;
    }
    file->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);
    file_ = std::move(file);
    return true;
}

bool RecordingFile::append(const char* data, qint64 size, QString* error)
{
    if (!file_ || failed_)
        return false;
    auto fail = [&](int code) {
        failed_ = true;
        if (error)
            *error = fileErrorText(code);
        return false;
    };
    // Straight to the file, not through a buffer, so a failure is seen here with its cause.
    qint64 done = 0;
    if (!writeFully(file_->handle(), data, size, &done)) {
        const int code = errno;
        // A block cut short would play as noise: the file ends after the last whole one.
        written_ += done;
        written_ -= written_ % kBlockBytes;
        if (::ftruncate(file_->handle(), written_) != 0)
            written_ = 0;
        return fail(code);
    }
    written_ += size;
    unsynced_ += size;
    if (!inPlace_) {
        // The open file keeps being written under its new name.
        if (std::rename(QFile::encodeName(file_->fileName()).constData(), QFile::encodeName(path_).constData()) != 0)
            return fail(errno);
        inPlace_ = true;
    }
    if (unsynced_ >= kBytesPerSecond && !sync(error)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool RecordingFile::sync(QString* error)
{
    unsynced_ = 0;
    if (::fdatasync(file_->handle()) == 0)
        return true;
    if (error)
        *error = fileErrorText(errno);
    return false;
}

void RecordingFile::finish()
{
    if (!file_)
        return;
    if (inPlace_)
        sync(nullptr);
    const QString temporary = file_->fileName();
    file_->close();
    file_.reset();
    if (!inPlace_)
        QFile::remove(temporary);
}

} // namespace varendo::recorder
