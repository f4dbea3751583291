#include "qt/fbblit.h"
#include "qt/mxcfbdevice.h"
#include "qt/panelfamily.h"

#include <QTransform>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

PanelFamily family(const char* name)
{
    PanelFamily f;
    EXPECT_TRUE(panel_family_by_name(name, f)) << name;
    return f;
}

uint32_t word(const MxcfbRequest& r, size_t offset)
{
    uint32_t value = 0;
    memcpy(&value, r.data.data() + offset, sizeof value);
    return value;
}

struct RequestRow {
    const char* family;
    unsigned long update;
    size_t size;
    unsigned long wait;
};

} // namespace

// The request numbers the kernels accept: the size is part of the number.
TEST(PanelRequests, NumbersAndSizesPerFamily)
{
    const RequestRow rows[] = {{"kobo-mark6", 0x4044462eul, 68, 0x4004462ful},
                               {"kobo-mark7", 0x4048462eul, 72, 0xc008462ful},
                               {"nxp", 0x4048462eul, 72, 0xc008462ful},
                               {"remarkable1", 0x4048462eul, 72, 0xc008462ful},
                               {"kindle-pw1", 0x4048462eul, 72, 0x4004462ful},
                               {"kindle-pw2", 0x4048462eul, 72, 0xc008462ful},
                               {"kindle-pw4", 0x4050462eul, 80, 0xc008462ful},
                               {"kindle-oasis2", 0x4058462eul, 88, 0xc008462ful}};
    for (const RequestRow& row : rows) {
        const PanelFamily f = family(row.family);
        const MxcfbRequest update = mxcfb_update_request(f, QRect(1, 2, 3, 4), false, false, 7);
        EXPECT_EQ(update.number, row.update) << row.family;
        EXPECT_EQ(update.data.size(), row.size) << row.family;
        const MxcfbRequest wait = mxcfb_wait_request(f, 7);
        EXPECT_EQ(wait.number, row.wait) << row.family;
        EXPECT_EQ(wait.data.size(), row.wait == 0x4004462ful ? 4u : 8u) << row.family;
        EXPECT_EQ(word(wait, 0), 7u) << row.family;
        // mxcfb_rect is top, left, width, height.
        EXPECT_EQ(word(update, 0), 2u) << row.family;
        EXPECT_EQ(word(update, 4), 1u) << row.family;
        EXPECT_EQ(word(update, 8), 3u) << row.family;
        EXPECT_EQ(word(update, 12), 4u) << row.family;
        EXPECT_EQ(word(update, 24), 7u) << row.family; // marker
    }
    EXPECT_EQ(mxcfb_update_request(family("none"), QRect(0, 0, 8, 8), true, true, 1).number, 0u);
    EXPECT_EQ(mxcfb_wait_request(family("none"), 1).number, 0u);
}

TEST(PanelRequests, WaveformsFlagsAndTemperature)
{
    // Kobo Mark 6: fast partial updates are DU, force-monochrome; full ones GC16.
    const PanelFamily kobo = family("kobo-mark6");
    const MxcfbRequest fast = mxcfb_update_request(kobo, QRect(0, 0, 8, 8), false, false, 1);
    EXPECT_EQ(word(fast, 16), 1u);      // DU
    EXPECT_EQ(word(fast, 20), 0u);      // partial
    EXPECT_EQ(word(fast, 28), 0x1000u); // ambient temperature
    EXPECT_EQ(word(fast, 32), 2u);      // EPDC_FLAG_FORCE_MONOCHROME
    const MxcfbRequest full = mxcfb_update_request(kobo, QRect(0, 0, 8, 8), true, true, 2);
    EXPECT_EQ(word(full, 16), 2u); // GC16
    EXPECT_EQ(word(full, 20), 1u); // full
    EXPECT_EQ(word(full, 32), 0u);

    // Kindle: the histogram waveforms come before temperature and flags.
    const MxcfbRequest kindle =
        mxcfb_update_request(family("kindle-pw2"), QRect(0, 0, 8, 8), false, false, 1);
    EXPECT_EQ(word(kindle, 28), 1u); // hist_bw: DU
    EXPECT_EQ(word(kindle, 32), 3u); // hist_gray: GC16_FAST
    EXPECT_EQ(word(kindle, 36), 0x1000u);
    EXPECT_EQ(word(kindle, 40), 2u);
    const MxcfbRequest zelda =
        mxcfb_update_request(family("kindle-oasis2"), QRect(0, 0, 8, 8), false, false, 1);
    EXPECT_EQ(word(zelda, 72), 1u); // after the alternate buffer
    EXPECT_EQ(word(zelda, 76), 2u);

    // reMarkable 1: its own temperature for DU, no flags.
    const MxcfbRequest rm =
        mxcfb_update_request(family("remarkable1"), QRect(0, 0, 8, 8), false, false, 1);
    EXPECT_EQ(word(rm, 28), 24u);
    EXPECT_EQ(word(rm, 32), 0u);
}

namespace {

struct DetectRow {
    DeviceFacts facts;
    const char* family;
};

} // namespace

TEST(PanelFamily, DetectedFromTheDevicesOwnFiles)
{
    const std::string kobo = "N905C0000000,3.0.35+,4.38.21908,4.38.21908,4.38.21908,00000000-0000-"
                             "0000-0000-000000000";
    const DetectRow rows[] = {
        {{"mxc_epdc_fb", "3.0.35+", kobo + "373", "", ""}, "kobo-mark6"},
        {{"mxc_epdc_fb", "2.6.35.3", kobo + "310\n", "", ""}, "kobo-mark6"},
        {{"mxc_epdc_fb", "4.1.15", kobo + "376", "", ""}, "kobo-mark7"},
        {{"mxc_epdc_fb", "4.1.15", kobo + "384", "", ""}, "kobo-mark7"},
        {{"mxc_epdc_fb", "4.9.77", kobo + "390", "", ""}, "none"},
        {{"mxc_epdc_fb", "2.6.31", "", "B024000000000000", ""}, "kindle-pw1"},
        {{"mxc_epdc_fb", "3.0.35", "", "90D4000000000000", ""}, "kindle-pw2"},
        {{"mxc_epdc_fb", "3.0.35", "", "G000K9000000000", ""}, "kindle-pw2"},
        {{"mxc_epdc_fb", "4.9.77", "", "G000PP000000000", ""}, "kindle-pw4"},
        {{"mxc_epdc_fb", "3.10.53", "", "G000LM000000000", ""}, "kindle-oasis2"},
        {{"mxc_epdc_fb", "4.9.77", "", "G0001Q000000000", ""}, "none"},
        {{"mxc_epdc_fb", "4.1.28", "", "", "reMarkable 1.0"}, "remarkable1"},
        {{"mxs-lcdif", "5.4.70", "", "", "reMarkable 2.0"}, "none"},
        {{"mxc_epdc_fb", "3.0.35", "", "", ""}, "kobo-mark6"},
        {{"mxc_epdc_fb", "4.1.15", "", "", ""}, "nxp"},
        {{"simple", "6.1.0", "", "", ""}, "none"}};
    for (const DetectRow& row : rows) {
        std::string why;
        const PanelFamily f = detect_panel_family(row.facts, why);
        EXPECT_EQ(f.name, row.family) << row.facts.koboVersion << row.facts.kindleSerial;
        EXPECT_EQ(why.empty(), std::string(row.family) != "none") << why;
    }
    PanelFamily unknown;
    EXPECT_FALSE(panel_family_by_name("kobo-mark99", unknown));
}

namespace {

// An upright 6x10 screen with every panel grey level, in a pattern that no
// rotation or mirror maps onto itself.
QImage test_screen()
{
    QImage image(6, 10, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = ((x * 7 + y * 3) % 16) * 17;
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return image;
}

FbFormat format(int width, int height, int bits, int grayscale = 0)
{
    FbFormat f;
    f.width = width;
    f.height = height;
    f.bitsPerPixel = bits;
    f.lineLength = width * bits / 8 + 12; // padded lines
    f.grayscale = grayscale;
    if (bits == 16) {
        f.red = {11, 5};
        f.green = {5, 6};
        f.blue = {0, 5};
    } else if (bits == 32) {
        f.red = {16, 8};
        f.green = {8, 8};
        f.blue = {0, 8};
        f.transp = {24, 8};
    }
    return f;
}

// The grey a buffer pixel shows.
int shown_grey(const std::vector<unsigned char>& memory, const FbFormat& f, int x, int y)
{
    const unsigned char* p = memory.data() + y * f.lineLength + x * f.bitsPerPixel / 8;
    if (f.bitsPerPixel == 8)
        return f.grayscale == 2 ? 255 - p[0] : p[0];
    uint32_t value = 0;
    for (int i = 0; i < f.bitsPerPixel / 8; ++i)
        value |= static_cast<uint32_t>(p[i]) << (8 * i);
    const auto level = [&](const FbFormat::Field& field) {
        const uint32_t raw = (value >> field.offset) & ((1u << field.length) - 1);
        return static_cast<int>(raw << (8 - field.length));
    };
    const int g = level(f.green);
    EXPECT_EQ(level(f.red) >> 3, g >> 3);
    EXPECT_EQ(level(f.blue) >> 3, g >> 3);
    if (f.transp.length > 0) {
        EXPECT_EQ(value >> f.transp.offset & 0xFF, 0xFFu);
    }
    return g;
}

} // namespace

// Every depth and turn, pixel by pixel against Qt's own rotation of the
// screen; the line padding stays untouched.
TEST(FrameBufferBlit, EveryDepthAndRotationIsDrawnUpright)
{
    const QImage screen = test_screen();
    for (int bits : {8, 16, 32}) {
        for (int grayscale : bits == 8 ? std::vector<int>{1, 2} : std::vector<int>{0}) {
            for (int turns = 0; turns < 4; ++turns) {
                SCOPED_TRACE(testing::Message()
                             << bits << " bits, grey " << grayscale << ", " << turns << " turns");
                const QImage expected = screen.transformed(QTransform().rotate(90 * turns));
                FbFormat f = format(expected.width(), expected.height(), bits, grayscale);
                ASSERT_TRUE(fb_format_supported(f));
                EXPECT_EQ(fb_screen_size(f, turns), screen.size());
                std::vector<unsigned char> memory(static_cast<size_t>(f.lineLength) * f.height,
                                                  0xAB);
                fb_blit(screen, screen.rect(), f, turns, memory.data());
                for (int y = 0; y < f.height; ++y) {
                    for (int x = 0; x < f.width; ++x) {
                        const int want = panel_grey(qGray(expected.pixel(x, y)));
                        const int tolerance = bits == 16 ? 8 : 0;
                        ASSERT_NEAR(shown_grey(memory, f, x, y), want, tolerance) << x << "," << y;
                    }
                    for (int i = f.width * bits / 8; i < f.lineLength; ++i)
                        ASSERT_EQ(memory[y * f.lineLength + i], 0xAB);
                }
                // A rectangle of the screen lands on its turned place only.
                std::vector<unsigned char> part(memory.size(), 0xAB);
                const QRect rect(1, 2, 3, 4);
                fb_blit(screen, rect, f, turns, part.data());
                const QRect onBuffer = fb_rect_on_buffer(rect, screen.size(), turns);
                EXPECT_EQ(onBuffer.width() * onBuffer.height(), 12);
                const int bytes = bits / 8;
                for (int y = 0; y < f.height; ++y) {
                    for (int x = 0; x < f.width; ++x) {
                        const size_t at = static_cast<size_t>(y * f.lineLength + x * bytes);
                        const std::vector<unsigned char> got(part.begin() + at,
                                                             part.begin() + at + bytes);
                        const std::vector<unsigned char> want =
                            onBuffer.contains(x, y)
                                ? std::vector<unsigned char>(memory.begin() + at,
                                                             memory.begin() + at + bytes)
                                : std::vector<unsigned char>(bytes, 0xAB);
                        ASSERT_EQ(got, want) << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(FrameBufferBlit, ShapesTurnsAndUndrawableBuffers)
{
    // The grey ramp reduced to sixteen levels.
    EXPECT_EQ(panel_grey(0), 0);
    EXPECT_EQ(panel_grey(255), 255);
    EXPECT_EQ(panel_grey(0x80), 0x88);
    EXPECT_EQ(panel_grey(8), 0);
    EXPECT_EQ(panel_grey(9), 0x11);

    // A Kobo booted in 16-bit landscape is drawn turned; a portrait buffer as it is.
    FbFormat landscape = format(800, 600, 16);
    EXPECT_EQ(fb_turns(landscape), 1);
    EXPECT_EQ(fb_screen_size(landscape, 1), QSize(600, 800));
    landscape.rotate = 3;
    EXPECT_EQ(fb_turns(landscape), 3);
    landscape.rotate = 2;
    EXPECT_EQ(fb_turns(landscape), 1);
    FbFormat portrait = format(600, 800, 32);
    EXPECT_EQ(fb_turns(portrait), 0);
    portrait.rotate = 1;
    EXPECT_EQ(fb_turns(portrait), 0);
    portrait.rotate = 2;
    EXPECT_EQ(fb_turns(portrait), 2);

    EXPECT_FALSE(fb_format_supported(format(600, 800, 8, 0))); // a colour map
    EXPECT_FALSE(fb_format_supported(format(600, 800, 4, 1)));
    EXPECT_FALSE(fb_format_supported(format(600, 800, 1, 1)));
    EXPECT_FALSE(fb_format_supported(format(0, 800, 32)));
    FbFormat shortLines = format(600, 800, 32);
    shortLines.lineLength = 600;
    EXPECT_FALSE(fb_format_supported(shortLines));
}
