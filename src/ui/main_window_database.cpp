// The main window's use of the lesson database: opening it at start and loading
// the settings row at the first show.
#include "ui/main_window.h"

#include "ui/lesson_panes.h"
#include "ui/message_box.h"
#include "ui/varendo_windows.h"
#include "common/colour_value.h"
#include "common/varendo_error.h"
#include "database/lesson_schema.h"
#include "database/settings_row.h"
#include "ui/notes_window.h"
#include "ui/progress_board.h"
#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace varendo;

void TForm1::dfcreat()
{
    qry1.reset();
    con1.reset();
    // Opens the file beside the program, creating it (with both tables and the
    // settings row) when missing.
    con1 = db::openLessonDatabase(appDir + QLatin1String(db::kDatabaseFileName), appDir);
    qry1 = std::make_unique<db::Query>(con1);
    qry1->SetSQL(db::bookSelection(), {QStringLiteral("1")});
    qry1->Open();
    qry1->First();
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

void TForm1::getset()
{
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
        ShowError(QStringLiteral("设置读取有误，已使用默认值：\n") + row.problems.join(QLatin1Char('\n')));
    w.Form4->lbledt->setText(row.videoDir);
    w.Form4->lbledt1->setText(row.audioDir);
    showLessonNameFlag = row.showLessonNameFlag;
    showLessonStateFlag = row.showLessonStateFlag;
    videoDir = w.Form4->lbledt->text();
    audioDir = w.Form4->lbledt1->text();

    const bool names = showLessonNameFlag == QLatin1String("1");
    const bool states = showLessonStateFlag == QLatin1String("1");
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
    lessonFont.font = font;
    lessonFont.color = colorFromValue(row.font.colour);

    const QColor background = colorFromValue(row.backgroundColour);
    for (QPlainTextEdit* pane : {mmo1, rzm1, rzm2, rzm3, w.Form3->mmo1})
        styleLessonPane(pane, lessonFont, background);
}
