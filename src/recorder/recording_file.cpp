#include "recorder/recording_file.h"

#include "recorder/recorder_state.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    auto fail = [&](const QString& reason) {
        failed_ = true;
        if (error)
            *error = reason;
        return false;
    };
    if (file_->write(data, size) != size || !file_->flush())
        return fail(file_->errorString());
    written_ += size;
    unsynced_ += size;
    if (!inPlace_) {
        // The open file keeps being written under its new name.
        if (std::rename(QFile::encodeName(file_->fileName()).constData(), QFile::encodeName(path_).constData()) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
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
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void RecordingFile::finish()
{
    if (!file_)
        return;
    if (inPlace_ && !failed_)
        sync(nullptr);
    const QString temporary = file_->fileName();
    file_->close();
    file_.reset();
    if (!inPlace_)
        QFile::remove(temporary);
}

} // namespace varendo::recorder
