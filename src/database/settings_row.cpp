#include "database/settings_row.h"

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
    row.font.pointSize = int(numberOr(q, QStringLiteral("字号"), row.font.pointSize, row.problems));
    row.font.colour = numberOr(q, QStringLiteral("颜色"), row.font.colour, row.problems);
    applyFontStyleText(q.FieldByName(QStringLiteral("状态")).AsString(), row.font);
    row.backgroundColour = numberOr(q, QStringLiteral("背景色"), row.backgroundColour, row.problems);
    return row;
}

void saveSettingsRow(const ConnectionPtr& connection, const SettingsRow& row)
{
    const QVariantList values{row.videoDir,
                              row.audioDir,
                              row.showLessonNameFlag,
                              row.showLessonStateFlag,
                              row.font.name,
                              QString::number(row.font.pointSize),
                              QString::number(row.font.colour),
                              fontStyleText(row.font),
                              QString::number(row.backgroundColour)};
    Query q(connection);
    q.SetSQL(QStringLiteral("select ID from bookset order by ID"));
    q.Open();
    q.First();
    if (q.Eof()) {
        connection->exec(QStringLiteral("insert into bookset (视频文件目录, 音频文件目录, 课程名显示, 课程状态显示, 字体, 字号, "
                                        "颜色, 状态, 背景色) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                         values);
        return;
    }
    QVariantList params = values;
    params << q.FieldByName(QStringLiteral("ID")).AsInteger();
    connection->exec(QStringLiteral("update bookset set 视频文件目录 = ?, 音频文件目录 = ?, 课程名显示 = ?, 课程状态显示 = ?, "
                                    "字体 = ?, 字号 = ?, 颜色 = ?, 状态 = ?, 背景色 = ? where ID = ?"),
                     params);
}

} // namespace varendo::db
