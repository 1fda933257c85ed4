// Choosing a book and a lesson, and showing the lesson's texts.
#include "ui/main_window.h"

#include "ui/lesson_panes.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"
#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "database/content_cipher.h"
#include "database/lesson_schema.h"
#include "ui/media_list_window.h"
#include "ui/notes_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace varendo;

namespace {

// Stored texts end their lines with CR LF; the panes show plain line breaks.
QString paneText(const QString& stored)
{
    QString t = stored;
    return t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

void TForm1::getkbs(const QString& book)
{
    auto& q = mainQuery();
    q.SetSQL(db::bookSelection(), {book});
    q.Open();
    q.First();
    rzchcklst1->clear();
    for (; !q.Eof(); q.Next())
        rzchcklst1->addItem(lessonLabel(book, q.FieldByName(QStringLiteral("课程编号")).AsString()));
    q.First();
    rzchcklst1->setCurrentIndex(rzchcklst1->count() > 0 ? 0 : -1);
}

QString TForm1::getkcs(const QString& book, const QString& lesson)
{
    grp7->setTitle(cbb1->currentText());

    auto& q = mainQuery();
    q.SetSQL(db::lessonSelection(), {book, lesson});
    q.Open();
    q.First();
    if (q.Eof())
        throw VarendoError(QStringLiteral("课程数据库中找不到%1。").arg(lessonLabel(book, lesson)));
    rzm1->setPlainText(paneText(q.FieldByName(QStringLiteral("课程名")).AsString()));

    // A text that does not decode leaves its pane, and the one after it, as they were.
    try {
        mmo1->setPlainText(paneText(decodeColumn(q.FieldByName(QStringLiteral("课程内容")).AsString())));
        rzm2->setPlainText(paneText(decodeColumn(q.FieldByName(QStringLiteral("生词短语")).AsString())));
    } catch (const CipherError&) {
    }
    mmo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    rzm3->setPlainText(paneText(q.FieldByName(QStringLiteral("参考译文")).AsString()));
    w.Form3->mmo1->setPlainText(paneText(q.FieldByName(QStringLiteral("备注")).AsString()));

    // A lesson whose timing does not decode still shows and plays, without sentence tracking.
    timingList.clear();
    try {
        const QString timing = decodeColumn(q.FieldByName(QStringLiteral("时间刻度")).AsString());
        timingList = timing.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        if (!timingList.isEmpty() && timingList.last().isEmpty())
            timingList.removeLast();
    } catch (const CipherError&) {
    }

    lbl1->setVisible(!w.Form3->mmo1->toPlainText().isEmpty());

    if (rg1->ItemIndex() == 1)
        return audioDir.trimmed() + QLatin1Char('/') + book + QLatin1Char('/')
            + q.FieldByName(QStringLiteral("音频文件名")).AsString();
    return videoDir.trimmed() + QLatin1Char('/') + q.FieldByName(QStringLiteral("视频文件名")).AsString();
}

void TForm1::getkcnr()
{
    if (w.Form6->isVisible())
        w.Form6->hide();
    if (rzchcklst1->currentIndex() < 0)
        throw VarendoError(QStringLiteral("没有选中的课程：这一册还没有课程。"));
    const QString lesson = lessonNumberOf(rzchcklst1->currentText());
    const QString book = QString::number(cbb1->currentIndex() + 1);
    const QString path = getkcs(book, lesson);
    playvarendo(path, 1);
}

void TForm1::cbb1Change(QObject*)
{
    getkbs(QString::number(cbb1->currentIndex() + 1));
    getkcnr();
}

void TForm1::rzchcklst1Change(QObject*)
{
    getkcnr();
}

void TForm1::cbb1KeyPress(QObject*, QChar& key)
{
    key = QChar(0);
}

void TForm1::rzchcklst1KeyPress(QObject*, QChar& key)
{
    key = QChar(0);
}

void TForm1::togglePaneText(QAction* item, QPlainTextEdit* pane)
{
    item->setChecked(!item->isChecked());
    setPaneColour(pane, QPalette::Text, item->isChecked() ? lessonFont.color : pane->palette().color(QPalette::Base));
}

void TForm1::N7Click(QObject*)
{
    togglePaneText(N7, mmo1);
}

void TForm1::N8Click(QObject*)
{
    togglePaneText(N8, rzm2);
}

void TForm1::F2Click(QObject*)
{
    togglePaneText(F2, rzm3);
}

void TForm1::B1Click(QObject*)
{
    w.Form3->show();
    w.Form3->raise();
}

void TForm1::lbl1DblClick(QObject* sender)
{
    B1Click(sender);
}
