#include "ui/about_box.h"

#include "ui/pictures.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

TForm2::TForm2(varendo::VarendoWindows& windows)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      w(windows)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具"));
    grp1 = new QGroupBox(this);
    grp1->setGeometry(0, 0, 241, 481);
    img1 = new QLabel(grp1);
    img1->setGeometry(4, 8, 234, 278);
    img1->setScaledContents(false);
    img1->setAlignment(Qt::AlignCenter);
    img1->setPixmap(varendo::loadPicture(QStringLiteral("about"), img1->size()));
    lbl1 = new QLabel(grp1);
    lbl1->setGeometry(0, 300, 241, 137);
    lbl1->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("微软雅黑"));
    f.setPixelSize(12);
    lbl1->setFont(f);
    setFixedSize(241, 481);
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        FormKeyPress(this, QChar(27));
    else
        QDialog::keyPressEvent(event);
}

void TForm2::FormKeyPress(QObject*, QChar key)
{
    if (key == QChar(27))
        hide();
}
