#include "database/settings_row.h"

#include "common/colour_value.h"
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
    row.storedVideoDir = row.videoDir;
    row.storedAudioDir = row.audioDir;
    return row;
}

namespace {

// A stored number, or the fallback when it does not read or is not a value the
// program could have stored (the reason is added to problems).
qint64 numberOr(Query& q, const QString& column, qint64 fallback, QStringList& problems,
                const std::function<bool(qint64)>& usable, const QString& range)
{
    qint64 value = fallback;
    try {
        value = q.FieldByName(column).AsInteger();
    } catch (const DatabaseError& e) {
        problems << e.message();
        return fallback;
    }
    if (usable(value))
        return value;
    problems << QStringLiteral("字段“%1”的值“%2”不可用（%3）。").arg(column, q.FieldByName(column).AsString(), range);
    return fallback;
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
        row.storedVideoDir = row.videoDir;
        row.storedAudioDir = row.audioDir;
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
    const auto pointSize = [](qint64 v) { return v >= kMinFontPointSize && v <= kMaxFontPointSize; };
    const QString sizes = QStringLiteral("字号应为 %1 到 %2").arg(kMinFontPointSize).arg(kMaxFontPointSize);
    const QString colours = QStringLiteral("应为 0 到 16777215 的颜色值，或表示系统颜色的负数");
    row.font.pointSize = int(numberOr(q, QStringLiteral("字号"), row.font.pointSize, row.problems, pointSize, sizes));
    row.font.colour = numberOr(q, QStringLiteral("颜色"), row.font.colour, row.problems, isColourValue, colours);
    applyFontStyleText(q.FieldByName(QStringLiteral("状态")).AsString(), row.font);
    row.backgroundColour =
        numberOr(q, QStringLiteral("背景色"), row.backgroundColour, row.problems, isColourValue, colours);
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
