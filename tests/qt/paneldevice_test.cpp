#include "tests/qt/shell.h"

#include "qt/chessqt.h"
#include "qt/einkrefresh.h"
#include "qt/paneldevice.h"
#include "qt/platform.h"
#include "qt/reader.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The grey the buffer shows at the screen's (x, y), for a 16-bit landscape
// buffer turned once.
int buffer_grey(const std::vector<unsigned char>& memory, const FbFormat& f, int x, int y)
{
    const int bx = f.width - 1 - y;
    const int by = x;
    const unsigned char* p = memory.data() + by * f.lineLength + bx * 2;
    const int green = ((p[0] | p[1] << 8) >> 5) & 0x3F;
    return green << 2;
}

} // namespace

// The window drawn off screen reaches a Kobo's 16-bit landscape buffer
// upright, and a note window over it shows on top until it closes.
TEST(PanelDevice, TheWindowsReachTheBufferUpright)
{
    Shell shell;
    shell.start();
    FbFormat f;
    f.width = 800;
    f.height = 600;
    f.bitsPerPixel = 16;
    f.lineLength = 1600;
    f.red = {11, 5};
    f.green = {5, 6};
    f.blue = {0, 5};
    std::vector<unsigned char> memory(static_cast<size_t>(f.lineLength) * f.height, 0);
    EinkRefresh::init(PanelDevice::overMemory(memory.data(), f, fb_turns(f)));
    place_on_panel(&shell.window());
    eink_full_update();
    EinkRefresh::instance()->flushNow();

    const QImage window = shell.window().grab().toImage();
    int compared = 0;
    for (int y = 0; y < 800; y += 7) {
        for (int x = 0; x < 600; x += 5) {
            const int want = panel_grey(qGray(window.pixel(x, y)));
            ASSERT_NEAR(buffer_grey(memory, f, x, y), want, 4) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 10000);

    // A black note on top of the window, then gone again.
    QLabel note;
    note.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    note.setStyleSheet(QStringLiteral("background: black"));
    note.setGeometry(100, 200, 64, 64);
    note.show();
    EinkRefresh::instance()->flushNow();
    EXPECT_EQ(buffer_grey(memory, f, 130, 230), 0);
    note.hide();
    EinkRefresh::instance()->flushNow();
    EXPECT_NEAR(buffer_grey(memory, f, 130, 230), panel_grey(qGray(window.pixel(130, 230))), 4);
    EinkRefresh::destroy();
}
