#include "tests/support/test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using testsupport::TempDir;

namespace {

QProcessEnvironment offscreen_environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("INKMATE_NONINTERACTIVE"), QStringLiteral("1"));
    return env;
}

} // namespace

TEST(Startup, LogsStartAndFinishAndStopsOnTerminate)
{
    TempDir root;
    // The program needs one board font; everything else takes its default.
    testsupport::writeFile(root.file("inkmate.cfg"),
                           "[General]\nboard.font_00=BMP|Pieces|-|pieces.png\n");
    testsupport::writeFile(root.file("pieces.png"), testsupport::readFile(testsupport::sourcePath(
                                                        "assets/fonts/inkmate-pieces-75.png")));
    QProcess program;
    program.setProcessEnvironment(offscreen_environment());
    program.start(QString::fromStdString(testsupport::binPath("inkmate")),
                  {QStringLiteral("--root"), QString::fromStdString(root.path()),
                   QStringLiteral("--window"), QStringLiteral("600x800")});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Wait until the start line is written, then ask the program to end.
    const std::string logPath = root.file("inkmate.log.txt");
    for (int i = 0; i < 100 && testsupport::readFile(logPath).empty(); ++i)
        program.waitForFinished(100);
    // A program that ended early has no id; kill(0) would hit this test.
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    const std::string log = testsupport::readFile(logPath);
    const size_t firstEnd = log.find('\n');
    ASSERT_NE(firstEnd, std::string::npos) << log;
    const std::string first = log.substr(0, firstEnd);
    EXPECT_NE(first.find("\tI\tProgram started, version: 1.2.4."), std::string::npos) << first;
    const std::string id = first.substr(first.rfind('.') + 1);
    EXPECT_EQ(id.size(), 12u) << first;
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << first;
    const std::string tail = "\tI\tProgram finished\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.compare(log.size() - tail.size(), tail.size(), tail), 0) << log;
}

TEST(Startup, UnwritableLogFolderEndsWithCriticalBoxAndStatusZero)
{
    QProcess program;
    program.setProcessEnvironment(offscreen_environment());
    program.start(QString::fromStdString(testsupport::binPath("inkmate")),
                  {QStringLiteral("--root"), QStringLiteral("/nonexistent/inkmate-root")});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString err = QString::fromUtf8(program.readAllStandardError());
    EXPECT_TRUE(err.contains(
        QStringLiteral("Error: Couldn't open log file: /nonexistent/inkmate-root/inkmate.log.txt")))
        << err.toStdString();
}
