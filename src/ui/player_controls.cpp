#include "ui/player_controls.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace varendo {

namespace {

// A small picture with a letter or sign, for buttons without a standard icon.
QIcon letterIcon(const QString& text, const QColor& colour)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(pm.rect(), Qt::AlignCenter, text);
    return QIcon(pm);
}

QIcon dotIcon(const QColor& colour)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(4, 4, 12, 12));
    return QIcon(pm);
}

QToolButton* toolButton(QWidget* parent, const char* name, const QIcon& icon, const QString& hint, bool enabled)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(icon);
    b->setToolTip(hint);
    b->setEnabled(enabled);
    b->setAutoRaise(true);
    b->setFixedSize(23, 22);
    return b;
}

} // namespace

PlayerToolBar buildPlayerToolBar(QWidget* parent, int statusWidth, int volumeWidth, const QWidget* iconsFrom)
{
    PlayerToolBar t;
    t.bar = new QToolBar(parent);
    t.bar->setObjectName(QStringLiteral("ToolBar"));
    t.bar->setIconSize(QSize(16, 16));
    t.bar->setMovable(false);
    t.bar->layout()->setSpacing(0);
    t.bar->layout()->setContentsMargins(0, 0, 0, 0);
    t.StatusBar = new QLabel(t.bar);
    t.StatusBar->setObjectName(QStringLiteral("StatusBar"));
    t.StatusBar->setFrameShape(QFrame::Panel);
    t.StatusBar->setFrameShadow(QFrame::Sunken);
    t.StatusBar->setFixedSize(statusWidth, 22);
    t.bar->addWidget(t.StatusBar);

    const auto icon = [iconsFrom](const char* name, QStyle::StandardPixmap standard) {
        const QToolButton* lender = iconsFrom ? iconsFrom->findChild<QToolButton*>(QLatin1String(name)) : nullptr;
        return lender ? lender->icon() : QApplication::style()->standardIcon(standard);
    };
    QWidget* b = t.bar;
    t.btup = toolButton(b, "btup", icon("btup", QStyle::SP_MediaSkipBackward), QStringLiteral("上一课程"), false);
    t.btPlay = toolButton(b, "btPlay", icon("btPlay", QStyle::SP_MediaPlay), QStringLiteral("播放"), true);
    t.btPause = toolButton(b, "btPause", icon("btPause", QStyle::SP_MediaPause), QStringLiteral("暂停"), false);
    t.btStop = toolButton(b, "btStop", icon("btStop", QStyle::SP_MediaStop), QStringLiteral("停止"), false);
    t.btnext = toolButton(b, "btnext", icon("btnext", QStyle::SP_MediaSkipForward), QStringLiteral("下一课程"), false);
    t.btFullScreen =
        toolButton(b, "btFullScreen", icon("btFullScreen", QStyle::SP_TitleBarMaxButton), QStringLiteral("全屏"), false);
    t.btFullScreen->setCheckable(true);
    t.btna = toolButton(b, "btna", letterIcon(QStringLiteral("A"), QColor(0, 128, 0)), QStringLiteral("复读起点"), false);
    t.btnb = toolButton(b, "btnb", letterIcon(QStringLiteral("B"), QColor(192, 0, 0)), QStringLiteral("复读终点"), false);
    t.btretu = toolButton(b, "btretu", icon("btretu", QStyle::SP_BrowserReload), QStringLiteral("复读"), false);
    t.btretu->setCheckable(true);
    t.btnrec = toolButton(b, "btnrec", dotIcon(QColor(200, 0, 0)), QStringLiteral("录音"), true);
    t.btnrec->setCheckable(true);
    for (QToolButton* button :
         {t.btup, t.btPlay, t.btPause, t.btStop, t.btnext, t.btFullScreen, t.btna, t.btnb, t.btretu, t.btnrec})
        t.bar->addWidget(button);

    t.SoundLevel = new QSlider(Qt::Horizontal, t.bar);
    t.SoundLevel->setObjectName(QStringLiteral("SoundLevel"));
    t.SoundLevel->setToolTip(QStringLiteral("音量"));
    t.SoundLevel->setRange(0, 10000);
    t.SoundLevel->setValue(10000);
    t.SoundLevel->setEnabled(false);
    t.SoundLevel->setFixedWidth(volumeWidth);
    t.bar->addWidget(t.SoundLevel);
    return t;
}

QList<QWidget*> toolBarControls(const QToolBar* bar)
{
    QList<QWidget*> controls;
    for (QAction* action : bar->actions())
        if (QWidget* control = bar->widgetForAction(action))
            controls << control;
    return controls;
}

RecorderGroup buildRecorderGroup(QWidget* parent)
{
    RecorderGroup g;
    g.grp9 = new QGroupBox(parent);
    g.grp9->setObjectName(QStringLiteral("grp9"));
    g.grp9->setGeometry(0, 0, 134, 45);
    // The pictures are set by the recorder's state.
    g.btnplay = toolButton(g.grp9, "btnplay", QIcon(), QStringLiteral("播放录音"), true);
    g.btnplay->move(4, 15);
    g.btnrecord = new QToolButton(g.grp9);
    g.btnrecord->setObjectName(QStringLiteral("btnrecord"));
    g.btnrecord->setText(QStringLiteral("录音(&R)"));
    g.btnrecord->setToolTip(QStringLiteral("开始录制"));
    g.btnrecord->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    g.btnrecord->setIconSize(QSize(16, 16));
    g.btnrecord->setAutoRaise(true);
    g.btnrecord->setGeometry(29, 15, 76, 22);
    g.btnstop = toolButton(g.grp9, "btnstop", QIcon(), QStringLiteral("停止"), true);
    g.btnstop->move(107, 15);
    // A thin bar across the top while a recording plays.
    g.rzprgrsbr1 = new QProgressBar(g.grp9);
    g.rzprgrsbr1->setGeometry(4, 5, 126, 6);
    g.rzprgrsbr1->setTextVisible(false);
    g.rzprgrsbr1->setRange(0, 100);
    g.rzprgrsbr1->hide();
    return g;
}

QPushButton* buildRepeatMark(QWidget* parent, bool start)
{
    auto* mark = new QPushButton(parent);
    mark->setObjectName(QLatin1String(start ? "btnabz" : "btnbbz"));
    mark->setStyleSheet(start ? QStringLiteral("background-color: rgb(0, 160, 0); border: 1px solid rgb(0, 96, 0);")
                              : QStringLiteral("background-color: rgb(220, 0, 0); border: 1px solid rgb(128, 0, 0);"));
    mark->hide();
    return mark;
}

} // namespace varendo
