#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TForm4::TForm4(varendo::VarendoWindows& windows)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      w(windows)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具 参数设置"));
    const QIcon folder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    rzslctfldrdlg1 = new QFileDialog(this);
    rzslctfldrdlg1->setFileMode(QFileDialog::Directory);
    rzslctfldrdlg1->setOption(QFileDialog::ShowDirsOnly, true);

    grp1 = new QGroupBox(QStringLiteral("媒体文件目录参数设置"), this);
    lbledt = new QLineEdit(grp1);
    btn7 = new QPushButton(folder, QString(), grp1);
    lbledt1 = new QLineEdit(grp1);
    btnrecord = new QPushButton(folder, QString(), grp1);
    auto* folders = new QGridLayout(grp1);
    folders->addWidget(new QLabel(QStringLiteral("视频目录地址:"), grp1), 0, 0);
    folders->addWidget(lbledt, 0, 1);
    folders->addWidget(btn7, 0, 2);
    folders->addWidget(new QLabel(QStringLiteral("音频目录地址:"), grp1), 1, 0);
    folders->addWidget(lbledt1, 1, 1);
    folders->addWidget(btnrecord, 1, 2);
    lbledt->setMinimumWidth(320);

    grp3 = new QGroupBox(QStringLiteral("学习进度显示内容设置"), this);
    chk1 = new QCheckBox(QStringLiteral("学习进度窗口列表中显示课程名称"), grp3);
    chk2 = new QCheckBox(QStringLiteral("学习进度窗口列表中显示课程状态提示"), grp3);
    const QIcon font = style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    btn1 = new QPushButton(font, QStringLiteral("文本内容字体设置"), grp3);
    btn2 = new QPushButton(font, QStringLiteral("文本内容背景色设置"), grp3);
    auto* display = new QGridLayout(grp3);
    display->addWidget(chk1, 0, 0);
    display->addWidget(btn1, 0, 1);
    display->addWidget(chk2, 1, 0);
    display->addWidget(btn2, 1, 1);

    grp4 = new QGroupBox(QStringLiteral("媒体文件类型列表"), this);
    edt1 = new QLineEdit(QStringLiteral("*.rm|*.rmvb|*.mp3|*.avi|*.asf|*.wmv"), grp4);
    edt1->setReadOnly(true);
    QFont f = edt1->font();
    f.setPixelSize(16);
    edt1->setFont(f);
    auto* types = new QVBoxLayout(grp4);
    types->addWidget(edt1);

    grp2 = new QGroupBox(this);
    btn4 = new QPushButton(QStringLiteral("保存(&S)"), grp2);
    btn5 = new QPushButton(QStringLiteral("默认(&D)"), grp2);
    btn3 = new QPushButton(QStringLiteral("退出(&X)"), grp2);
    auto* buttons = new QHBoxLayout(grp2);
    buttons->addStretch();
    buttons->addWidget(btn4);
    buttons->addWidget(btn5);
    buttons->addWidget(btn3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grp1);
    layout->addWidget(grp3);
    layout->addWidget(grp4);
    layout->addWidget(grp2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
