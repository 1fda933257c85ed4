#pragma once
// The settings row of bookset as the program uses it.
#include "common/playback_speed.h"
#include "database/dataset.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace varendo::db {

// Font sizes the font dialog offers; a stored size outside them is not used.
inline constexpr int kMinFontPointSize = 1;
inline constexpr int kMaxFontPointSize = 512;

struct LessonFontSettings {
    // The whole family name. The font column holds 12 characters, so a longer
    // name is kept whole in the spare memo column 自定义四 as well.
    QString name = QStringLiteral("微软雅黑");
    int pointSize = 12;
    qint64 colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct SettingsRow {
    QString videoDir;            // the folders in force: trimmed, as stored, unless refused
    QString audioDir;
    // The folders as stored (trimmed); they differ from the two above when the
    // stored audio folder lacks the sample file and the program folder's are used.
    QString storedVideoDir;
    QString storedAudioDir;
    QString showLessonNameFlag;  // "1" or "0"
    QString showLessonStateFlag;
    LessonFontSettings font;
    qint64 backgroundColour = -16777192;
    // Tenths (common/playback_speed.h), kept in the spare column 自定义一.
    int playbackSpeed = kNormalSpeed;
    // Values that could not be read; their defaults were used instead.
    QStringList problems;
};

// The settings a program folder starts with when there is no usable row.
SettingsRow defaultSettings(const QString& appDir);

// The file whose presence tells that an audio folder holds the course.
QString sampleAudioFile(const QString& audioDir);

// Reads the first settings row. With no row, the folders are the program folder's
// "video" and "mp3" and the rest keeps its defaults. When the audio folder lacks the
// sample file, both folders fall back to the program folder's (for this run only).
// A number that does not read keeps its default and is listed in problems.
SettingsRow loadSettingsRow(const ConnectionPtr& connection, const QString& appDir,
                            const std::function<bool(const QString&)>& fileExists);

// Writes the folders, display flags, font and background into the first
// settings row, or adds the row when there is none. Values are bound.
void saveSettingsRow(const ConnectionPtr& connection, const SettingsRow& row);

// Writes the font columns of the first settings row.
void saveFontSettings(const ConnectionPtr& connection, const LessonFontSettings& font);
// Writes the background colour of the first settings row.
void saveBackgroundColour(const ConnectionPtr& connection, qint64 value);

// Writes the playback speed (tenths) into the first settings row's 自定义一.
void savePlaybackSpeed(const ConnectionPtr& connection, int speed);

// The style column: "fsbold," "fsItalic," "fsUnderline," "fsStrikeOut," for each style on.
QString fontStyleText(const LessonFontSettings& font);
void applyFontStyleText(const QString& text, LessonFontSettings& font);

} // namespace varendo::db
