#include "ui/settings_dialog.h"

#include "common/colour_value.h"
#include "database/settings_row.h"
#include "ui/main_window.h"
#include "ui/varendo_windows.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QDir>
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
    rzslctfldrdlg1 = varendo::OnFirstUse<QFileDialog>([this] {
        auto* dialog = new QFileDialog(this);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
        return dialog;
    });

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
    btn6 = new QPushButton(font, QStringLiteral("文本内容颜色设置"), grp3);
    auto* display = new QGridLayout(grp3);
    display->addWidget(chk1, 0, 0);
    display->addWidget(btn1, 0, 1);
    display->addWidget(chk2, 1, 0);
    display->addWidget(btn2, 1, 1);
    display->addWidget(btn6, 2, 1);

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

    const varendo::MessageBoxes& boxes = w.messages;
    using Handler = void (TForm4::*)(QObject*);
    for (auto [button, handler] : {std::pair<QAbstractButton*, Handler>{btn7, &TForm4::btn7Click},
                                   std::pair<QAbstractButton*, Handler>{btnrecord, &TForm4::btnrecordClick},
                                   std::pair<QAbstractButton*, Handler>{chk1, &TForm4::chk1Click},
                                   std::pair<QAbstractButton*, Handler>{chk2, &TForm4::chk2Click},
                                   std::pair<QAbstractButton*, Handler>{btn4, &TForm4::btn4Click},
                                   std::pair<QAbstractButton*, Handler>{btn5, &TForm4::btn5Click},
                                   std::pair<QAbstractButton*, Handler>{btn3, &TForm4::btn3Click},
                                   std::pair<QAbstractButton*, Handler>{btn1, &TForm4::btn1Click},
                                   std::pair<QAbstractButton*, Handler>{btn2, &TForm4::btn2Click},
                                   std::pair<QAbstractButton*, Handler>{btn6, &TForm4::btn6Click}})
        connect(button, &QAbstractButton::clicked, this,
                [this, &boxes, button = button, handler = handler] { boxes.guarded([&] { (this->*handler)(button); }); });
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    w.messages.guarded([this] { FormShow(this); });
}

void TForm4::FormShow(QObject*)
{
    const TForm1& f = *w.Form1;
    // The learner's own folders, also when the program folder's are in force for this run.
    lbledt->setText(f.chosenVideoDir);
    lbledt1->setText(f.chosenAudioDir);
    chk1->setChecked(f.showLessonNameFlag == QLatin1String("1"));
    chk2->setChecked(f.showLessonStateFlag == QLatin1String("1"));
}

void TForm4::pickFolder(QLineEdit* box, const QString& title)
{
    rzslctfldrdlg1->setWindowTitle(title);
    rzslctfldrdlg1->setDirectory(box->text());
    if (rzslctfldrdlg1->exec() == QDialog::Accepted && !rzslctfldrdlg1->selectedFiles().isEmpty())
        box->setText(QDir::toNativeSeparators(rzslctfldrdlg1->selectedFiles().constFirst()));
    // The picker may have moved the working folder.
    QDir::setCurrent(w.Form1->appDir);
}

void TForm4::btn7Click(QObject*)
{
    pickFolder(lbledt, QStringLiteral("定位视频目录地址"));
}

void TForm4::btnrecordClick(QObject*)
{
    pickFolder(lbledt1, QStringLiteral("定位音频目录地址"));
}

void TForm4::chk1Click(QObject*)
{
    w.Form1->showLessonNameFlag = chk1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void TForm4::chk2Click(QObject*)
{
    w.Form1->showLessonStateFlag = chk2->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void TForm4::btn4Click(QObject*)
{
    TForm1& f = *w.Form1;
    f.showLessonNameFlag = chk1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    f.showLessonStateFlag = chk2->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    varendo::db::SettingsRow row;
    row.videoDir = lbledt->text();
    row.audioDir = lbledt1->text();
    row.showLessonNameFlag = f.showLessonNameFlag;
    row.showLessonStateFlag = f.showLessonStateFlag;
    row.font = f.storedLessonFont();
    row.backgroundColour = f.lessonBackgroundValue;
    // A failed write is shown by the general error handler; the folders in force stay.
    varendo::db::saveSettingsRow(f.database(), row);
    f.videoDir = f.chosenVideoDir = row.videoDir;
    f.audioDir = f.chosenAudioDir = row.audioDir;
    w.messages.ShowMessage(QStringLiteral("保存完成!"));
}

void TForm4::btn5Click(QObject*)
{
    FormShow(this);
    TForm1& f = *w.Form1;
    const varendo::db::LessonFontSettings defaults;
    QFont font(defaults.name);
    font.setPointSize(defaults.pointSize);
    f.lessonFont.font = font;
    f.lessonFont.color = varendo::colorFromValue(defaults.colour);
    f.lessonBackgroundValue = varendo::db::SettingsRow{}.backgroundColour;
    f.styleLessonPanes();
    w.messages.ShowMessage(QStringLiteral("恢复默认完成,请保存设置!"));
}

void TForm4::btn1Click(QObject*)
{
    w.Form1->F1Click(btn1);
}

void TForm4::btn2Click(QObject*)
{
    w.Form1->C2Click(btn2);
}

void TForm4::btn6Click(QObject*)
{
    w.Form1->Y1Click(btn6);
}

void TForm4::btn3Click(QObject*)
{
    close();
}
