#include "qt/fbblit.h"

#include <QtGlobal>

#include <cstddef>

bool fb_format_supported(const FbFormat& f)
{
    if (f.width <= 0 || f.height <= 0 || f.lineLength < f.width * f.bitsPerPixel / 8)
        return false;
    if (f.bitsPerPixel == 8)
        return f.grayscale != 0;
    return f.bitsPerPixel == 16 || f.bitsPerPixel == 24 || f.bitsPerPixel == 32;
}

int fb_turns(const FbFormat& f)
{
    const int turns = f.rotate & 3;
    const bool landscape = f.width > f.height;
    if (((turns & 1) != 0) == landscape)
        return turns;
    // A portrait buffer the kernel turned itself is drawn as it is; a
    // landscape one is turned a quarter, the upright top edge along the
    // buffer's right edge (how a Kobo's panel lies as it boots).
    return landscape ? 1 : 0;
}

QSize fb_screen_size(const FbFormat& f, int turns)
{
    return (turns & 1) ? QSize(f.height, f.width) : QSize(f.width, f.height);
}

namespace {

// Where the screen's pixel (x, y) lies in the buffer.
inline void to_buffer(int x, int y, int w, int h, int turns, int& bx, int& by)
{
    switch (turns) {
    case 1:
        bx = h - 1 - y;
        by = x;
        break;
    case 2:
        bx = w - 1 - x;
        by = h - 1 - y;
        break;
    case 3:
        bx = y;
        by = w - 1 - x;
        break;
    default:
        bx = x;
        by = y;
        break;
    }
}

inline uint32_t channel(uint8_t value, const FbFormat::Field& field)
{
    if (field.length <= 0 || field.offset < 0 || field.offset > 31)
        return 0;
    return (static_cast<uint32_t>(value) >> (8 - qMin(field.length, 8))) << field.offset;
}

} // namespace

QRect fb_rect_on_buffer(const QRect& r, const QSize& screen, int turns)
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    to_buffer(r.left(), r.top(), screen.width(), screen.height(), turns, x1, y1);
    to_buffer(r.right(), r.bottom(), screen.width(), screen.height(), turns, x2, y2);
    return QRect(QPoint(qMin(x1, x2), qMin(y1, y2)), QPoint(qMax(x1, x2), qMax(y1, y2)));
}

namespace {

// Writes one row of screen pixels, stepping through the buffer.
template <int Bytes>
void blit_row(const QRgb* line, int from, int to, unsigned char* pixel, ptrdiff_t step,
              const uint32_t* lut)
{
    for (int x = from; x <= to; ++x, pixel += step) {
        const uint32_t value = lut[qGray(line[x])];
        // The buffer holds native-endian pixels; the readers are little-endian.
        for (int i = 0; i < Bytes; ++i)
            pixel[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

} // namespace

void fb_blit(const QImage& screen, const QRect& rect, const FbFormat& f, int turns,
             unsigned char* memory)
{
    const QRect area = rect & screen.rect();
    if (area.isEmpty())
        return;
    const int bytes = f.bitsPerPixel / 8;
    // Every grey the screen can hold, as the buffer stores it.
    uint32_t lut[256];
    for (int grey = 0; grey < 256; ++grey) {
        const uint8_t shown = panel_grey(grey);
        lut[grey] = bytes == 1 ? (f.grayscale == 2 ? 255u - shown : shown)
                               : channel(shown, f.red) | channel(shown, f.green) |
                                     channel(shown, f.blue) | channel(0xFF, f.transp);
    }
    // One step right on the screen, in the buffer.
    const ptrdiff_t steps[4] = {bytes, f.lineLength, -bytes, -f.lineLength};
    const ptrdiff_t step = steps[turns & 3];
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        int bx = 0;
        int by = 0;
        to_buffer(area.left(), y, screen.width(), screen.height(), turns, bx, by);
        unsigned char* pixel = memory + static_cast<ptrdiff_t>(by) * f.lineLength + bx * bytes;
        switch (bytes) {
        case 1:
            blit_row<1>(line, area.left(), area.right(), pixel, step, lut);
            break;
        case 2:
            blit_row<2>(line, area.left(), area.right(), pixel, step, lut);
            break;
        case 3:
            blit_row<3>(line, area.left(), area.right(), pixel, step, lut);
            break;
        default:
            blit_row<4>(line, area.left(), area.right(), pixel, step, lut);
            break;
        }
    }
}
