#include "playback/media_graph.h"

#include "common/varendo_error.h"
#include "playback/video_window.h"

#include <algorithm>
#include <cmath>

using varendo::playback::MediaEngine;
using varendo::playback::MediaEngineFactory;

TFilterGraph::TFilterGraph(MediaEngineFactory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory))
{
    qRegisterMetaType<varendo::playback::VideoFrame>();
    qRegisterMetaType<varendo::playback::GraphState>();
}

TFilterGraph::~TFilterGraph()
{
    // The engine's signals must not reach a half-destroyed graph.
    if (engine_)
        engine_->disconnect(this);
}

void TFilterGraph::setActive(bool on)
{
    if (on == active())
        return;
    if (on) {
        if (!factory_)
            throw varendo::VarendoError(QStringLiteral("没有可用于播放视频的媒体组件。"));
        engine_ = factory_();
        if (!engine_)
            throw varendo::VarendoError(QStringLiteral("视频播放组件无法启动。"));
        applyVolume();
        if (rate_ != 1.0)
            engine_->setRate(rate_);
        connectEngine();
        pushVideoArea();
    } else {
        engine_->disconnect(this);
        engine_.reset();
        if (videoWindow_)
            videoWindow_->clearFrame();
    }
    setStateSeen(state());
}

void TFilterGraph::connectEngine()
{
    MediaEngine* engine = engine_.get();
    connect(engine, &MediaEngine::frameReady, this, [this](const varendo::playback::VideoFrame& frame) {
        if (videoWindow_)
            videoWindow_->showFrame(frame);
    });
    connect(engine, &MediaEngine::endOfMedia, this, &TFilterGraph::endOfMedia);
    connect(engine, &MediaEngine::errorOccurred, this, [this](const QString& message) {
        lastError_ = message;
        if (videoWindow_)
            videoWindow_->clearFrame();
        emit errorOccurred(message);
    });
    connect(engine, &MediaEngine::seekFailed, this, &TFilterGraph::seekFailed);
    connect(engine, &MediaEngine::stateChanged, this, [this] { setStateSeen(state()); });
}

void TFilterGraph::setVideoWindow(TVideoWindow* window)
{
    disconnect(areaConnection_);
    videoWindow_ = window;
    if (window)
        areaConnection_ = connect(window, &TVideoWindow::videoAreaChanged, this, [this] { pushVideoArea(); });
    pushVideoArea();
}

void TFilterGraph::pushVideoArea()
{
    if (engine_ && videoWindow_)
        engine_->setVideoArea(videoWindow_->videoArea());
}

void TFilterGraph::clearGraph()
{
    if (!engine_)
        return;
    engine_->unload();
    if (videoWindow_)
        videoWindow_->clearFrame();
    setStateSeen(state());
}

void TFilterGraph::setRate(double rate)
{
    rate_ = rate;
    if (engine_)
        engine_->setRate(rate_);
}

bool TFilterGraph::renderFile(const QString& path)
{
    if (!engine_) {
        lastError_ = QStringLiteral("视频播放组件尚未启动。");
        return false;
    }
    if (videoWindow_)
        videoWindow_->clearFrame();
    const bool ok = engine_->load(path);
    lastError_ = ok ? QString() : engine_->lastError();
    setStateSeen(state());
    return ok;
}

bool TFilterGraph::play()
{
    if (!engine_ || !engine_->play())
        return false;
    // The full-screen choice holds for every file that starts.
    if (videoWindow_ && videoWindow_->fullScreen())
        videoWindow_->applyFullScreen();
    setStateSeen(state());
    return true;
}

bool TFilterGraph::pause()
{
    const bool ok = engine_ && engine_->pause();
    setStateSeen(state());
    return ok;
}

bool TFilterGraph::stop()
{
    const bool ok = engine_ && engine_->stop();
    setStateSeen(state());
    return ok;
}

TFilterGraph::State TFilterGraph::state() const
{
    return engine_ ? engine_->state() : State::Uninitialised;
}

void TFilterGraph::setVolume(int volume)
{
    volume_ = varendo::playback::clampVolume(volume);
    applyVolume();
}

void TFilterGraph::applyVolume()
{
    if (engine_)
        engine_->setGain(varendo::playback::attenuationToGain(varendo::playback::volumeToAttenuation(volume_)));
}

double TFilterGraph::appliedGain() const
{
    return engine_ ? engine_->gain() : 0.0;
}

bool TFilterGraph::seek(double seconds)
{
    if (!engine_ || !engine_->hasMedia() || std::isnan(seconds))
        return false;
    // A step back from the start lands on the start.
    return engine_->seekMs(std::llround(std::max(seconds, 0.0) * 1000.0));
}

std::optional<qint64> TFilterGraph::currentPositionMs() const
{
    return engine_ ? engine_->positionMs() : std::nullopt;
}

std::optional<qint64> TFilterGraph::durationMs() const
{
    return engine_ ? engine_->durationMs() : std::nullopt;
}

QString TFilterGraph::lastError() const
{
    return lastError_;
}

void TFilterGraph::setStateSeen(State state)
{
    if (state == lastState_)
        return;
    lastState_ = state;
    emit stateChanged(state);
}
