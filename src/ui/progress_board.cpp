#include "ui/progress_board.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TForm5::TForm5(varendo::VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具    课程学习进度管理"));

    grp1 = new QGroupBox(QStringLiteral("课程学习进度"), this);
    rzstrngrd1 = new QTableWidget(12, 8, grp1);
    auto* board = new QVBoxLayout(grp1);
    board->addWidget(rzstrngrd1);

    grp2 = new QGroupBox(this);
    grp3 = new QGroupBox(grp2);
    chk1 = new QCheckBox(QStringLiteral("显示课程名称"), grp3);
    chk2 = new QCheckBox(QStringLiteral("显示课程状态提示"), grp3);
    btn2 = new QPushButton(QStringLiteral("退出(&X)"), grp3);
    auto* options = new QVBoxLayout(grp3);
    options->addWidget(chk1);
    options->addWidget(chk2);
    options->addWidget(btn2);
    auto* left = new QVBoxLayout(grp2);
    left->addWidget(grp3);
    left->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grp2);
    layout->addWidget(grp1, 1);
    resize(880, 470);
}
