#include "layout_harness.h"

#include "gstreamer/video/gst_media_engine.h"

namespace varendo::test {

MainVideoLayout::MainVideoLayout()
{
    window.resize(1033, 735);
    window.setWindowTitle(QStringLiteral("Varendo video"));
    grp1 = new QGroupBox(&window);
    grp1->setGeometry(0, 5, 576, 519);
    vdwndw1 = new TVideoWindow(grp1);
    vdwndw1->setGeometry(2, 8, 572, 465);
    dstrckbr1 = new TDSTrackBar(grp1);
    dstrckbr1->setGeometry(1, 473, 572, 16);
    status = new QLabel(&window);
    status->setGeometry(4, 530, 400, 20);

    fltrgrph1 = new TFilterGraph(varendo::gst::mediaEngineFactory(), &window);
    fltrgrph1->setActive(true);
    fltrgrph1->setVideoWindow(vdwndw1);
    dstrckbr1->setFilterGraph(fltrgrph1);
    QObject::connect(dstrckbr1, &TDSTrackBar::timer, status, [this](qint64 current, qint64 duration) {
        status->setText(QStringLiteral("%1 / %2 s").arg(current / 1000).arg(duration / 1000));
    });
}

} // namespace varendo::test
