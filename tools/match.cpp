#include "chess/polyglot.h"
#include "core/exception.h"
#include "core/gameresult.h"
#include "engine/engineanswer.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/engineprocess.h"
#include "game/game.h"
#include "tools/answerwait.h"
#include "tools/command.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

namespace {

const char kUsage[] =
    "usage: inkmate-tool match --config FILE --white I[:LEVEL] --black J[:LEVEL] --games N "
    "[--openings FILE.pgn | --book FILE.bin [--book-plies N]] [--pgn OUT.pgn] [--max-plies P] "
    "[--log FILE]\n";

// Short lines so that the games differ; each game starts from the next.
const char kOpenings[] = "[Event \"?\"]\n\n1. e4 e5 2. Nf3 Nc6 *\n\n"
                         "[Event \"?\"]\n\n1. d4 d5 2. c4 e6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 c5 2. Nf3 d6 *\n\n"
                         "[Event \"?\"]\n\n1. d4 Nf6 2. c4 g6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 e6 2. d4 d5 *\n\n"
                         "[Event \"?\"]\n\n1. c4 e5 2. Nc3 Nf6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 c6 2. d4 d5 *\n\n"
                         "[Event \"?\"]\n\n1. Nf3 d5 2. g3 Nf6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 e5 2. Nf3 Nf6 *\n\n"
                         "[Event \"?\"]\n\n1. d4 Nf6 2. c4 e6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 c5 2. Nc3 Nc6 *\n\n"
                         "[Event \"?\"]\n\n1. d4 d5 2. c4 c6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 d6 2. d4 Nf6 *\n\n"
                         "[Event \"?\"]\n\n1. d4 f5 2. g3 Nf6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 e5 2. f4 exf4 *\n\n"
                         "[Event \"?\"]\n\n1. c4 c5 2. Nf3 Nc6 *\n\n"
                         "[Event \"?\"]\n\n1. e4 d5 2. exd5 Qxd5 *\n\n"
                         "[Event \"?\"]\n\n1. d4 Nf6 2. Nf3 d5 *\n\n"
                         "[Event \"?\"]\n\n1. e4 g6 2. d4 Bg7 *\n\n"
                         "[Event \"?\"]\n\n1. b3 e5 2. Bb2 Nc6 *\n\n";

// Time an engine gets beyond its level's bound to start and answer.
const int kGraceMs = 5000;
const int kGreetingMs = 10000;

struct Player {
    unsigned index = 0;
    int level = EngineLevel::kCount - 1;
    std::string label; // "I:L name"
    std::vector<qint64> answerMs;
    bool started = false;
};

// "I" or "I:LEVEL", the level counted from 0.
bool read_player(const std::string& text, Player* player)
{
    const size_t colon = text.find(':');
    long index = 0, level = player->level;
    if (!read_number(text.substr(0, colon), 0, EngineFactory::kMaxEntries - 1, &index))
        return false;
    if (colon != std::string::npos &&
        !read_number(text.substr(colon + 1), 0, EngineLevel::kCount - 1, &level))
        return false;
    player->index = static_cast<unsigned>(index);
    player->level = static_cast<int>(level);
    return true;
}

// A start position and the moves played from it.
struct Opening {
    Board start;
    std::vector<Move> moves;
};

// An opening drawn from a Polyglot book: up to plies moves from the start,
// each chosen by weight, ending early where the book has no move.
Opening book_opening(const PolyglotBook& book, long plies, std::mt19937& random)
{
    Opening opening;
    opening.start.create_classic_board();
    Board board = opening.start;
    std::uniform_real_distribution<double> draw(0.0, 1.0);
    for (long i = 0; i < plies; ++i) {
        const Move move = book.pick(board, draw(random));
        if (move.isNull())
            break;
        opening.moves.push_back(move);
        board.doMove(move);
    }
    return opening;
}

// The main lines of the games of a PGN text, each from its start position.
std::vector<Opening> read_openings(std::istream& in, const std::string& source)
{
    std::vector<Opening> lines;
    for (int number = 1;; ++number) {
        Game game;
        try {
            if (!game.load(in))
                break;
            game.open();
        } catch (const Exception& e) {
            throw Exception(false, "%s: game %d: %s", source.c_str(), number, e.what());
        }
        Opening opening{game.startBoard, {}};
        for (PGNMove* m = game.root->findNextMove(); m; m = m->findNextMove())
            opening.moves.push_back(m->move);
        lines.push_back(opening);
    }
    if (lines.empty())
        throw Exception(false, "%s holds no game", source.c_str());
    return lines;
}

// "threefold repetition", ...
std::string draw_reason_text(DrawReason reason)
{
    std::string text = draw_reason_to_message(reason);
    if (text.empty())
        return "draw";
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

struct Outcome {
    GameResult result = ResultInProgress;
    std::string reason;
    bool stopsMatch = false; // an engine that never started: no game can be played
};

Outcome lost_by(Color side, const std::string& why)
{
    return {side == White ? ResultBlackWins : ResultWhiteWins,
            std::string(side == White ? "White" : "Black") + " " + why};
}

// Plays one game in game (open, on the opening's start position) between two
// players, each through a fresh driver of the program.
Outcome play_game(Game& game, Player* players[2], const Opening& opening, long maxPlies,
                  const ToolCatalogue& catalogue)
{
    for (const Move& move : opening.moves)
        game.addMove(move);
    std::unique_ptr<EngineProcess> engines[2];
    AnswerWait answer;
    for (long plies = static_cast<long>(opening.moves.size());; ++plies) {
        PGNMove* current = game.current;
        if (current->result == ResultDraw)
            return {ResultDraw, draw_reason_text(current->drawReason)};
        if (current->result != ResultInProgress)
            return {current->result, "checkmate"};
        if (plies >= maxPlies)
            return {ResultDraw, "move limit"};

        const Board position = current->boardAfter();
        const Color side = position.getColorToMove();
        Player& player = *players[side];
        std::unique_ptr<EngineProcess>& engine = engines[side];
        if (!engine) {
            try {
                engine.reset(EngineFactory::instance().createEngine(
                    player.index, catalogue.settings(player.level)));
            } catch (const Exception& e) {
                Outcome lost = lost_by(side, std::string("could not start: ") + e.what());
                lost.stopsMatch = !player.started;
                return lost;
            }
            player.started = true;
            engine->setGreetingTimeout(kGreetingMs);
        }
        // It may have died after its last answer, with nobody listening.
        if (engine->hasStopped())
            return lost_by(side, "engine stopped");
        const int limit = EngineLevel::forXBoard(player.level).seconds() * 1000 + kGraceMs;
        Board asked;
        Move last;
        current->engineRequest(&asked, &last);
        switch (answer.wait(*engine, asked, last, limit)) {
        case AnswerWait::Stopped:
            return lost_by(side, "engine stopped: " + answer.m_message);
        case AnswerWait::TimedOut:
            return lost_by(side,
                           "engine did not move within " + std::to_string(limit / 1000) + " s");
        case AnswerWait::Moved:
            player.answerMs.push_back(answer.m_elapsedMs);
            break;
        }
        Move move = answer.m_move;
        if (!legal_engine_answer(position, move))
            return lost_by(side, "engine played an illegal move " + move.getAsString());
        game.addMove(move);
    }
}

// The median time a player took to answer, in milliseconds.
qint64 median_ms(std::vector<qint64> times)
{
    if (times.empty())
        return 0;
    const auto middle = times.begin() + static_cast<long>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    return *middle;
}

// Elo difference of a score, and its 95 % margin from the spread of the results.
std::string elo_text(long wins, long draws, long losses)
{
    const double n = static_cast<double>(wins + draws + losses);
    const double p = (wins + draws / 2.0) / n;
    auto elo = [](double s) { return -400.0 * std::log10(1.0 / s - 1.0); };
    if (p <= 0.0 || p >= 1.0)
        return p <= 0.0 ? "-inf" : "+inf";
    const double difference = std::round(elo(p)) + 0.0; // never "-0"
    const double variance =
        (wins * (1 - p) * (1 - p) + draws * (0.5 - p) * (0.5 - p) + losses * p * p) / n;
    const double margin = 1.96 * std::sqrt(variance / n);
    char text[64];
    if (p - margin <= 0.0 || p + margin >= 1.0)
        snprintf(text, sizeof text, "%+.0f +/- inf", difference);
    else
        snprintf(text, sizeof text, "%+.0f +/- %.0f", difference,
                 (elo(p + margin) - elo(p - margin)) / 2);
    return text;
}

int usage_error(const char* format, const std::string& a)
{
    fprintf(stderr, "match: ");
    fprintf(stderr, format, a.c_str());
    fprintf(stderr, "\n%s", kUsage);
    return 2;
}

int run_match(const std::vector<std::string>& args)
{
    std::string config, openingsFile, bookFile, pgnFile, whiteText, blackText, logFile;
    long games = -1, maxPlies = 400, bookPlies = 8;
    Player white, black;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size())
            return usage_error("%s needs a value", option);
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--config")
            config = value;
        else if (option == "--white")
            ok = read_player(value, &white), whiteText = value;
        else if (option == "--black")
            ok = read_player(value, &black), blackText = value;
        else if (option == "--games")
            ok = read_number(value, 1, 100000, &games);
        else if (option == "--openings")
            openingsFile = value;
        else if (option == "--book")
            bookFile = value;
        else if (option == "--book-plies")
            ok = read_number(value, 1, 200, &bookPlies);
        else if (option == "--pgn")
            pgnFile = value;
        else if (option == "--max-plies")
            ok = read_number(value, 1, 100000, &maxPlies);
        else if (option == "--log")
            logFile = value;
        else
            return usage_error("unknown option '%s'", option);
        if (!ok)
            return usage_error("bad value for %s", option + " '" + value + "'");
    }
    if (config.empty() || whiteText.empty() || blackText.empty() || games < 0)
        return usage_error("%s", "--config, --white, --black and --games are required");
    if (!openingsFile.empty() && !bookFile.empty())
        return usage_error("%s", "--openings and --book exclude each other");
    PolyglotBook book;
    std::string bookError;
    if (!bookFile.empty() && !book.open(bookFile, &bookError))
        return usage_error("%s", bookError);
    // The same book lines in every run.
    std::mt19937 bookRandom(20261209);

    std::vector<Opening> openings;
    try {
        if (openingsFile.empty()) {
            std::istringstream in(kOpenings);
            openings = read_openings(in, "the built-in openings");
        } else {
            std::ifstream in(openingsFile, std::ios::binary);
            if (!in)
                return usage_error("cannot read the openings '%s'", openingsFile);
            openings = read_openings(in, openingsFile);
        }
    } catch (const Exception& e) {
        fprintf(stderr, "match: %s\n", e.what());
        return 2;
    }

    std::unique_ptr<ToolCatalogue> toolCatalogue;
    try {
        toolCatalogue = std::make_unique<ToolCatalogue>(config);
    } catch (const Exception& e) {
        fprintf(stderr, "match: %s\n", e.what());
        return 2;
    }
    const EngineFactory& catalogue = EngineFactory::instance();
    for (Player* p : {&white, &black}) {
        if (p->index >= catalogue.getEngineCount() ||
            catalogue.getDescriptor(p->index).getKind() == EngineDescriptor::Human)
            return usage_error("entry %s is no engine of the configuration",
                               std::to_string(p->index));
        p->label = std::to_string(p->index) + ":" + std::to_string(p->level) + " " +
                   catalogue.getEngineName(p->index);
    }

    std::unique_ptr<ToolLog> log;
    try {
        log = std::make_unique<ToolLog>(logFile);
    } catch (const Exception& e) {
        fprintf(stderr, "match: %s\n", e.what());
        return 2;
    }

    std::ofstream pgn;
    if (!pgnFile.empty()) {
        pgn.open(pgnFile, std::ios::binary | std::ios::app);
        if (!pgn)
            return usage_error("cannot write '%s'", pgnFile);
    }

    long wins = 0, draws = 0, losses = 0;
    for (long g = 0; g < games; ++g) {
        // The --white entry has White in the odd-numbered games.
        const bool swapped = g % 2 == 1;
        Player* players[2] = {swapped ? &black : &white, swapped ? &white : &black};
        // From a book both games of a pair play the same line.
        if (book.isOpen() && !swapped)
            openings.assign(1, book_opening(book, bookPlies, bookRandom));
        const Opening& opening = openings[static_cast<size_t>(g) % openings.size()];
        Game game(opening.start);
        game.open();
        const Outcome outcome = play_game(game, players, opening, maxPlies, *toolCatalogue);
        if (outcome.stopsMatch) {
            fprintf(stderr, "match: %s\n", outcome.reason.c_str());
            return 2;
        }
        const char* result = Game::game_result_to_str(outcome.result);
        printf("%ld\twhite: %s\t%s\t%s\n", g + 1, players[White]->label.c_str(), result,
               outcome.reason.c_str());
        fflush(stdout);
        const GameResult forWhiteEntry =
            !swapped || outcome.result == ResultDraw
                ? outcome.result
                : (outcome.result == ResultWhiteWins ? ResultBlackWins : ResultWhiteWins);
        wins += forWhiteEntry == ResultWhiteWins;
        draws += forWhiteEntry == ResultDraw;
        losses += forWhiteEntry == ResultBlackWins;

        if (pgn.is_open()) {
            game.event = "inkmate-tool match";
            game.round = std::to_string(g + 1);
            game.white = players[White]->label + " (level " +
                         std::to_string(players[White]->level + 1) + ")";
            game.black = players[Black]->label + " (level " +
                         std::to_string(players[Black]->level + 1) + ")";
            game.result = outcome.result;
            game.headers["Termination"] = outcome.reason;
            game.current = game.root;
            game.close(true);
            game.writePGN(pgn);
            pgn.flush();
        }
    }
    const double score = (wins + draws / 2.0) / static_cast<double>(games);
    printf("%s: +%ld =%ld -%ld, score %.1f %%, Elo %s\n", white.label.c_str(), wins, draws, losses,
           score * 100.0, elo_text(wins, draws, losses).c_str());
    printf("median answer time: %s %lld ms, %s %lld ms\n", white.label.c_str(),
           static_cast<long long>(median_ms(white.answerMs)), black.label.c_str(),
           static_cast<long long>(median_ms(black.answerMs)));
    if (pgn.is_open() && !pgn) {
        fprintf(stderr, "match: could not write '%s'\n", pgnFile.c_str());
        return 1;
    }
    return 0;
}

ToolCommand g_matchCommand("match",
                           "--config FILE --white I[:LEVEL] --black J[:LEVEL] --games N "
                           "[--openings FILE.pgn | --book FILE.bin [--book-plies N]] "
                           "[--pgn OUT.pgn] [--max-plies P] [--log FILE]",
                           "play N games between two engines of a configuration at levels 0 to "
                           "14 (default 14), colours swapped every game; result per game and "
                           "the score of --white",
                           &run_match);

} // namespace
