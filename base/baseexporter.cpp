#include "base/baseexporter.h"

#include "base/chessbase.h"
#include "base/storedrow.h"
#include "core/exception.h"
#include "core/trans.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace {

// A tag value never holds a line break: it would end the tag line.
std::string one_line(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

void write_heading(const ChessBase::HeaderItem& item, std::ostream& out,
                   BaseExporter::Report& report)
{
    int level = ChessBase::headerLevel(&item);
    if (level == 0) {
        report.warnings.push_back("contents entry " + std::to_string(item.id) +
                                  ": its parent entry is missing; written at the top level");
        level = 1;
    } else if (level > 9) {
        report.warnings.push_back("contents entry " + std::to_string(item.id) +
                                  ": nested deeper than 9 levels; written at level 9");
        level = 9;
    }
    out << "[Header \"" << static_cast<char>('0' + level) << one_line(item.text) << "\"]\n\n*\n\n";
    ++report.headings;
}

// The reason a stream write failed, as the system gave it.
const char* write_error()
{
    return errno != 0 ? strerror(errno) : "write error";
}

} // namespace

BaseExporter::Report BaseExporter::write(ChessBase& base, std::ostream& out)
{
    Report report;
    if (!base.isOpen())
        throw Exception(false, translated("No game base is open"));
    SQLiteStatement rows = base.games().selectAll();
    Board classic;
    classic.create_classic_board();
    Game game;
    size_t heading = 0;
    const std::vector<ChessBase::HeaderItem>& items = base.items;
    while (rows.step()) {
        const int64_t id = rows.columnInt64(0);
        const std::string label = "game " + std::to_string(id) + ": ";
        while (heading < items.size() && items[heading].gameId <= id)
            write_heading(items[heading++], out, report);
        const StoredRow row = StoredRow::read(rows, 1);
        game.init(classic);
        game.event = one_line(row.texts[0]);
        game.site = one_line(row.texts[1]);
        game.date = one_line(row.texts[2]);
        game.round = one_line(row.texts[3]);
        game.white = one_line(row.texts[4]);
        game.black = one_line(row.texts[5]);
        if (row.hasFen) {
            try {
                game.startBoard.importFromFEN(row.fen);
                game.setUp = true;
            } catch (const Exception& e) {
                report.warnings.push_back(label + e.what() + " (not exported)");
                continue;
            }
        }
        if (!row.resultValid)
            report.warnings.push_back(label + "invalid result " + row.resultText +
                                      ", written as \"*\"");
        if (!row.flagsValid)
            report.warnings.push_back(label + "invalid flags " + row.flagsText + ", written as 0");
        game.result = static_cast<GameResult>(row.result);
        game.flags = row.flags;
        // The stored text as it is, however long.
        game.moveText = row.moveTextBytes > StoredRow::kMaxMoveText
                            ? rows.columnText(1 + GamesTable::ColMoveText)
                            : row.moveText;
        if (game.moveText.empty())
            game.moveText = Game::game_result_to_str(game.result);
        errno = 0;
        game.writePGN(out);
        if (!out)
            throw Exception(false, "%s", write_error());
        ++report.games;
    }
    for (; heading < items.size(); ++heading)
        report.warnings.push_back("contents entry " + std::to_string(items[heading].id) +
                                  ": it points at no game; not exported");
    errno = 0;
    out.flush();
    if (!out)
        throw Exception(false, "%s", write_error());
    return report;
}
