#pragma once

#include "qt/einkdevice.h"
#include "qt/fbblit.h"
#include "qt/mxcfbdevice.h"
#include "qt/panelfamily.h"

#include <QImage>

#include <memory>
#include <string>

// A reader's frame buffer with its family's refresh driver. Qt draws its
// windows off screen; every update first copies the windows' repainted
// rectangle into the buffer, upright, in the buffer's depth, then asks the
// driver to refresh it.
class PanelDevice : public EinkDevice {
public:
    // Opens the frame buffer at path and finds the reader's family (familyName
    // overrides the detection when not empty; the identification files are
    // read under sysroot). Null with the reason in error when the buffer
    // cannot be opened or drawn; frameBuffer tells whether path is one.
    // turns (0-3) overrides the turns of the drawing when not negative.
    static std::unique_ptr<PanelDevice> open(const std::string& path, const std::string& sysroot,
                                             const std::string& familyName, int turns,
                                             std::string& error, bool& frameBuffer);
    // A panel without a driver over memory laid out as format (tests).
    static std::unique_ptr<PanelDevice> overMemory(unsigned char* memory, const FbFormat& format,
                                                   int turns);
    ~PanelDevice() override;
    PanelDevice(const PanelDevice&) = delete;
    PanelDevice& operator=(const PanelDevice&) = delete;

    QSize screenSize() const override { return m_screen.size(); }
    bool send(const EinkUpdate& update, std::string& error) override;

    const PanelFamily& family() const { return m_family; }
    // Why no driver matched ("" when one did).
    const std::string& noDriverReason() const { return m_noDriver; }
    std::string describe() const;

private:
    PanelDevice(int fd, unsigned char* memory, size_t size, const FbFormat& format, int turns,
                PanelFamily family);
    // Copies the visible windows' content of rect into the screen image.
    void compose(const QRect& rect);

    int m_fd;
    void* m_mapping = nullptr;
    unsigned char* m_memory;
    size_t m_size;
    FbFormat m_format;
    int m_turns;
    PanelFamily m_family;
    std::string m_noDriver;
    MxcfbDriver m_driver;
    QImage m_screen;
};
