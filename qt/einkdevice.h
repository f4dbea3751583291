#pragma once

#include <QRect>
#include <QSize>

#include <string>

// One refresh request for an e-ink panel: a rectangle of the screen, partial
// (only changed pixels move) or full (the whole rectangle flashes), with a
// fast waveform (black and white, for repaints) or the quality one (grey levels).
struct EinkUpdate {
    enum Waveform { Fast, Quality };
    QRect rect;
    bool full = false;
    Waveform waveform = Fast;
};

// The panel's refresh controller, the seam between the refresh decisions
// (EinkRefresh) and a driver; tests put a fake behind it.
class EinkDevice {
public:
    virtual ~EinkDevice() = default;
    virtual QSize screenSize() const = 0;
    // Sends one update; false with the driver's reason in error when it fails.
    virtual bool send(const EinkUpdate& update, std::string& error) = 0;
};
