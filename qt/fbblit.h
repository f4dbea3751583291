#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

// A frame buffer's memory layout, as FBIOGET_VSCREENINFO and
// FBIOGET_FSCREENINFO report it.
struct FbFormat {
    struct Field {
        int offset = 0;
        int length = 0;
    };
    int width = 0;  // xres
    int height = 0; // yres
    int bitsPerPixel = 0;
    int lineLength = 0; // bytes
    int rotate = 0;     // FB_ROTATE_*: quarter turns clockwise
    int grayscale = 0;  // 1 grey, 2 inverted grey (some Kindles)
    Field red, green, blue, transp;
};

// True where the program can draw: 8-bit grey, 16, 24 and 32 bits.
bool fb_format_supported(const FbFormat& format);

// The quarter turns (clockwise) from the upright portrait screen to the
// buffer: the kernel's rotate where it agrees with the buffer's shape (a
// landscape buffer is turned by an odd count); else none for a portrait
// buffer and one (three for rotate 2) for a landscape one.
int fb_turns(const FbFormat& format);

// The upright portrait screen the buffer shows after the turns.
QSize fb_screen_size(const FbFormat& format, int turns);
// A screen rectangle in the buffer's coordinates.
QRect fb_rect_on_buffer(const QRect& screenRect, const QSize& screen, int turns);

// Draws rect of the upright screen image into the buffer at memory, turned
// and converted; grey levels are reduced to the panel's sixteen.
void fb_blit(const QImage& screen, const QRect& rect, const FbFormat& format, int turns,
             unsigned char* memory);

// The sixteen grey levels an e-ink panel shows: 0x00, 0x11, ... 0xFF.
inline uint8_t panel_grey(int grey)
{
    return static_cast<uint8_t>(((grey * 15 + 127) / 255) * 17);
}
