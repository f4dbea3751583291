#pragma once

#include "core/configfileabstract.h"
#include "game/game.h"
#include "views/repainttarget.h"
#include "views/viewstate.h"

#include <QColor>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRect>
#include <QString>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace viewtest {

// Settings kept in memory.
class MapConfig : public ConfigFileAbstract {
public:
    int readInt(const char* key, int defaultValue) const override
    {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : std::stoi(it->second);
    }
    void writeInt(const char* key, int value) override { values[key] = std::to_string(value); }
    std::string readString(const char* key, const char* defaultValue) const override
    {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void writeString(const char* key, const char* value) override { values[key] = value; }
    std::string getRootPath() const override { return root; }
    std::string getDataPath() const override { return root + "/chess"; }

    std::map<std::string, std::string> values;
    std::string root = ".";
};

// Records what a view invalidates.
class RecordingTarget : public RepaintTarget {
public:
    void invalidate(const QRect& rect) override { rects.push_back(rect); }
    long pixels() const
    {
        long total = 0;
        for (const QRect& r : rects)
            total += static_cast<long>(r.width()) * r.height();
        return total;
    }
    std::vector<QRect> rects;
};

// A game of its own with the view state around it, as the controller's
// document hands them to the views.
class ViewDocument : public ViewState {
public:
    ViewDocument() : ViewState(&m_game) {}
    ViewDocument(const ViewDocument&) = delete;
    ViewDocument& operator=(const ViewDocument&) = delete;
    Game& game() { return m_game; }
    const Game& game() const { return m_game; }

private:
    Game m_game;
};

// Opens movetext as the document's current game and goes to its last
// position of the main line.
inline void open_game(ViewDocument& document, const std::string& moveText, bool toEnd = true)
{
    Game& game = document.game();
    game = Game();
    game.moveText = moveText;
    game.open();
    if (toEnd) {
        game.firstPosition();
        game.lastPosition();
    }
}

// A text drawn through the recording device.
struct DrawnText {
    QString text;
    QPointF position;
    QFont font;
    double width = 0;
};

// A paint engine that records text items and rectangles instead of drawing.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // Runs of one line (split by script or font) are joined into one text.
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        if (!texts.empty()) {
            DrawnText& last = texts.back();
            if (last.position.y() == p.y() && qAbs(last.position.x() + last.width - p.x()) < 1) {
                last.text += item.text();
                last.width += item.width();
                return;
            }
        }
        texts.push_back({item.text(), p, item.font(), item.width()});
    }
    void drawRects(const QRect* r, int count) override
    {
        for (int i = 0; i < count; ++i)
            rects.push_back(r[i]);
    }
    void drawRects(const QRectF* r, int count) override
    {
        for (int i = 0; i < count; ++i)
            rects.push_back(r[i].toRect());
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;
    std::vector<QRect> rects;
};

class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(int width = 600, int height = 800) : m_width(width), m_height(height) {}
    ~RecordingDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_width;
        case PdmHeight:
            return m_height;
        case PdmDepth:
            return 32;
        case PdmWidthMM:
            return m_width * 254 / 960;
        case PdmHeightMM:
            return m_height * 254 / 960;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    int m_width;
    int m_height;
};

} // namespace viewtest
