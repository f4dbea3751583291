#include "tests/qt/shell.h"

#include "core/configfileabstract.h"
#include "qt/chessqt.h"
#include "qt/einkrefresh.h"
#include "qt/platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct PanelRecord {
    std::vector<EinkUpdate> sent;
    bool failing = false;
};

// A 600x800 panel that records what it is sent and fails on demand.
class FakePanel : public EinkDevice {
public:
    explicit FakePanel(PanelRecord* record) : m_record(record) {}
    QSize screenSize() const override { return QSize(600, 800); }
    bool send(const EinkUpdate& update, std::string& error) override
    {
        m_record->sent.push_back(update);
        if (m_record->failing)
            error = "Input/output error";
        return !m_record->failing;
    }

private:
    PanelRecord* m_record;
};

// The shell with a fake panel behind the refresher.
class EinkShell : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell.start();
        EinkRefresh::init(std::make_unique<FakePanel>(&panel));
    }
    void TearDown() override { EinkRefresh::destroy(); }

    // Repaints a rectangle of the window and returns the updates it caused.
    std::vector<EinkUpdate> repaint(const QRect& rect)
    {
        panel.sent.clear();
        shell.window().update(rect);
        awaitUpdates();
        return panel.sent;
    }
    // Waits for the panel's first update, then lets the turn finish.
    void awaitUpdates()
    {
        wait_until([&] { return !panel.sent.empty(); });
        pump();
    }
    QRect onScreen(const QRect& rect)
    {
        return rect.translated(shell.window().mapToGlobal(QPoint(0, 0)));
    }

    Shell shell{"eink.full_every=3\n"};
    PanelRecord panel;
};

bool isPartial(const EinkUpdate& u)
{
    return !u.full && u.waveform == EinkUpdate::Fast;
}
bool isFullScreen(const EinkUpdate& u)
{
    return u.full && u.waveform == EinkUpdate::Quality && u.rect == QRect(0, 0, 600, 800);
}

} // namespace

TEST_F(EinkShell, RepaintsArePartialUpdatesWithAFullRefreshEveryNth)
{
    // A key that moves the board cursor repaints part of the window.
    shell.key(Qt::Key_Right);
    awaitUpdates();
    ASSERT_EQ(panel.sent.size(), 1u);
    EXPECT_TRUE(isPartial(panel.sent[0]));
    EXPECT_LT(panel.sent[0].rect.width() * panel.sent[0].rect.height(), 600 * 800);

    // Repaints of one turn go out as one update of their bounding rectangle,
    // in whole 8-pixel blocks.
    panel.sent.clear();
    shell.window().update(QRect(10, 20, 30, 40));
    shell.window().update(QRect(100, 200, 10, 10));
    awaitUpdates();
    ASSERT_EQ(panel.sent.size(), 1u);
    EXPECT_TRUE(isPartial(panel.sent[0]));
    const QRect bounds = onScreen(QRect(10, 20, 100, 190));
    EXPECT_EQ(panel.sent[0].rect, QRect(QPoint(bounds.left() & ~7, bounds.top() & ~7),
                                        QPoint(bounds.right() | 7, bounds.bottom() | 7)));

    // Three partial updates were sent: the fourth becomes a full refresh.
    const std::vector<EinkUpdate> third = repaint(QRect(0, 0, 5, 5));
    ASSERT_EQ(third.size(), 1u);
    EXPECT_TRUE(isPartial(third[0]));
    const std::vector<EinkUpdate> fourth = repaint(QRect(0, 0, 5, 5));
    ASSERT_EQ(fourth.size(), 1u);
    EXPECT_TRUE(isFullScreen(fourth[0]));

    // The hook flashes the whole screen at once, pending repaints included,
    // and starts the count anew.
    panel.sent.clear();
    shell.window().update(QRect(0, 0, 5, 5));
    eink_full_update();
    awaitUpdates();
    ASSERT_EQ(panel.sent.size(), 1u);
    EXPECT_TRUE(isFullScreen(panel.sent[0]));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(isPartial(repaint(QRect(0, 0, 5, 5)).at(0)));

    // 0 turns the periodic refresh off.
    g_pConfig->writeInt("eink.full_every", 0);
    for (int i = 0; i < 25; ++i)
        EXPECT_TRUE(isPartial(repaint(QRect(0, 0, 5, 5)).at(0)));
}

TEST_F(EinkShell, AFailingDriverIsLoggedOnceAndIgnored)
{
    panel.failing = true;
    EXPECT_EQ(repaint(QRect(0, 0, 5, 5)).size(), 1u);
    eink_full_update();
    awaitUpdates();
    EXPECT_EQ(repaint(QRect(0, 0, 5, 5)).size(), 1u);
    const std::string log = shell.log();
    const std::string line = "E-ink update failed: Input/output error";
    const size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(line, first + 1), std::string::npos);
}

TEST(EinkRefresh, NothingHappensWithoutAPanel)
{
    EXPECT_EQ(EinkRefresh::instance(), nullptr);
    eink_full_update();
}
