// Choosing a book and a lesson, and showing the lesson's texts.
#include "app/main_window.h"

#include "common/lesson_label.h"
#include "database/lesson_schema.h"

#include <QComboBox>

using namespace varendo;

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
