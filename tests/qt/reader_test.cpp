#include "tests/qt/shell.h"

#include "qt/chessqt.h"
#include "qt/evdevdecoder.h"
#include "qt/platform.h"
#include "qt/readerinput.h"
#include "qt/suspender.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QWidget>

#include <gtest/gtest.h>

#include <linux/input.h>

#include <array>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

const TouchTransform kKobo{true, true, false};

std::vector<InputAction> feed(EvdevDecoder& decoder, const std::vector<std::array<int, 3>>& events)
{
    std::vector<InputAction> all;
    for (const auto& e : events) {
        const std::vector<InputAction> some = decoder.feed(e[0], e[1], e[2]);
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

// A file of input_event records, as a device (or the simulator) sends them.
std::string events_file(const std::vector<std::array<int, 3>>& events)
{
    std::string bytes;
    for (const auto& e : events) {
        input_event record{};
        record.type = static_cast<uint16_t>(e[0]);
        record.code = static_cast<uint16_t>(e[1]);
        record.value = e[2];
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    }
    return bytes;
}

// Records the key presses and pointer presses the application delivers.
class InputRecorder : public QObject {
public:
    InputRecorder() { qApp->installEventFilter(this); }
    ~InputRecorder() override { qApp->removeEventFilter(this); }
    std::vector<int> keys;
    std::vector<QPoint> presses;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
            presses.push_back(mouse->globalPosition().toPoint());
#else
            presses.push_back(mouse->globalPos());
#endif
        }
        return false;
    }
};

} // namespace

TEST(EvdevDecoder, KeysPowerCoverAndTouchPerDevice)
{
    EvdevDecoder keys(TouchTransform(), QSize(600, 800));
    const std::vector<InputAction> pressed = feed(keys, {{EV_KEY, 193, 1},
                                                         {EV_KEY, 193, 0},
                                                         {EV_KEY, 194, 1},
                                                         {EV_KEY, 194, 2},
                                                         {EV_KEY, KEY_HOME, 1},
                                                         {EV_KEY, KEY_POWER, 1},
                                                         {EV_KEY, KEY_POWER, 0},
                                                         {EV_KEY, 59, 1},
                                                         {EV_SW, SW_LID, 0},
                                                         {EV_KEY, KEY_F5, 1},
                                                         {EV_SYN, SYN_REPORT, 0}});
    ASSERT_EQ(pressed.size(), 8u);
    EXPECT_EQ(pressed[0].kind, InputAction::KeyPress);
    EXPECT_EQ(pressed[0].key, Qt::Key_PageUp);
    EXPECT_EQ(pressed[1].kind, InputAction::KeyRelease);
    EXPECT_EQ(pressed[2].key, Qt::Key_PageDown);
    EXPECT_TRUE(pressed[3].autoRepeat);
    EXPECT_EQ(pressed[4].key, Qt::Key_Home);
    EXPECT_EQ(pressed[5].kind, InputAction::Power); // the release is no second press
    EXPECT_EQ(pressed[6].kind, InputAction::CoverClosed);
    EXPECT_EQ(pressed[7].kind, InputAction::CoverOpened);

    // A Kobo's touch panel lies turned: X and Y swapped, X mirrored.
    EvdevDecoder kobo(kKobo, QSize(600, 800));
    std::vector<InputAction> touch = feed(kobo, {{EV_ABS, ABS_MT_TRACKING_ID, 3},
                                                 {EV_ABS, ABS_MT_POSITION_X, 100},
                                                 {EV_ABS, ABS_MT_POSITION_Y, 50},
                                                 {EV_SYN, SYN_REPORT, 0},
                                                 {EV_ABS, ABS_MT_POSITION_X, 120},
                                                 {EV_SYN, SYN_REPORT, 0},
                                                 {EV_ABS, ABS_MT_TRACKING_ID, -1},
                                                 {EV_SYN, SYN_REPORT, 0}});
    ASSERT_EQ(touch.size(), 3u);
    EXPECT_EQ(touch[0].kind, InputAction::TouchDown);
    EXPECT_EQ(touch[0].pos, QPoint(549, 100));
    EXPECT_EQ(touch[1].kind, InputAction::TouchMove);
    EXPECT_EQ(touch[1].pos, QPoint(549, 120));
    EXPECT_EQ(touch[2].kind, InputAction::TouchUp);
    EXPECT_EQ(touch[2].pos, QPoint(549, 120));

    // A finer touch grid is scaled to the screen; single-touch with BTN_TOUCH.
    EvdevDecoder fine(TouchTransform{false, true, true}, QSize(600, 800));
    fine.setAxisMaximum(1199, 1599);
    touch = feed(fine, {{EV_ABS, ABS_X, 0},
                        {EV_ABS, ABS_Y, 1599},
                        {EV_KEY, BTN_TOUCH, 1},
                        {EV_SYN, SYN_REPORT, 0},
                        {EV_KEY, BTN_TOUCH, 0},
                        {EV_SYN, SYN_REPORT, 0}});
    ASSERT_EQ(touch.size(), 2u);
    EXPECT_EQ(touch[0].pos, QPoint(599, 0));
    EXPECT_EQ(touch[1].kind, InputAction::TouchUp);
}

// Key and touch devices read end to end: the page key and Home reach the
// window (Home redraws the screen), Power and the cover come out as signals,
// a Kobo touch lands where the finger was.
TEST(ReaderInput, DevicesDriveTheWindow)
{
    Shell shell;
    shell.start();
    TempDir dir;
    testsupport::writeFile(dir.file("keys"), events_file({{EV_KEY, 194, 1},
                                                          {EV_KEY, 194, 0},
                                                          {EV_KEY, KEY_HOME, 1},
                                                          {EV_KEY, KEY_HOME, 0},
                                                          {EV_KEY, KEY_POWER, 1},
                                                          {EV_KEY, KEY_POWER, 0},
                                                          {EV_KEY, 59, 1}}));
    const QPoint corner = shell.window().mapToGlobal(QPoint(0, 0));
    // Raw X runs down the screen, raw Y from its right edge.
    testsupport::writeFile(dir.file("touch"),
                           events_file({{EV_ABS, ABS_MT_TRACKING_ID, 1},
                                        {EV_ABS, ABS_MT_POSITION_X, corner.y() + 700},
                                        {EV_ABS, ABS_MT_POSITION_Y, 599 - (corner.x() + 20)},
                                        {EV_SYN, SYN_REPORT, 0},
                                        {EV_ABS, ABS_MT_TRACKING_ID, -1},
                                        {EV_SYN, SYN_REPORT, 0}}));
    InputRecorder recorder;
    const int redraws = eink_full_update_count();
    ReaderInput input(dir.file("keys") + ",/nonexistent/event9", dir.file("touch"), kKobo,
                      QSize(600, 800));
    int power = 0;
    std::vector<bool> cover;
    QObject::connect(&input, &ReaderInput::powerPressed, [&] { ++power; });
    QObject::connect(&input, &ReaderInput::coverChanged,
                     [&](bool closed) { cover.push_back(closed); });
    ASSERT_TRUE(wait_until([&] { return cover.size() == 1 && !recorder.presses.empty(); }));
    EXPECT_EQ(power, 1);
    EXPECT_TRUE(cover[0]);
    ASSERT_GE(recorder.keys.size(), 2u);
    EXPECT_EQ(recorder.keys[0], Qt::Key_PageDown);
    EXPECT_EQ(recorder.keys[1], Qt::Key_Home);
    EXPECT_GT(eink_full_update_count(), redraws);
    EXPECT_EQ(recorder.presses[0], corner + QPoint(20, 700));
    EXPECT_NE(shell.log().find("/nonexistent/event9"), std::string::npos);
}

// Power suspends through the hook with a note on the screen and resumes when
// the hook returns; without a hook the note stays until the next press.
TEST(Suspender, SleepsThroughTheHookAndWakes)
{
    TempDir dir;
    const std::string hook = "while [ ! -e '" + dir.file("wake") + "' ]; do sleep 0.05; done; " +
                             "echo slept > '" + dir.file("slept") + "'";
    Suspender suspender(hook, QRect(0, 0, 600, 800));
    const int full = eink_full_update_count();
    suspender.powerPressed();
    EXPECT_TRUE(suspender.isSuspended());
    EXPECT_GT(eink_full_update_count(), full);
    QWidget* note = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->geometry() == QRect(0, 0, 600, 800))
            note = w;
    }
    ASSERT_NE(note, nullptr);
    testsupport::writeFile(dir.file("wake"), "");
    ASSERT_TRUE(wait_until([&] { return !suspender.isSuspended(); }));
    EXPECT_EQ(testsupport::readFile(dir.file("slept")), "slept\n");
    EXPECT_FALSE(note->isVisible());
    // The press that woke the device does not put it to sleep again.
    suspender.powerPressed();
    EXPECT_FALSE(suspender.isSuspended());

    Suspender noHook("", QRect(0, 0, 600, 800));
    noHook.coverChanged(true);
    EXPECT_TRUE(noHook.isSuspended());
    noHook.powerPressed();
    EXPECT_FALSE(noHook.isSuspended());
}

// A frame buffer the program cannot draw ends it with status 2 and a message.
TEST(Reader, AnUndrawableFrameBufferEndsWithStatusTwo)
{
    TempDir dir;
    testsupport::writeFile(dir.file("fb0"), std::string(4096, '\0'));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("INKMATE_FB"), QString::fromStdString(dir.file("fb0")));
    env.insert(QStringLiteral("INKMATE_NONINTERACTIVE"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString(testsupport::binPath("inkmate")),
                  {QStringLiteral("--root"), QString::fromStdString(dir.path())});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 2);
    const std::string err = program.readAllStandardError().toStdString();
    EXPECT_NE(err.find(dir.file("fb0") + " is no frame buffer"), std::string::npos) << err;
}
