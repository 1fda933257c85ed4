#include "ui/notes_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm3::TForm3(varendo::VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具   课程笔记管理"));
    resize(589, 433);

    grp5 = new QGroupBox(QStringLiteral("笔记内容"), this);
    mmo1 = new QPlainTextEdit(grp5);
    btn2 = new QPushButton(QStringLiteral("保存(&S)"), grp5);
    btn3 = new QPushButton(QStringLiteral("放弃(&C)"), grp5);
    btn4 = new QPushButton(QStringLiteral("退出(&X)"), grp5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn2);
    buttons->addWidget(btn3);
    buttons->addWidget(btn4);
    auto* editor = new QVBoxLayout(grp5);
    editor->addWidget(mmo1);
    editor->addLayout(buttons);

    grp1 = new QGroupBox(QStringLiteral("课程笔记列表"), this);
    lst1 = new QListWidget(grp1);
    auto* list = new QVBoxLayout(grp1);
    list->addWidget(lst1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grp5, 3);
    layout->addWidget(grp1, 1);
}
