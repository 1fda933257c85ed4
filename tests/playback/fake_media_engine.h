#pragma once
// An engine whose position the test sets by hand, for the track bar's rules
// that depend on exact positions (the real engine is tested on real files).
#include "playback/media_engine.h"

#include <vector>

class FakeMediaEngine : public varendo::playback::MediaEngine {
public:
    bool load(const QString&) override { loaded = true; return true; }
    void unload() override { loaded = false; currentState = varendo::playback::GraphState::Stopped; }
    bool hasMedia() const override { return loaded; }
    bool play() override { return setState(varendo::playback::GraphState::Playing); }
    bool pause() override { return setState(varendo::playback::GraphState::Paused); }
    bool stop() override { return setState(varendo::playback::GraphState::Stopped); }
    varendo::playback::GraphState state() const override { return currentState; }
    std::optional<qint64> positionMs() const override { return loaded ? std::optional(position) : std::nullopt; }
    std::optional<qint64> durationMs() const override { return loaded ? std::optional(duration) : std::nullopt; }
    bool seekMs(qint64 ms) override { seeks.push_back(ms); position = ms; return true; }
    void setRate(double r) override { rateValue = r; }
    double rate() const override { return rateValue; }
    void setGain(double g) override { gainValue = g; }
    double gain() const override { return gainValue; }
    void setVideoArea(QSize) override {}
    QString lastError() const override { return {}; }

    bool loaded = false;
    varendo::playback::GraphState currentState = varendo::playback::GraphState::Stopped;
    qint64 position = 0;
    qint64 duration = 0;
    double gainValue = 1.0;
    double rateValue = 1.0;
    std::vector<qint64> seeks;

private:
    bool setState(varendo::playback::GraphState s)
    {
        if (!loaded)
            return false;
        currentState = s;
        return true;
    }
};
