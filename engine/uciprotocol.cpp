#include "engine/uciprotocol.h"

#include "core/utils.h"
#include "engine/engineinfo.h"
#include "engine/enginelevel.h"

#include <string>
#include <vector>

namespace {
// The first two words of a line.
void first_words(const std::string& line, std::string* first, std::string* second)
{
    std::vector<std::string> words;
    splitInVector(line, " \t", words);
    *first = words.empty() ? std::string() : words[0];
    *second = words.size() < 2 ? std::string() : words[1];
}
} // namespace

UciProtocol::UciProtocol(const std::string& name) : EngineProtocol(name) {}

void UciProtocol::start()
{
    write("uci");
}

void UciProtocol::stopSearch()
{
    write("stop");
}

bool UciProtocol::answersStop(const std::string& line) const
{
    return vacuum(line).compare(0, 8, "bestmove") == 0;
}

void UciProtocol::sendRequest(const Board& position, const Move& last)
{
    const EngineLevel level = EngineLevel::forUci(getLevel(), m_options).withDepth(getFixedDepth());
    const std::vector<std::string> options = level.uciOptionLines();
    if (options != m_sentOptions) {
        for (const std::string& line : options)
            write(line);
        m_sentOptions = options;
    }
    std::string command = "position fen " + position.exportToFEN();
    if (!last.isNull())
        command += " moves " + last.getAsString();
    write(command);
    const EngineClock& clock = getClock();
    if (getFixedMoveTime() > 0) {
        std::string go = "go movetime " + std::to_string(getFixedMoveTime());
        if (getFixedDepth() > 0)
            go += " depth " + std::to_string(getFixedDepth());
        write(go);
    } else {
        write(clock.isSet() ? clock.uciGo(level, askedSide()) : level.uciGo());
    }
}

void UciProtocol::handleLine(const std::string& line)
{
    switch (m_state) {
    case WaitingUciOk:
        if (m_options.parseLine(line))
            break;
        if (vacuum(line) == "uciok") {
            m_state = WaitingReadyOk;
            write("isready");
        }
        break;
    case WaitingReadyOk:
        if (vacuum(line) == "readyok") {
            greetingAnswered();
            m_state = Ready;
            write("ucinewgame");
            sendPendingRequest();
        }
        break;
    default: {
        // The answer opens the line (an "info string" may mention "bestmove").
        std::string first, answer;
        first_words(line, &first, &answer);
        EngineInfo info;
        if (first == "info" && parse_uci_info(line, &info)) {
            reportInfo(info);
            break;
        }
        if (first != "bestmove" || answer.empty())
            break;
        if (answer == "(none)" || answer == "0000")
            reportNoMove();
        else
            reportMove(answer);
        break;
    }
    }
}
