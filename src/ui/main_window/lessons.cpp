// Choosing a book and a lesson, and showing the lesson's texts.
#include "ui/main_window.h"

#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "database/content_cipher.h"
#include "database/lesson_record.h"
#include "database/lesson_schema.h"
#include "study/lesson_notes.h"
#include "ui/event_hook.h"
#include "ui/lesson_panes.h"
#include "ui/media_list_window.h"
#include "ui/message_box.h"
#include "ui/notes_window.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace varendo;

void TLessonsPart::connectLessonHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    // Only the learner's choices run the change handlers, not the program's own selections.
    QObject::connect(cbb1, &QComboBox::activated, &form_,
                     [this, &boxes] { boxes.guarded([this] { cbb1Change(cbb1); }); });
    QObject::connect(rzchcklst1, &QComboBox::activated, &form_,
                     [this, &boxes] { boxes.guarded([this] { rzchcklst1Change(rzchcklst1); }); });

    // A typed character goes to the list's key handler first; one it clears is discarded.
    using KeyHandler = void (TLessonsPart::*)(QObject*, QChar&);
    for (auto [list, handler] : {std::pair{cbb1, KeyHandler(&TLessonsPart::cbb1KeyPress)},
                                 std::pair{rzchcklst1, KeyHandler(&TLessonsPart::rzchcklst1KeyPress)}}) {
        onEvent(list, QEvent::KeyPress, [this, list = list, handler = handler](QEvent* event) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.isEmpty() || !text.at(0).isPrint())
                return false;
            QChar typed = text.at(0);
            (this->*handler)(list, typed);
            return typed.isNull();
        });
    }

    // The handlers toggle their own check marks.
    for (auto [item, handler] : {std::pair{N7, &TLessonsPart::N7Click}, std::pair{N8, &TLessonsPart::N8Click},
                                 std::pair{F2, &TLessonsPart::F2Click}}) {
        QObject::connect(item, &QAction::triggered, &form_, [this, &boxes, item = item, handler = handler] {
            item->setChecked(!item->isChecked());
            boxes.guarded([this, item, handler] { (this->*handler)(item); });
        });
    }
}

void TLessonsPart::getkbs(const QString& book)
{
    auto& q = mainQuery();
    q.SetSQL(db::lessonListSelection(), {book});
    q.Open();
    q.First();
    rzchcklst1->clear();
    for (; !q.Eof(); q.Next())
        rzchcklst1->addItem(lessonLabel(book, q.FieldByName(QStringLiteral("课程编号")).AsString()));
    q.First();
    rzchcklst1->setCurrentIndex(rzchcklst1->count() > 0 ? 0 : -1);
}

QString TLessonsPart::getkcs(const QString& book, const QString& lesson)
{
    grp7->setTitle(cbb1->currentText());

    // Only this lesson's row, and of its long texts only what a pane can show.
    const std::optional<db::LessonRecord> row = db::readLesson(database(), book, lesson);
    if (!row)
        throw VarendoError(QStringLiteral("课程数据库中找不到%1。").arg(lessonLabel(book, lesson)));
    const auto shown = [](const QString& text, bool cut) { return db::paneText(study::editorText(text), cut); };
    rzm1->setPlainText(shown(row->title.value, row->title.cut));

    // A text that does not decode leaves its pane empty, and the learner is told:
    // the previous lesson's text must never stand under this lesson's title.
    QStringList unreadable;
    const auto decoded = [&](const db::StoredText& stored, const QString& what) {
        if (stored.value.isEmpty())
            return QString();
        try {
            return shown(decodeColumn(stored.value), stored.cut);
        } catch (const CipherError&) {
            unreadable << what;
            return QString();
        }
    };
    mmo1->setPlainText(decoded(row->text, QStringLiteral("课文内容")));
    rzm2->setPlainText(decoded(row->words, QStringLiteral("生词和短语")));
    mmo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    rzm3->setPlainText(shown(row->translation.value, row->translation.cut));
    // The notes editor turns to this lesson, its caption and text together.
    const study::LessonNotes notes{{row->id, lessonLabel(row->book, row->number)}, study::editorText(row->notes)};
    shownLessonId = notes.lesson.id;
    form_.w.Form3->followLesson(notes);

    // A lesson whose timing does not decode still shows and plays, without sentence tracking.
    QStringList& timing = form_.timingList;
    timing.clear();
    try {
        const QString text = decodeColumn(row->timing);
        timing = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        if (!timing.isEmpty() && timing.last().isEmpty())
            timing.removeLast();
    } catch (const CipherError&) {
    }

    lbl1->setVisible(!notes.text.isEmpty());
    if (!unreadable.isEmpty())
        form_.w.messages.ShowMessage(QStringLiteral("%1的%2无法读取，已留空。\n课程数据库中的这部分内容可能已损坏。")
                                         .arg(notes.lesson.label, unreadable.join(QStringLiteral("和"))));

    if (form_.rg1->ItemIndex() == 1)
        return audioDir.trimmed() + QLatin1Char('/') + book + QLatin1Char('/') + row->audio;
    return videoDir.trimmed() + QLatin1Char('/') + row->video;
}

void TLessonsPart::getkcnr()
{
    if (form_.w.Form6->isVisible())
        form_.w.Form6->hide();
    requireDatabase();
    if (rzchcklst1->currentIndex() < 0) {
        if (rzchcklst1->count() == 0)
            throw VarendoError(QStringLiteral("没有选中的课程：%1还没有课程。\n课程数据库中没有这一册的课程，请选择其他册，或先安装课程。")
                                   .arg(cbb1->currentText()));
        throw VarendoError(QStringLiteral("没有选中的课程：请先在课程列表中选择一课，再播放。"));
    }
    // A lesson chosen after a file was opened directly plays as a lesson again,
    // in the player the last file used.
    if (form_.rg1->ItemIndex() == -1)
        form_.rg1->SetItemIndex(form_.playMode == QLatin1String("mp3") ? 1 : 0);
    const QString lesson = lessonNumberOf(rzchcklst1->currentText());
    const QString book = QString::number(cbb1->currentIndex() + 1);
    const QString path = getkcs(book, lesson);
    form_.playvarendo(path, 1);
}

void TLessonsPart::cbb1Change(QObject*)
{
    getkbs(QString::number(cbb1->currentIndex() + 1));
    getkcnr();
}

void TLessonsPart::rzchcklst1Change(QObject*)
{
    getkcnr();
}

void TLessonsPart::cbb1KeyPress(QObject*, QChar& key)
{
    key = QChar(0);
}

void TLessonsPart::rzchcklst1KeyPress(QObject*, QChar& key)
{
    key = QChar(0);
}

QColor TLessonsPart::paneTextColour(QPlainTextEdit* pane) const
{
    const QAction* item = pane == mmo1 ? N7 : pane == rzm2 ? N8 : pane == rzm3 ? F2 : nullptr;
    if (item && !item->isChecked())
        return pane->palette().color(QPalette::Base);
    return form_.lessonFont.color;
}

void TLessonsPart::togglePaneText(QAction* item, QPlainTextEdit* pane)
{
    item->setChecked(!item->isChecked());
    setPaneColour(pane, QPalette::Text, paneTextColour(pane));
}

void TLessonsPart::N7Click(QObject*)
{
    togglePaneText(N7, mmo1);
}

void TLessonsPart::N8Click(QObject*)
{
    togglePaneText(N8, rzm2);
}

void TLessonsPart::F2Click(QObject*)
{
    togglePaneText(F2, rzm3);
}
