// Builds the main window's controls and menus at their design places
// (client area 1025 × 683 at the full window size 1033 × 735), each into the
// part that handles it.
#include "ui/main_window.h"

#include "common/media_texts.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"
#include "ui/player_controls.h"
#include "ui/radio_group.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QPlainTextEdit* makePane(QWidget* parent, const QRect& geometry)
{
    auto* pane = new QPlainTextEdit(parent);
    pane->setGeometry(geometry);
    pane->setReadOnly(true);
    pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The spoken sentence stays visibly selected while another control has focus.
    QPalette pal = pane->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    pane->setPalette(pal);
    return pane;
}

QAction* menuItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(caption);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QAction* checkItem(QMenu* menu, const QString& caption, bool checked)
{
    QAction* a = menu->addAction(caption);
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

} // namespace

void TForm1::createControls()
{
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    pnl1 = new QFrame(client);
    pnl1->setGeometry(0, 0, 1025, 5);

    createPlayerColumn();
    createLessonPanes();
    createChoiceGroup();
    createRecorderPanel();
    createMenus();
    createPopupMenus();

    tmr1 = new QTimer(this);
    tmr1->setInterval(250);
    tmr2 = new QTimer(this);
    tmr2->setInterval(1000);
}

void TForm1::createPlayerColumn()
{
    grp1 = new QGroupBox(client);
    grp1->setGeometry(0, 5, 576, 519);

    // The media graph draws into the video window and drives the position bar.
    fltrgrph1 = new TFilterGraph(w.services.mediaEngines, this);
    vdwndw1 = new TVideoWindow(grp1);
    vdwndw1->setObjectName(QStringLiteral("vdwndw1"));
    vdwndw1->setGeometry(2, 8, 572, 465);
    dstrckbr1 = new TDSTrackBar(grp1);
    dstrckbr1->setGeometry(1, 473, 572, 16);
    fltrgrph1->setVideoWindow(vdwndw1);
    dstrckbr1->setFilterGraph(fltrgrph1);

    varendo::takeToolBar(*this, varendo::buildPlayerToolBar(grp1, 255, 76));
    ToolBar->setGeometry(2, 488, 572, 29);

    // The repeat marks sit just above the position bar when shown.
    btnabz = varendo::buildRepeatMark(grp1, true);
    btnabz->setGeometry(1, 462, 7, 11);
    btnbbz = varendo::buildRepeatMark(grp1, false);
    btnbbz->setGeometry(1, 462, 7, 11);
}

void TForm1::createLessonPanes()
{
    grp7 = new QGroupBox(QStringLiteral("课程名称"), client);
    grp7->setGeometry(575, 5, 446, 73);
    rzm1 = makePane(grp7, QRect(5, 15, 438, 54));

    grp5 = new QGroupBox(QStringLiteral("文章内容"), client);
    grp5->setGeometry(575, 77, 446, 401);
    mmo1 = makePane(grp5, QRect(5, 15, 438, 381));
    lbl1 = new QLabel(QStringLiteral("有笔记记录"), grp5);
    lbl1->setStyleSheet(QStringLiteral("color: red;"));
    lbl1->setToolTip(QStringLiteral("双击查看笔记内容"));
    lbl1->adjustSize();
    lbl1->move(446 - lbl1->width() - 12, 0);
    lbl1->hide();

    // The recorder's capture and output components: 32 x 32, never shown. Their
    // failures are plain messages.
    varendo::WaveMessageSink waveMessages;
    if (const varendo::MessageSink& sink = w.services.messages)
        waveMessages = [sink](const QString& text) { sink(text, false); };
    waveDevices = std::make_shared<varendo::WaveDevices>(w.services.wave, std::move(waveMessages));
    acmwvn1 = new varendo::TACMWaveIn(grp5, waveDevices);
    acmwvn1->move(300, 40);
    acmwvt1 = new varendo::TACMWaveOut(grp5, waveDevices);
    acmwvt1->move(340, 40);

    grp8 = new QGroupBox(QStringLiteral("生词和短语"), client);
    grp8->setGeometry(575, 477, 446, 206);
    rzm2 = makePane(grp8, QRect(5, 16, 438, 184));

    grp2 = new QGroupBox(QStringLiteral("参考译文"), client);
    grp2->setGeometry(155, 525, 422, 158);
    rzm3 = makePane(grp2, QRect(5, 15, 412, 135));
}

void TForm1::createChoiceGroup()
{
    grp6 = new QGroupBox(client);
    grp6->setGeometry(0, 525, 153, 158);

    cbb1 = new QComboBox(grp6);
    cbb1->setGeometry(7, 13, 142, 21);
    cbb1->addItems({QStringLiteral("Varendo英语第一册"), QStringLiteral("Varendo英语第二册"),
                    QStringLiteral("Varendo英语第三册"), QStringLiteral("Varendo英语第四册")});
    cbb1->setCurrentIndex(0);

    rzchcklst1 = new QComboBox(grp6);
    rzchcklst1->setGeometry(7, 37, 142, 21);
    rzchcklst1->addItem(QStringLiteral("第一课"));
    rzchcklst1->setCurrentIndex(0);

    rg1 = new varendo::TRadioGroup(QStringLiteral("播放格式选择"),
                                   {QStringLiteral("播放视频文件(&M)"), QStringLiteral("播放M(&P)3文件")}, grp6);
    rg1->setGeometry(4, 58, 146, 65);
    rg1->SetItemIndex(0);

    btn2 = new QToolButton(grp6);
    btn2->setText(QStringLiteral("目录媒体列表(&A)"));
    btn2->setGeometry(2, 129, 147, 24);

    grp3 = new QGroupBox(grp6);
    grp3->setGeometry(5, 159, 145, 0);
    img1 = new QLabel(grp3);
    img1->setGeometry(2, 8, 142, 0);
    img1->setScaledContents(true);
}

void TForm1::createRecorderPanel()
{
    // Wide enough for the record button's caption beside its picture.
    pnl2 = new QFrame(client);
    pnl2->setGeometry(421, 449, 134, 45);
    // It sits over the video's corner: a plain background of its own.
    pnl2->setAutoFillBackground(true);
    pnl2->setFrameShape(QFrame::StyledPanel);
    pnl2->hide();
    varendo::takeRecorderGroup(*this, varendo::buildRecorderGroup(pnl2));

    // The save dialog asks before replacing a file.
    dlgOpen1 = varendo::OnFirstUse<QFileDialog>([this] {
        auto* dialog = new QFileDialog(this, QStringLiteral("打开录音文件"));
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        return dialog;
    });
    dlgSave1 = varendo::OnFirstUse<QFileDialog>([this] {
        auto* dialog = new QFileDialog(this, QStringLiteral("录音另存为"));
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        // The suffix follows the kind of file chosen.
        connect(dialog, &QFileDialog::filterSelected, dialog,
                [dialog](const QString& filter) { dialog->setDefaultSuffix(varendo::filterSuffix(filter)); });
        return dialog;
    });
}

void TForm1::createMenus()
{
    QMenuBar* bar = menuBar();
    N15 = bar->addMenu(QStringLiteral("文件(&F)"));
    O1 = menuItem(N15, QStringLiteral("打开文件(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O));
    D1 = menuItem(N15, QStringLiteral("打开目录搜索媒体文件(&D)"), QKeySequence(Qt::CTRL | Qt::Key_P));
    X1 = menuItem(N15, QStringLiteral("退出(&X)"), QKeySequence(Qt::CTRL | Qt::Key_X));
    // Ctrl+F opens the file menu.
    auto* openFileMenu = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(openFileMenu, &QShortcut::activated, this, [this] {
        menuBar()->setActiveAction(N15->menuAction());
    });

    S2 = bar->addMenu(QStringLiteral("系统(&S)"));
    S3 = menuItem(S2, QStringLiteral("设置(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
    N2 = S2->addSeparator();
    J1 = menuItem(S2, QStringLiteral("学习进度(&J)"));
    N9 = S2->addSeparator();
    R3 = menuItem(S2, QStringLiteral("录音(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R));
    N10 = S2->addSeparator();
    N14 = menuItem(S2, QStringLiteral("创建桌面快捷方式"));
    N18 = menuItem(S2, QStringLiteral("添加到应用程序菜单"));
    N16 = S2->addSeparator();

    W1 = bar->addMenu(QStringLiteral("窗口(&W)"));
    M1 = menuItem(W1, QStringLiteral("精简模式(&M)"), QKeySequence(Qt::CTRL | Qt::Key_M));
    F3 = menuItem(W1, QStringLiteral("完整模式(&F)"), QKeySequence(Qt::CTRL | Qt::Key_G));

    N1 = bar->addMenu(QStringLiteral("帮助(&H)"));
    R1 = menuItem(N1, QStringLiteral("使用说明(&R)"));
    N3 = N1->addSeparator();
    A1 = menuItem(N1, QStringLiteral("关于(&A)"), QKeySequence(Qt::CTRL | Qt::Key_A));
}

void TForm1::createPopupMenus()
{
    pm4 = new QMenu(this);
    S1 = pm4->addMenu(QStringLiteral("内容显示(&S)"));
    N7 = checkItem(S1, QStringLiteral("文章内容(&T)"), true);
    N8 = checkItem(S1, QStringLiteral("生词和短语(&W)"), true);
    F2 = checkItem(S1, QStringLiteral("参考译文(&F)"), true);
    N6 = S1->addSeparator();
    F1 = menuItem(S1, QStringLiteral("字体设置(&S)"));
    C2 = menuItem(S1, QStringLiteral("背景色设置(&C)"));
    Y1 = menuItem(S1, QStringLiteral("文字颜色设置(&Y)"));
    N5 = pm4->addSeparator();
    B1 = menuItem(pm4, QStringLiteral("笔记管理(&B)"));
    L1 = menuItem(pm4, QStringLiteral("学习进度(&L)"));
    N11 = pm4->addSeparator();
    R2 = checkItem(pm4, QStringLiteral("一句一读模式(&R)"), false);
    R2->setVisible(false);
    N12 = checkItem(pm4, QStringLiteral("显示下句提示(&S)"), true);
    N12->setVisible(false);
    N13 = pm4->addSeparator();
    C3 = checkItem(pm4, QStringLiteral("课程连续学习模式(&C)"), true);
    for (QWidget* target : {static_cast<QWidget*>(mmo1), static_cast<QWidget*>(rzm2), static_cast<QWidget*>(rzm3),
                            static_cast<QWidget*>(cbb1), static_cast<QWidget*>(rzchcklst1)})
        attachPopup(target, pm4);

    pm3 = new QMenu(this);
    C1 = menuItem(pm3, QStringLiteral("清除复读(&C)"));
    attachPopup(dstrckbr1, pm3);

    pm5 = new QMenu(this);
    F4 = menuItem(pm5, QStringLiteral("打开文件(&O)"), QKeySequence(Qt::CTRL | Qt::Key_O));
    F4->setShortcutVisibleInContextMenu(true);
    N17 = menuItem(pm5, QStringLiteral("目录媒体文件列表(&P)"));
    attachPopup(vdwndw1, pm5);

    pmrecplay3 = new QMenu(this);
    pmrecplay = menuItem(pmrecplay3, QStringLiteral("打开录音文件(&P)"));
    pmrecplay->setEnabled(false);
    attachPopup(btnplay, pmrecplay3);

    pmrecsave1 = new QMenu(this);
    pmrecsave = menuItem(pmrecsave1, QStringLiteral("录音另存为"));
    pmrecsave->setEnabled(false);
    attachPopup(btnrecord, pmrecsave1);

    createPracticeControls(pm4, pm5);
}

void TForm1::attachPopup(QWidget* widget, QMenu* menu)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, menu,
            [widget, menu](const QPoint& at) { menu->popup(widget->mapToGlobal(at)); });
}
