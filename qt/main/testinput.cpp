#include "qt/main/testinput.h"

#include "app/chesscontroller.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

Position square(const std::string& text)
{
    return Position(text[0] - 'a', text[1] - '1');
}

void run_command(ChessController& controller, const std::string& line)
{
    if (line.size() >= 9 && line.compare(0, 5, "move ") == 0) {
        ChessDocument& document = controller.document();
        document.selection = square(line.substr(5, 2));
        document.cursor = square(line.substr(7, 2));
        controller.platform().guard([&controller] { controller.input().keyOkReleased(); });
    } else if (line == "fen") {
        const PGNMove* current = controller.document().game().current;
        const std::string fen = current ? current->boardAfter().exportToFEN() : std::string("-");
        std::printf("fen %s\n", fen.c_str());
        std::fflush(stdout);
    }
}

} // namespace

void install_test_input(ChessController& controller)
{
    if (qEnvironmentVariableIntValue("INKMATE_TEST_INPUT") != 1)
        return;
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
    static std::string pending;
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&controller, notifier] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            notifier->setEnabled(false);
            return;
        }
        pending.append(buffer, static_cast<size_t>(got));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            run_command(controller, line);
        }
    });
}
