#pragma once

#include "qt/einkdevice.h"

#include <memory>

// The i.MX EPDC framebuffer driver ("mxc_epdc_fb"), driven through its
// MXCFB_SEND_UPDATE ioctl. Null when the framebuffer at path cannot be opened
// or is not such a panel.
std::unique_ptr<EinkDevice> open_mxc_epdc(const char* path);
