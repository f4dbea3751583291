#include "tests/support/test_support.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

// SIGTERM ends the program through its normal teardown: the window goes,
// the game base is closed (storing the game), then the log's last line.
TEST(Terminate, SignalClosesTheWindowAndStoresTheGame)
{
    testsupport::TempDir root;
    testsupport::writeFile(root.file("pieces.png"), testsupport::readFile(testsupport::sourcePath(
                                                        "assets/fonts/inkmate-pieces-75.png")));
    testsupport::writeFile(root.file("inkmate.cfg"),
                           "[General]\nboard.font_00=BMP|Pieces|-|pieces.png\nlevel=3\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("INKMATE_NONINTERACTIVE"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QString::fromStdString(testsupport::binPath("inkmate")),
                  {QStringLiteral("--root"), QString::fromStdString(root.path()),
                   QStringLiteral("--window"), QStringLiteral("600x800")});
    ASSERT_TRUE(program.waitForStarted(10000));
    const std::string logPath = root.file("inkmate.log.txt");
    for (int i = 0;
         i < 100 && testsupport::readFile(logPath).find("is loaded") == std::string::npos; ++i)
        program.waitForFinished(100);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 0);

    const std::string log = testsupport::readFile(logPath);
    const size_t loaded = log.find("Base " + root.path() + "/chess/game.cdb is loaded");
    const size_t closed = log.find("Closed game base " + root.path() + "/chess/game.cdb");
    const size_t finished = log.find("Program finished");
    ASSERT_NE(loaded, std::string::npos) << log;
    ASSERT_NE(closed, std::string::npos) << log;
    EXPECT_LT(loaded, closed);
    EXPECT_LT(closed, finished);
    // The settings survive the signal.
    EXPECT_NE(testsupport::readFile(root.file("inkmate.cfg")).find("level=3"), std::string::npos);
    EXPECT_TRUE(QDir(QString::fromStdString(root.path() + "/chess")).exists());
}
