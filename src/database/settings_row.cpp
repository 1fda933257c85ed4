#include "database/settings_row.h"

#include "common/playback_speed.h"
#include "common/varendo_error.h"

namespace varendo::db {

QString sampleAudioFile(const QString& audioDir)
{
    return audioDir + QStringLiteral("/1/001&002－Excuse Me.mp3");
}

QString fontStyleText(const LessonFontSettings& font)
{
    QString text;
    if (font.bold) text += QStringLiteral("fsbold,");
    if (font.italic) text += QStringLiteral("fsItalic,");
    if (font.underline) text += QStringLiteral("fsUnderline,");
    if (font.strikeOut) text += QStringLiteral("fsStrikeOut,");
    return text;
}

void applyFontStyleText(const QString& text, LessonFontSettings& font)
{
    font.bold = text.contains(QStringLiteral("fsbold"));
    font.italic = text.contains(QStringLiteral("fsItalic"));
    font.underline = text.contains(QStringLiteral("fsUnderline"));
    font.strikeOut = text.contains(QStringLiteral("fsStrikeOut"));
}

SettingsRow defaultSettings(const QString& appDir)
{
    SettingsRow row;
    row.videoDir = appDir + QStringLiteral("video");
    row.audioDir = appDir + QStringLiteral("mp3");
    row.showLessonNameFlag = QStringLiteral("1");
    row.showLessonStateFlag = QStringLiteral("1");
    return row;
}

namespace {

qint64 numberOr(Query& q, const QString& column, qint64 fallback, QStringList& problems)
{
    try {
        return q.FieldByName(column).AsInteger();
    } catch (const DatabaseError& e) {
        problems << e.message();
        return fallback;
    }
}

} // namespace

SettingsRow loadSettingsRow(const ConnectionPtr& connection, const QString& appDir,
                            const std::function<bool(const QString&)>& fileExists)
{
    SettingsRow row = defaultSettings(appDir);
    Query q(connection);
    q.SetSQL(QStringLiteral("select * from bookset order by ID"));
    q.Open();
    q.First();
    const bool haveRow = !q.Eof();
    if (haveRow) {
        row.videoDir = q.FieldByName(QStringLiteral("视频文件目录")).AsString().trimmed();
        row.audioDir = q.FieldByName(QStringLiteral("音频文件目录")).AsString().trimmed();
    }
    if (!fileExists(sampleAudioFile(row.audioDir))) {
        row.videoDir = appDir + QStringLiteral("video");
        row.audioDir = appDir + QStringLiteral("mp3");
    }
    if (!haveRow)
        return row;
    row.showLessonNameFlag = q.FieldByName(QStringLiteral("课程名显示")).AsString();
    row.showLessonStateFlag = q.FieldByName(QStringLiteral("课程状态显示")).AsString();
    row.font.name = q.FieldByName(QStringLiteral("字体")).AsString();
    // A family too long for the font column is kept whole beside it; it counts
    // only while the font column still names its beginning (nobody changed it since).
    const QString whole = q.FieldByName(QStringLiteral("自定义四")).AsString();
    if (!whole.isEmpty() && whole.startsWith(row.font.name) && !row.font.name.isEmpty())
        row.font.name = whole;
    row.font.pointSize = int(numberOr(q, QStringLiteral("字号"), row.font.pointSize, row.problems));
    row.font.colour = numberOr(q, QStringLiteral("颜色"), row.font.colour, row.problems);
    applyFontStyleText(q.FieldByName(QStringLiteral("状态")).AsString(), row.font);
    row.backgroundColour = numberOr(q, QStringLiteral("背景色"), row.backgroundColour, row.problems);
    // Empty until a speed is first chosen.
    const QString speed = q.FieldByName(QStringLiteral("自定义一")).AsString();
    if (const auto kept = parseSpeed(speed))
        row.playbackSpeed = *kept;
    else if (!speed.trimmed().isEmpty())
        row.problems << QStringLiteral("播放速度“%1”无法识别（应为 0.5 到 1.5）").arg(speed);
    return row;
}

namespace {

constexpr int kFontColumnWidth = 12;

// The row every save goes to; added with its defaults when there is none.
qint64 firstSettingsRow(const ConnectionPtr& connection)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        Query q(connection);
        q.SetSQL(QStringLiteral("select ID from bookset order by ID"));
        q.Open();
        q.First();
        if (!q.Eof())
            return q.FieldByName(QStringLiteral("ID")).AsInteger();
        connection->exec(QStringLiteral("insert into bookset default values"));
    }
    throw VarendoError(QStringLiteral("设置无法保存：bookset 表中没有设置行。"));
}

QVariantList fontValues(const LessonFontSettings& font)
{
    return {font.name.left(kFontColumnWidth), QString::number(font.pointSize), QString::number(font.colour),
            fontStyleText(font), font.name.size() > kFontColumnWidth ? font.name : QString()};
}

const QString kFontAssignments = QStringLiteral("字体 = ?, 字号 = ?, 颜色 = ?, 状态 = ?, 自定义四 = ?");

} // namespace

void saveSettingsRow(const ConnectionPtr& connection, const SettingsRow& row)
{
    const qint64 id = firstSettingsRow(connection);
    QVariantList params{row.videoDir, row.audioDir, row.showLessonNameFlag, row.showLessonStateFlag};
    params << fontValues(row.font) << QString::number(row.backgroundColour) << id;
    connection->exec(QStringLiteral("update bookset set 视频文件目录 = ?, 音频文件目录 = ?, 课程名显示 = ?, 课程状态显示 = ?, ")
                         + kFontAssignments + QStringLiteral(", 背景色 = ? where ID = ?"),
                     params);
}

void saveFontSettings(const ConnectionPtr& connection, const LessonFontSettings& font)
{
    const qint64 id = firstSettingsRow(connection);
    connection->exec(QStringLiteral("update bookset set ") + kFontAssignments + QStringLiteral(" where ID = ?"),
                     fontValues(font) << id);
}

void saveBackgroundColour(const ConnectionPtr& connection, qint64 value)
{
    const qint64 id = firstSettingsRow(connection);
    connection->exec(QStringLiteral("update bookset set 背景色 = ? where ID = ?"), {QString::number(value), id});
}

void savePlaybackSpeed(const ConnectionPtr& connection, int speed)
{
    const qint64 id = firstSettingsRow(connection);
    connection->exec(QStringLiteral("update bookset set 自定义一 = ? where ID = ?"), {speedText(speed), id});
}

} // namespace varendo::db
