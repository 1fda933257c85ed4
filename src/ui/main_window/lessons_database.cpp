// The lesson database as the main window uses it: opening it at start, its main
// query, the start lesson chosen at the first show and the settings row.
#include "ui/main_window.h"

#include "common/colour_value.h"
#include "common/folder_access.h"
#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "database/lesson_schema.h"
#include "database/settings_row.h"
#include "ui/lesson_panes.h"
#include "ui/message_box.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/settings_dialog.h"
#include "ui/varendo_windows.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <sqlite3.h>

using namespace varendo;

void TLessonsPart::dfcreat()
{
    qry1.reset();
    con1.reset();
    // Opens the file beside the program, creating it (with both tables and the
    // settings row) when missing.
    const QString& appDir = form_.appDir;
    con1 = db::openLessonDatabase(appDir + QLatin1String(db::kDatabaseFileName), appDir);
    qry1 = std::make_unique<db::Query>(con1);
    qry1->SetSQL(db::bookSelection(), {QStringLiteral("1")});
    qry1->Open();
    qry1->First();
}

void TLessonsPart::requireDatabase() const
{
    // dfcreat sets the connection and the main query together, or neither.
    if (!con1 || !qry1)
        throw db::DatabaseError(QStringLiteral("课程数据库没有打开，无法读取课程。"));
}

std::unique_ptr<db::Query> TLessonsPart::newQuery() const
{
    requireDatabase();
    return std::make_unique<db::Query>(con1);
}

const db::ConnectionPtr& TLessonsPart::database() const
{
    requireDatabase();
    return con1;
}

db::Query& TLessonsPart::mainQuery()
{
    requireDatabase();
    return *qry1;
}

void TLessonsPart::chooseStartLesson()
{
    if (!con1)
        return;
    // Start at the first lesson being studied, else the first not studied yet.
    // Only what the choice needs: the lesson texts of every book are not read at start.
    auto q = newQuery();
    q->SetSQL(QStringLiteral("select ID, 课本号, 课程编号, 课程状态 from book1 order by ID"));
    q->Open();
    if (q->Locate(QStringLiteral("课程状态"), QStringLiteral("学习中"))
        || q->Locate(QStringLiteral("课程状态"), QStringLiteral("未学习"))) {
        // The book first: a lesson number that does not read still leaves the
        // book's lessons listed.
        const QString bookText = q->FieldByName(QStringLiteral("课本号")).AsString();
        cbb1->setCurrentIndex(int(q->FieldByName(QStringLiteral("课本号")).AsInteger() - 1));
        getkbs(bookText);
        const db::Field number = q->FieldByName(QStringLiteral("课程编号"));
        qint64 lesson = 0;
        try {
            lesson = number.AsInteger();
        } catch (const db::DatabaseError&) {
            // Its place in the list cannot be worked out from the number, but the
            // row itself is listed: select it, so Play loads the lesson being studied.
            const QString label = lessonLabel(bookText, number.AsString());
            rzchcklst1->setCurrentIndex(std::max(rzchcklst1->findText(label), 0));
            throw VarendoError(QStringLiteral("开始学习的课程编号“%1”不是数字，无法按编号找到它在课程列表中的位置，"
                                              "已选中%2。请检查课程数据库中的这一行。")
                                   .arg(number.AsString(), rzchcklst1->currentText()));
        }
        rzchcklst1->setCurrentIndex(lessonListPosition(cbb1->currentIndex(), lesson));
    } else {
        getkbs(QStringLiteral("1"));
        rzchcklst1->setCurrentIndex(0);
    }
    q->Close();
}

namespace {

// Font and colours of a lesson pane; the background also serves focused and read-only.
void styleLessonPane(QPlainTextEdit* pane, const TLessonFont& font, const QColor& background)
{
    pane->setFont(font.font);
    setPaneColour(pane, QPalette::Base, background);
    setPaneColour(pane, QPalette::Text, font.color);
}

} // namespace

void TLessonsPart::warnIfReadOnly()
{
    // Said once, at start: otherwise the learner finds out at the first note,
    // study state, setting or recording that cannot be kept.
    const QString& appDir = form_.appDir;
    const bool databaseReadOnly = con1 && sqlite3_db_readonly(con1->handle(), "main") == 1;
    const bool folderReadOnly = !acceptsWrites(appDir);
    if (!folderReadOnly && !databaseReadOnly)
        return;
    readOnlyFolderTold = folderReadOnly;
    form_.w.messages.ShowMessage(
        QStringLiteral("程序目录“%1”不能写入：学习进度、笔记、设置和录音都无法保存。\n"
                       "课程仍可照常阅读和播放。要保存这些内容，请让该目录可以写入后重新打开本程序。")
            .arg(QDir::toNativeSeparators(appDir)));
}

void TLessonsPart::getset()
{
    const QString& appDir = form_.appDir;
    const auto exists = [](const QString& path) { return QFileInfo::exists(path); };
    // Whatever goes wrong, the folders are set: the program folder's own are the
    // fallback, and what could not be read is reported.
    db::SettingsRow row = db::defaultSettings(appDir);
    if (con1) {
        try {
            row = db::loadSettingsRow(con1, appDir, exists);
        } catch (const VarendoError& e) {
            row.problems << e.message();
        }
    }
    if (!row.problems.isEmpty())
        form_.w.messages.ShowError(QStringLiteral("设置读取有误，已使用默认值：\n") + row.problems.join(QLatin1Char('\n')));
    VarendoWindows& w = form_.w;
    w.Form4->lbledt->setText(row.videoDir);
    w.Form4->lbledt1->setText(row.audioDir);
    form_.showLessonNameFlag = row.showLessonNameFlag;
    form_.showLessonStateFlag = row.showLessonStateFlag;
    videoDir = w.Form4->lbledt->text();
    audioDir = w.Form4->lbledt1->text();

    const bool names = row.showLessonNameFlag == QLatin1String("1");
    const bool states = row.showLessonStateFlag == QLatin1String("1");
    w.Form4->chk1->setChecked(names);
    w.Form5->chk1->setChecked(names);
    w.Form4->chk2->setChecked(states);
    w.Form5->chk2->setChecked(states);

    QFont font(row.font.name);
    if (row.font.pointSize > 0)
        font.setPointSize(row.font.pointSize);
    font.setBold(row.font.bold);
    font.setItalic(row.font.italic);
    font.setUnderline(row.font.underline);
    font.setStrikeOut(row.font.strikeOut);
    TLessonFont& lessonFont = form_.lessonFont;
    lessonFont.font = font;
    lessonFont.color = colorFromValue(row.font.colour);

    form_.lessonBackgroundValue = row.backgroundColour;
    styleLessonPanes();
    form_.usePlaybackSpeed(row.playbackSpeed);
}

void TLessonsPart::styleLessonPanes()
{
    const QColor background = colorFromValue(form_.lessonBackgroundValue);
    for (QPlainTextEdit* pane : {mmo1, rzm1, rzm2, rzm3, form_.w.Form3->mmo1})
        styleLessonPane(pane, form_.lessonFont, background);
}
