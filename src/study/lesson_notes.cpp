#include "study/lesson_notes.h"

#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "database/lesson_schema.h"

namespace varendo::study {

namespace {

const QString kNotes = QStringLiteral("备注");
const QString kFlag = QStringLiteral("笔记");

NotedLesson rowLesson(db::Query& q)
{
    return {q.FieldByName(QStringLiteral("ID")).AsInteger(),
            lessonLabel(q.FieldByName(QStringLiteral("课本号")).AsString(),
                        q.FieldByName(QStringLiteral("课程编号")).AsString())};
}

std::optional<LessonNotes> firstRow(db::Query& q)
{
    q.Open();
    q.First();
    if (q.Eof())
        return std::nullopt;
    return LessonNotes{rowLesson(q), editorText(q.FieldByName(kNotes).AsString())};
}

// Writes the notes and flag of the lesson's own row, found by its ID.
void writeRow(const db::ConnectionPtr& connection, const NotedLesson& lesson, const QString& notes,
              const QString& flag)
{
    db::Query q(connection);
    q.SetSQL(QStringLiteral("select * from book1 where ID=?"), {lesson.id});
    q.Open();
    if (q.Eof())
        throw VarendoError(QStringLiteral("课程数据库中已找不到%1。").arg(lesson.label));
    q.Edit();
    q.FieldByName(kNotes).SetAsString(notes);
    q.FieldByName(kFlag).SetAsString(flag);
    q.Post();
}

} // namespace

QString editorText(const QString& stored)
{
    QString t = stored;
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString storedText(const QString& edited)
{
    // A line break already paired with its CR is kept as it is.
    return editorText(edited).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QList<NotedLesson> notedLessons(const db::ConnectionPtr& connection)
{
    db::Query q(connection);
    q.SetSQL(QStringLiteral("select ID, 课本号, 课程编号 from book1 where 笔记=? order by ID"),
             {QStringLiteral("有")});
    q.Open();
    QList<NotedLesson> lessons;
    for (q.First(); !q.Eof(); q.Next())
        lessons << rowLesson(q);
    return lessons;
}

std::optional<LessonNotes> lessonNotes(const db::ConnectionPtr& connection, qint64 id)
{
    db::Query q(connection);
    q.SetSQL(QStringLiteral("select ID, 课本号, 课程编号, 备注 from book1 where ID=?"), {id});
    return firstRow(q);
}

std::optional<LessonNotes> lessonNotes(const db::ConnectionPtr& connection, const QString& book,
                                       const QString& lesson)
{
    db::Query q(connection);
    q.SetSQL(db::lessonSelection(), {book, lesson});
    return firstRow(q);
}

void saveNotes(const db::ConnectionPtr& connection, const NotedLesson& lesson, const QString& edited)
{
    writeRow(connection, lesson, storedText(edited), QStringLiteral("有"));
}

void clearNotes(const db::ConnectionPtr& connection, const NotedLesson& lesson)
{
    writeRow(connection, lesson, QStringLiteral(""), QStringLiteral("无"));
}

} // namespace varendo::study
