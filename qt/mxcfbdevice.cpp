#include "qt/mxcfbdevice.h"

#include <cerrno>
#include <cstring>

#include <sys/ioctl.h>

namespace {

// The structs as the kernels' headers lay them out, in fixed-width types so
// that 32-bit builds and 64-bit tests agree.
struct Rect {
    uint32_t top;
    uint32_t left;
    uint32_t width;
    uint32_t height;
};
struct AltBuffer {
    uint32_t physAddr;
    uint32_t width;
    uint32_t height;
    Rect region;
};
// NTX: the alternate buffer starts with a 32-bit virtual address.
struct AltBufferNtx {
    uint32_t virtAddr;
    AltBuffer alt;
};
struct UpdateKoboNtx {
    Rect region;
    uint32_t waveform;
    uint32_t mode;
    uint32_t marker;
    int32_t temp;
    uint32_t flags;
    AltBufferNtx alt;
};
struct UpdateNxp {
    Rect region;
    uint32_t waveform;
    uint32_t mode;
    uint32_t marker;
    int32_t temp;
    uint32_t flags;
    int32_t ditherMode;
    int32_t quantBit;
    AltBuffer alt;
};
struct UpdateKindle {
    Rect region;
    uint32_t waveform;
    uint32_t mode;
    uint32_t marker;
    uint32_t histBwWaveform;
    uint32_t histGrayWaveform;
    int32_t temp;
    uint32_t flags;
    AltBuffer alt;
};
struct UpdateKindleRex {
    UpdateNxp base;
    uint32_t histBwWaveform;
    uint32_t histGrayWaveform;
};
struct UpdateKindleZelda {
    UpdateKindleRex rex;
    uint32_t tsPxp;
    uint32_t tsEpdc;
};
struct MarkerData {
    uint32_t marker;
    uint32_t collisionTest;
};
static_assert(sizeof(UpdateKoboNtx) == 68, "NTX layout");
static_assert(sizeof(UpdateNxp) == 72, "NXP layout");
static_assert(sizeof(UpdateKindle) == 72, "Kindle layout");
static_assert(sizeof(UpdateKindleRex) == 80, "Kindle Rex layout");
static_assert(sizeof(UpdateKindleZelda) == 88, "Kindle Zelda layout");

constexpr uint32_t kModePartial = 0;
constexpr uint32_t kModeFull = 1;
constexpr uint32_t kFlagForceMonochrome = 2;
constexpr int32_t kTempAmbient = 0x1000;
constexpr uint32_t kWaveformDU = 1;
constexpr uint32_t kWaveformGC16Fast = 3; // Kindle 4 to Oasis 1
constexpr uint32_t kWaveformGC16 = 2;

template <typename T> MxcfbRequest request(unsigned long number, const T& data)
{
    MxcfbRequest r;
    r.number = number;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&data);
    r.data.assign(bytes, bytes + sizeof data);
    return r;
}

template <typename T>
void fill(T& u, const QRect& rect, const PanelFamily& f, bool full, bool quality, uint32_t marker)
{
    u.region = {static_cast<uint32_t>(rect.top()), static_cast<uint32_t>(rect.left()),
                static_cast<uint32_t>(rect.width()), static_cast<uint32_t>(rect.height())};
    u.waveform = quality ? f.qualityWaveform : f.fastWaveform;
    u.mode = full ? kModeFull : kModePartial;
    u.marker = marker;
    u.temp = quality ? kTempAmbient : f.fastTemperature;
    u.flags = !quality && f.forceMonochrome ? kFlagForceMonochrome : 0;
}

} // namespace

MxcfbRequest mxcfb_update_request(const PanelFamily& f, const QRect& rect, bool full, bool quality,
                                  uint32_t marker)
{
    switch (f.layout) {
    case UpdateLayout::KoboNtx68: {
        UpdateKoboNtx u{};
        fill(u, rect, f, full, quality, marker);
        return request(_IOW('F', 0x2E, UpdateKoboNtx), u);
    }
    case UpdateLayout::Nxp72: {
        UpdateNxp u{};
        fill(u, rect, f, full, quality, marker);
        return request(_IOW('F', 0x2E, UpdateNxp), u);
    }
    case UpdateLayout::Kindle72: {
        UpdateKindle u{};
        fill(u, rect, f, full, quality, marker);
        u.histBwWaveform = kWaveformDU;
        u.histGrayWaveform = kWaveformGC16Fast;
        return request(_IOW('F', 0x2E, UpdateKindle), u);
    }
    case UpdateLayout::KindleRex80: {
        UpdateKindleRex u{};
        fill(u.base, rect, f, full, quality, marker);
        u.histBwWaveform = kWaveformDU;
        u.histGrayWaveform = kWaveformGC16;
        return request(_IOW('F', 0x2E, UpdateKindleRex), u);
    }
    case UpdateLayout::KindleZelda88: {
        UpdateKindleZelda u{};
        fill(u.rex.base, rect, f, full, quality, marker);
        u.rex.histBwWaveform = kWaveformDU;
        u.rex.histGrayWaveform = kWaveformGC16;
        return request(_IOW('F', 0x2E, UpdateKindleZelda), u);
    }
    case UpdateLayout::None:
        break;
    }
    return MxcfbRequest();
}

MxcfbRequest mxcfb_wait_request(const PanelFamily& f, uint32_t marker)
{
    switch (f.wait) {
    case WaitLayout::Marker32:
        return request(_IOW('F', 0x2F, uint32_t), marker);
    case WaitLayout::Marker64:
        return request(_IOWR('F', 0x2F, MarkerData), MarkerData{marker, 0});
    case WaitLayout::None:
        break;
    }
    return MxcfbRequest();
}

bool MxcfbDriver::update(const QRect& rect, bool full, bool quality, std::string& error)
{
    const uint32_t marker = ++m_marker;
    MxcfbRequest send = mxcfb_update_request(m_family, rect, full, quality, marker);
    if (send.number == 0)
        return true;
    if (ioctl(m_fd, send.number, send.data.data()) != 0) {
        error = std::string("MXCFB_SEND_UPDATE: ") + strerror(errno);
        return false;
    }
    if (!full)
        return true;
    MxcfbRequest wait = mxcfb_wait_request(m_family, marker);
    if (wait.number != 0 && ioctl(m_fd, wait.number, wait.data.data()) != 0) {
        error = std::string("MXCFB_WAIT_FOR_UPDATE_COMPLETE: ") + strerror(errno);
        return false;
    }
    return true;
}
