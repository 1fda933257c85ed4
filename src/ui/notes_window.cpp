#include "ui/notes_window.h"

#include "common/lesson_label.h"
#include "common/varendo_error.h"
#include "ui/event_hook.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/varendo_windows.h"
#include "ui/window_frame.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>

using namespace varendo;

namespace {

const QString kCaptionEnd = QStringLiteral(" 课程笔记");

// Runs a database write; its failure names what was being done, then the reason.
template <typename Write>
void writing(const QString& doing, Write write)
{
    try {
        write();
    } catch (const VarendoError& e) {
        throw VarendoError(doing + QLatin1Char('\n') + e.message());
    }
}

} // namespace

TForm3::TForm3(VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具   课程笔记管理"));

    grp5 = new QGroupBox(QStringLiteral("笔记内容"), this);
    grp5->move(0, 0);
    mmo1 = new QPlainTextEdit(grp5);
    mmo1->move(4, 16);
    btn2 = new QPushButton(QStringLiteral("保存(&S)"), grp5);
    btn3 = new QPushButton(QStringLiteral("放弃(&C)"), grp5);
    btn4 = new QPushButton(QStringLiteral("退出(&X)"), grp5);
    int left = 188;
    for (QPushButton* b : {btn2, btn3, btn4}) {
        b->setGeometry(left, 0, 75, 25);
        left += 85;
    }

    grp1 = new QGroupBox(QStringLiteral("课程笔记列表"), this);
    lst1 = new QListWidget(grp1);
    lst1->move(4, 16);
    lst1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lst1->setUniformItemSizes(true);
    lst1->setContextMenuPolicy(Qt::CustomContextMenu);

    pm1 = new QMenu(this);
    A1 = pm1->addAction(QStringLiteral("全选(&A)"));
    C1 = pm1->addAction(QStringLiteral("全清(&C)"));
    N1 = pm1->addSeparator();
    N2 = pm1->addAction(QStringLiteral("删除(&D)"));
    connect(lst1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pm1->popup(lst1->viewport()->mapToGlobal(at)); });

    const MessageBoxes& boxes = w.messages;
    using Handler = void (TForm3::*)(QObject*);
    auto handle = [this, &boxes](QObject* sender, Handler handler) {
        boxes.guarded([this, sender, handler] { (this->*handler)(sender); });
    };
    for (auto [button, handler] : {std::pair{btn2, &TForm3::btn2Click}, std::pair{btn3, &TForm3::btn3Click},
                                   std::pair{btn4, &TForm3::btn4Click}})
        connect(button, &QPushButton::clicked, this, [handle, button = button, handler = handler] { handle(button, handler); });
    for (auto [item, handler] : {std::pair{A1, &TForm3::A1Click}, std::pair{C1, &TForm3::C1Click},
                                 std::pair{N2, &TForm3::N2Click}})
        connect(item, &QAction::triggered, this, [handle, item = item, handler = handler] { handle(item, handler); });
    connect(lst1, &QListWidget::itemClicked, this, [=, this] { handle(lst1, &TForm3::lst1Click); });

    resize(589 - kFrameWidth, 433 - kFrameHeight);
}

void TForm3::showEvent(QShowEvent* event)
{
    // Placed over the middle of the main window when first shown; later the learner's place stays.
    if (!placed_) {
        placed_ = true;
        centreOver(*this, *w.Form1);
    }
    QWidget::showEvent(event);
    if (!event->spontaneous())
        w.messages.guarded([this] { FormShow(this); });
}

void TForm3::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize(this);
}

void TForm3::editNotes(const std::optional<study::LessonNotes>& notes)
{
    edited_ = notes ? notes->lesson : study::NotedLesson{};
    grp5->setTitle(notes ? notes->lesson.label + kCaptionEnd : QStringLiteral("笔记内容"));
    mmo1->setPlainText(notes ? notes->text : QString());
    mmo1->document()->setModified(false);
}

void TForm3::followLesson(const study::LessonNotes& notes)
{
    if (!mmo1->document()->isModified())
        editNotes(notes);
}

std::optional<study::LessonNotes> TForm3::mainWindowLesson()
{
    TForm1* f = w.Form1;
    if (f->rzchcklst1->currentIndex() < 0)
        return std::nullopt;
    return study::lessonNotes(f->database(), QString::number(f->cbb1->currentIndex() + 1),
                              lessonNumberOf(f->rzchcklst1->currentText().trimmed()));
}

void TForm3::markMainWindow(qint64 id, bool hasNotes)
{
    if (id == w.Form1->shownLessonId)
        w.Form1->lbl1->setVisible(hasNotes);
}

void TForm3::rebuildList()
{
    const QList<study::NotedLesson> lessons = study::notedLessons(w.Form1->database());
    lst1->clear();
    for (const study::NotedLesson& lesson : lessons) {
        auto* item = new QListWidgetItem(lesson.label, lst1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, lesson.id);
        item->setSizeHint(QSize(0, 17));
    }
}

void TForm3::FormShow(QObject*)
{
    mmo1->setFocus();
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具   课程笔记管理"));
    rebuildList();
    // The editor turns to the main window's lesson, unless it holds unsaved notes of
    // another lesson: those stay, under their own lesson's name.
    const auto current = mainWindowLesson();
    const qint64 currentId = current ? current->lesson.id : -1;
    if (currentId != edited_.id && !mmo1->document()->isModified())
        editNotes(current);
}

void TForm3::FormResize(QObject*)
{
    const int W = width() + kFrameWidth;
    const int H = height() + kFrameHeight;
    grp5->resize(W - 141, H - 33);
    for (QPushButton* b : {btn2, btn3, btn4})
        b->move(b->x(), H - 65);
    mmo1->resize(W - 148, H - 83);
    grp1->setGeometry(grp5->width() + 2, 0, width() - grp5->width() - 2, H - 33);
    lst1->resize(grp1->width() - 8, H - 56);
}

void TForm3::lst1Click(QObject*)
{
    QListWidgetItem* item = lst1->currentItem();
    if (!item)
        return;
    const qint64 id = item->data(Qt::UserRole).toLongLong();
    const auto notes = study::lessonNotes(w.Form1->database(), id);
    if (!notes)
        throw VarendoError(QStringLiteral("课程数据库中已找不到%1。").arg(item->text()));
    editNotes(notes);
}

void TForm3::btn2Click(QObject*)
{
    if (edited_.id < 0)
        throw VarendoError(QStringLiteral("没有选定课程，笔记无法保存。请先在主窗口中选择一课。"));
    if (mmo1->toPlainText().isEmpty()) {
        // Nothing is written, so the stored notes stay; saying "saved" would mislead.
        w.messages.ShowMessage(QStringLiteral("笔记内容为空，没有保存。\n要清除这一课的笔记，请在课程笔记列表中勾选它，"
                                              "再从右键菜单中选择“删除”。"));
        return;
    }
    // A failed write throws before anything else changes: the typed text stays.
    writing(QStringLiteral("%1的笔记未能保存，编辑框中的内容保留未动。").arg(edited_.label),
            [this] { study::saveNotes(w.Form1->database(), edited_, mmo1->toPlainText()); });
    mmo1->document()->setModified(false);
    markMainWindow(edited_.id, true);
    rebuildList();
    w.messages.ShowMessage(QStringLiteral("保存完成！"));
}

void TForm3::btn3Click(QObject*)
{
    if (edited_.id < 0) {
        editNotes(std::nullopt);
        return;
    }
    const auto notes = study::lessonNotes(w.Form1->database(), edited_.id);
    if (!notes)
        throw VarendoError(QStringLiteral("课程数据库中已找不到%1，编辑框中的笔记保留未动。").arg(edited_.label));
    editNotes(notes);
}

void TForm3::btn4Click(QObject*)
{
    hide();
}

void TForm3::A1Click(QObject*)
{
    for (int i = 0; i < lst1->count(); ++i)
        lst1->item(i)->setCheckState(Qt::Checked);
}

void TForm3::C1Click(QObject*)
{
    for (int i = 0; i < lst1->count(); ++i)
        lst1->item(i)->setCheckState(Qt::Unchecked);
}

void TForm3::N2Click(QObject*)
{
    QList<study::NotedLesson> ticked;
    for (int i = 0; i < lst1->count(); ++i) {
        const QListWidgetItem* item = lst1->item(i);
        if (item->checkState() == Qt::Checked)
            ticked << study::NotedLesson{item->data(Qt::UserRole).toLongLong(), item->text()};
    }
    if (ticked.isEmpty()) {
        w.messages.ShowMessage(QStringLiteral("没有勾选任何课程，没有清除笔记。"));
        return;
    }
    // Rows are cleared one by one; when one fails, the list still shows what was cleared.
    try {
        for (const study::NotedLesson& lesson : ticked) {
            writing(QStringLiteral("%1的笔记未能清除。").arg(lesson.label),
                    [this, &lesson] { study::clearNotes(w.Form1->database(), lesson); });
            markMainWindow(lesson.id, false);
        }
    } catch (...) {
        rebuildList();
        throw;
    }
    rebuildList();
    w.messages.ShowMessage(QStringLiteral("笔记已清除！"));
}
