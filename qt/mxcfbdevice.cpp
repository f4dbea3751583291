#include "qt/mxcfbdevice.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The driver's update request, as its header documents it.
struct MxcfbRect {
    uint32_t top;
    uint32_t left;
    uint32_t width;
    uint32_t height;
};
struct MxcfbAltBufferData {
    uint32_t physAddr;
    uint32_t width;
    uint32_t height;
    MxcfbRect altUpdateRegion;
};
struct MxcfbUpdateData {
    MxcfbRect updateRegion;
    uint32_t waveformMode;
    uint32_t updateMode;
    uint32_t updateMarker;
    int32_t temp;
    uint32_t flags;
    MxcfbAltBufferData altBufferData;
};
static_assert(sizeof(MxcfbUpdateData) == 64, "the driver's layout");

const unsigned long kSendUpdate = _IOW('F', 0x2E, MxcfbUpdateData);
const uint32_t kWaveformDU = 1;
const uint32_t kWaveformGC16 = 2;
const uint32_t kUpdateModePartial = 0;
const uint32_t kUpdateModeFull = 1;
const int32_t kTempUseAmbient = 0x1000;

class MxcfbDevice : public EinkDevice {
public:
    MxcfbDevice(int fd, QSize size) : m_fd(fd), m_size(size) {}
    ~MxcfbDevice() override { close(m_fd); }
    MxcfbDevice(const MxcfbDevice&) = delete;
    MxcfbDevice& operator=(const MxcfbDevice&) = delete;

    QSize screenSize() const override { return m_size; }

    bool send(const EinkUpdate& update, std::string& error) override
    {
        MxcfbUpdateData data;
        memset(&data, 0, sizeof data);
        data.updateRegion.left = static_cast<uint32_t>(update.rect.left());
        data.updateRegion.top = static_cast<uint32_t>(update.rect.top());
        data.updateRegion.width = static_cast<uint32_t>(update.rect.width());
        data.updateRegion.height = static_cast<uint32_t>(update.rect.height());
        data.waveformMode = update.waveform == EinkUpdate::Fast ? kWaveformDU : kWaveformGC16;
        data.updateMode = update.full ? kUpdateModeFull : kUpdateModePartial;
        data.updateMarker = ++m_marker;
        data.temp = kTempUseAmbient;
        if (ioctl(m_fd, kSendUpdate, &data) == 0)
            return true;
        error = strerror(errno);
        return false;
    }

private:
    int m_fd;
    QSize m_size;
    uint32_t m_marker = 0;
};

} // namespace

std::unique_ptr<EinkDevice> open_mxc_epdc(const char* path)
{
    const int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    fb_fix_screeninfo fix;
    fb_var_screeninfo var;
    memset(&fix, 0, sizeof fix);
    memset(&var, 0, sizeof var);
    if (ioctl(fd, FBIOGET_FSCREENINFO, &fix) != 0 || ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0 ||
        strncmp(fix.id, "mxc_epdc_fb", 11) != 0) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<MxcfbDevice>(
        fd, QSize(static_cast<int>(var.xres), static_cast<int>(var.yres)));
}
