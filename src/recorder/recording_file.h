#pragma once
// The working recording file, written as it is captured. A new recording goes
// to a temporary file beside the old one and replaces it when its first block
// arrives: a recording that never got going leaves the previous one in place.
// Each block reaches the operating system as it arrives, and the file is
// synced to disk at least once a second, so a crash or power cut keeps every
// block written so far.
#include <QString>

#include <memory>

class QTemporaryFile;

namespace varendo::recorder {

class RecordingFile {
public:
    RecordingFile();
    ~RecordingFile(); // finishes the recording
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    // Prepares a recording that will replace path. False, with the reason in
    // *error, when the folder does not take a new file.
    bool create(const QString& path, QString* error);
    // Appends bytes as they came; the first call puts the recording in place
    // of the old file. False, with the reason in Chinese, when the bytes could
    // not be stored (a full disk): the file then ends after its last whole
    // block, and nothing more is written.
    bool append(const char* data, qint64 size, QString* error);
    // Syncs and closes. A recording that received nothing is removed and the
    // old file stays as it was.
    void finish();

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return failed_; }
    qint64 bytesWritten() const { return written_; }
    // The bytes that replaced the old recording; none when the new one never got in place.
    qint64 keptBytes() const { return inPlace_ ? written_ : 0; }

private:
    bool sync(QString* error);

    std::unique_ptr<QTemporaryFile> file_;
    QString path_;
    bool inPlace_ = false;
    bool failed_ = false;
    qint64 written_ = 0;
    qint64 unsynced_ = 0;
};

} // namespace varendo::recorder
