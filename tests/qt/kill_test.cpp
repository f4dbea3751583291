#include "base/chessbase.h"
#include "tests/support/test_support.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The real program on a fresh root, driven through its test input.
class Program {
public:
    explicit Program(const testsupport::TempDir& root)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("INKMATE_NONINTERACTIVE"), QStringLiteral("1"));
        env.insert(QStringLiteral("INKMATE_TEST_INPUT"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.start(QString::fromStdString(testsupport::binPath("inkmate")),
                        {QStringLiteral("--root"), QString::fromStdString(root.path()),
                         QStringLiteral("--window"), QStringLiteral("600x800")});
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    QProcess& process() { return m_process; }
    void send(const std::string& line) { m_process.write((line + "\n").c_str()); }
    // The position on screen, "" when the program does not answer in time.
    std::string fen()
    {
        send("fen");
        // The log shares standard output: the answer is the line "fen ...".
        for (int i = 0; i < 100; ++i) {
            m_process.waitForReadyRead(100);
            m_out += m_process.readAllStandardOutput().toStdString();
            size_t start = m_out.find("\nfen ");
            if (start == std::string::npos && m_out.compare(0, 4, "fen ") == 0)
                start = 0;
            else if (start != std::string::npos)
                ++start;
            const size_t end = start == std::string::npos ? start : m_out.find('\n', start);
            if (end != std::string::npos) {
                const std::string answer = m_out.substr(start + 4, end - start - 4);
                m_out.erase(0, end + 1);
                return answer;
            }
        }
        return std::string();
    }

private:
    QProcess m_process;
    std::string m_out;
};

} // namespace

// A game is never lost: the program killed outright after three moves starts
// again at the game and position it was killed in.
TEST(Kill, GameInProgressSurvivesSigkill)
{
    testsupport::TempDir root;
    testsupport::writeFile(root.file("pieces.png"), testsupport::readFile(testsupport::sourcePath(
                                                        "assets/fonts/inkmate-pieces-75.png")));
    testsupport::writeFile(root.file("inkmate.cfg"),
                           "[General]\nboard.font_00=BMP|Pieces|-|pieces.png\n");
    const std::string after = "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2";
    const std::string base = root.file("chess/game.cdb");
    {
        Program program(root);
        ASSERT_TRUE(program.process().waitForStarted(10000));
        ASSERT_FALSE(program.fen().empty())
            << program.process().readAllStandardError().toStdString();
        for (const char* move : {"move e2e4", "move e7e5", "move g1f3"})
            program.send(move);
        ASSERT_EQ(program.fen(), after);
        // Killed once the last move is in the file: no teardown runs.
        ASSERT_TRUE(testsupport::waitUntil(
            [&] {
                ChessBase stored;
                try {
                    stored.open(base, ChessBase::ReadOnly);
                } catch (...) {
                    return false;
                }
                return stored.game.current &&
                       stored.game.current->boardAfter().exportToFEN() == after;
            },
            15000));
        ::kill(static_cast<pid_t>(program.process().processId()), SIGKILL);
        ASSERT_TRUE(program.process().waitForFinished(10000));
        EXPECT_EQ(program.process().exitStatus(), QProcess::CrashExit);
    }
    Program again(root);
    ASSERT_TRUE(again.process().waitForStarted(10000));
    EXPECT_EQ(again.fen(), after);
    again.send("move b8c6");
    EXPECT_EQ(again.fen(), "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
}
