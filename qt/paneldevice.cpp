#include "qt/paneldevice.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

FbFormat format_of(const fb_fix_screeninfo& fix, const fb_var_screeninfo& var)
{
    FbFormat f;
    f.width = static_cast<int>(var.xres);
    f.height = static_cast<int>(var.yres);
    f.bitsPerPixel = static_cast<int>(var.bits_per_pixel);
    f.lineLength = static_cast<int>(fix.line_length);
    f.rotate = static_cast<int>(var.rotate);
    f.grayscale = static_cast<int>(var.grayscale);
    auto field = [](const fb_bitfield& b) {
        return FbFormat::Field{static_cast<int>(b.offset), static_cast<int>(b.length)};
    };
    f.red = field(var.red);
    f.green = field(var.green);
    f.blue = field(var.blue);
    f.transp = field(var.transp);
    return f;
}

// Stacking order: the main window, its dialogs, modal ones, then popups.
int layer(const QWindow* w)
{
    if (w->type() == Qt::Popup)
        return 3;
    if (w->modality() != Qt::NonModal)
        return 2;
    return w->transientParent() ? 1 : 0;
}

} // namespace

std::unique_ptr<PanelDevice> PanelDevice::open(const std::string& path, const std::string& sysroot,
                                               const std::string& familyName, int turns,
                                               std::string& error, bool& frameBuffer)
{
    frameBuffer = false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + strerror(errno);
        return nullptr;
    }
    fb_fix_screeninfo fix;
    fb_var_screeninfo var;
    memset(&fix, 0, sizeof fix);
    memset(&var, 0, sizeof var);
    if (ioctl(fd, FBIOGET_FSCREENINFO, &fix) != 0 || ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0) {
        error = path + " is no frame buffer: " + strerror(errno);
        ::close(fd);
        return nullptr;
    }
    frameBuffer = true;
    FbFormat format = format_of(fix, var);
    if (!fb_format_supported(format)) {
        error = path + ": cannot draw on a " + std::to_string(format.width) + "x" +
                std::to_string(format.height) + " buffer of " +
                std::to_string(format.bitsPerPixel) + " bits per pixel" +
                (format.bitsPerPixel == 8 && format.grayscale == 0 ? " with a colour map" : "");
        ::close(fd);
        return nullptr;
    }
    // The visible page of a buffer that may hold more than one.
    const size_t offset = static_cast<size_t>(var.yoffset) * fix.line_length +
                          static_cast<size_t>(var.xoffset) * var.bits_per_pixel / 8;
    const size_t needed = offset + static_cast<size_t>(format.lineLength) * format.height;
    const size_t size = std::max<size_t>(fix.smem_len, needed);
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        error = path + ": cannot map the buffer: " + strerror(errno);
        ::close(fd);
        return nullptr;
    }

    std::string fbId(fix.id, strnlen(fix.id, sizeof fix.id));
    PanelFamily family;
    std::string noDriver;
    if (!familyName.empty()) {
        if (!panel_family_by_name(familyName, family)) {
            error = "unknown device \"" + familyName + "\" (known: " + panel_family_names() + ")";
            munmap(memory, size);
            ::close(fd);
            return nullptr;
        }
    } else {
        family = detect_panel_family(read_device_facts(sysroot, fbId), noDriver);
    }
    std::unique_ptr<PanelDevice> device(
        new PanelDevice(fd, static_cast<unsigned char*>(memory), size, format,
                        turns >= 0 ? (turns & 3) : fb_turns(format), std::move(family)));
    device->m_memory += offset;
    device->m_noDriver = noDriver;
    return device;
}

PanelDevice::PanelDevice(int fd, unsigned char* memory, size_t size, const FbFormat& format,
                         int turns, PanelFamily family)
    : m_fd(fd), m_memory(memory), m_size(size), m_format(format), m_turns(turns),
      m_family(std::move(family)), m_driver(fd, m_family),
      m_screen(fb_screen_size(format, m_turns), QImage::Format_RGB32)
{
    m_screen.fill(Qt::white);
    m_mapping = memory;
}

std::unique_ptr<PanelDevice> PanelDevice::overMemory(unsigned char* memory, const FbFormat& format,
                                                     int turns)
{
    PanelFamily none;
    panel_family_by_name("none", none);
    std::unique_ptr<PanelDevice> device(
        new PanelDevice(-1, nullptr, 0, format, turns, std::move(none)));
    device->m_memory = memory;
    return device;
}

PanelDevice::~PanelDevice()
{
    if (m_mapping)
        munmap(m_mapping, m_size);
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string PanelDevice::describe() const
{
    return m_family.label + " (" + m_family.name + "), " + std::to_string(m_format.width) + "x" +
           std::to_string(m_format.height) + " at " + std::to_string(m_format.bitsPerPixel) +
           " bits, rotate " + std::to_string(m_format.rotate) + ", drawn turned " +
           std::to_string(m_turns) + " quarter(s)";
}

void PanelDevice::compose(const QRect& rect)
{
    std::vector<QWindow*> windows;
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w->isVisible() && w->type() != Qt::Desktop)
            windows.push_back(w);
    }
    std::stable_sort(windows.begin(), windows.end(),
                     [](const QWindow* a, const QWindow* b) { return layer(a) < layer(b); });
    QPainter painter(&m_screen);
    painter.fillRect(rect, Qt::white);
    for (QWindow* w : windows) {
        const QRect area = w->geometry() & rect;
        if (area.isEmpty() || !w->screen())
            continue;
        const QPoint local = area.topLeft() - w->geometry().topLeft();
        const QPixmap pixels =
            w->screen()->grabWindow(w->winId(), local.x(), local.y(), area.width(), area.height());
        painter.drawPixmap(area.topLeft(), pixels);
    }
}

bool PanelDevice::send(const EinkUpdate& update, std::string& error)
{
    const QRect rect = update.rect & m_screen.rect();
    if (rect.isEmpty())
        return true;
    compose(rect);
    fb_blit(m_screen, rect, m_format, m_turns, m_memory);
    return m_driver.update(fb_rect_on_buffer(rect, m_screen.size(), m_turns), update.full,
                           update.waveform == EinkUpdate::Quality, error);
}
