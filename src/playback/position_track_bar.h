#pragma once
// The position track bar (dstrckbr1): a horizontal track bar that, bound to the
// media graph, follows the playing file once a second and seeks when the
// learner lets go of it. Without a graph it is a plain track bar. It shows the
// repeat stretch SelStart..SelEnd as a band.
//
// Min, Max and Position are QAbstractSlider's minimum(), maximum() and value();
// its change event is valueChanged(int), raised whenever Position changes
// (by the learner, by the tick or by the program).
#include "playback/media_graph.h"

#include <QAbstractSlider>
#include <QMenu>
#include <QPointer>
#include <QTimer>

class TDSTrackBar : public QAbstractSlider {
    Q_OBJECT
public:
    // Pixels between each end of the track bar and the ends of its channel.
    static constexpr int kChannelInset = 10;

    explicit TDSTrackBar(QWidget* parent = nullptr);
    ~TDSTrackBar() override;

    void setFilterGraph(TFilterGraph* graph);
    TFilterGraph* filterGraph() const { return graph_; }

    // The tick's interval, 1000 ms unless changed.
    int timerInterval() const { return timer_.interval(); }
    void setTimerInterval(int ms) { timer_.setInterval(ms); }
    // The tick runs while the bound graph plays.
    bool ticking() const { return timer_.isActive(); }

    int selStart() const { return selStart_; }
    int selEnd() const { return selEnd_; }
    void setSelStart(int value);
    void setSelEnd(int value);

    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* popupMenu() const { return popupMenu_; }

    // Horizontal pixel of a value, and the value nearest a pixel.
    int valueToX(int value) const;
    int xToValue(int x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The tick's timer event: current position and duration in milliseconds,
    // raised after Min, Max and Position have been set.
    void timer(qint64 currentMs, qint64 durationMs);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void tick();
    void followGraphState();
    void seekToPosition();

    QPointer<TFilterGraph> graph_;
    QMetaObject::Connection stateConnection_;
    QMetaObject::Connection destroyedConnection_;
    QTimer timer_;
    bool leftDown_ = false;
    int selStart_ = 0;
    int selEnd_ = 0;
    QPointer<QMenu> popupMenu_;
};
