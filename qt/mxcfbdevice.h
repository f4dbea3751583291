#pragma once

#include "qt/panelfamily.h"

#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

// The EPDC driver's requests (MXCFB_SEND_UPDATE, MXCFB_WAIT_FOR_UPDATE_COMPLETE)
// in the layout of one family's kernel. The request number encodes the
// struct's size; a kernel answers any other size with ENOTTY.
struct MxcfbRequest {
    unsigned long number = 0;
    std::vector<unsigned char> data; // the struct, as the ioctl reads it
};

// The update of rect (in the buffer's coordinates) with the family's fast
// or quality waveform; marker names it for the wait.
MxcfbRequest mxcfb_update_request(const PanelFamily& family, const QRect& rect, bool full,
                                  bool quality, uint32_t marker);
// The wait for the update with the marker; number 0 where the family has none.
MxcfbRequest mxcfb_wait_request(const PanelFamily& family, uint32_t marker);

// Sends requests to an EPDC frame buffer's descriptor.
class MxcfbDriver {
public:
    MxcfbDriver(int fd, PanelFamily family) : m_fd(fd), m_family(std::move(family)) {}
    // Sends an update; a full one is waited for. False with the reason.
    bool update(const QRect& rect, bool full, bool quality, std::string& error);

private:
    int m_fd;
    PanelFamily m_family;
    uint32_t m_marker = 0;
};
