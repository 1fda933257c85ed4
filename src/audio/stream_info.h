#pragma once
// What an internet stream says about itself: its header lines and its latest metadata.
#include <QString>
#include <optional>
#include <string>

namespace varendo {

struct TStreamInfo {
    QString name;        // icy-name
    QString genre;       // icy-genre
    QString url;         // icy-url
    QString bitRate;     // icy-br
    QString streamTitle; // StreamTitle='…' of the metadata
    QString streamUrl;   // StreamUrl='…' of the metadata
    QString notices;     // icy-notice1, icy-notice2 … each followed by a blank
};

// Reads the header block (NUL-terminated lines, at most its first 400 bytes) and the
// metadata text into info. Each of the first six fields is assigned only when its line
// is found; notices are appended to.
void readStreamInfo(const std::optional<std::string>& headerBlock,
                    const std::optional<std::string>& metadata, TStreamInfo& info);

} // namespace varendo
