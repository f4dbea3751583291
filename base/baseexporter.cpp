#include "base/baseexporter.h"

#include "base/chessbase.h"
#include "core/exception.h"
#include "core/trans.h"

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

} // namespace

BaseExporter::Report BaseExporter::write(ChessBase& base, std::ostream& out)
{
    Report report;
    if (!base.m_db)
        throw Exception(false, translated("No game base is open"));
    SQLiteStatement rows(base.m_db, "select rowid,Event,Site,Date,Round,White,Black,FEN,Result,"
                                    "Flags,MoveText from games order by rowid");
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
        game.init(classic);
        game.event = one_line(rows.columnText(1));
        game.site = one_line(rows.columnText(2));
        game.date = one_line(rows.columnText(3));
        game.round = one_line(rows.columnText(4));
        game.white = one_line(rows.columnText(5));
        game.black = one_line(rows.columnText(6));
        if (!rows.isNull(7)) {
            try {
                game.startBoard.importFromFEN(rows.columnText(7));
                game.setUp = true;
            } catch (const Exception& e) {
                report.warnings.push_back(label + e.what() + " (not exported)");
                continue;
            }
        }
        const int64_t result = rows.columnInt64(8);
        if (result < 0 || result > 3)
            report.warnings.push_back(label + "invalid result " + std::to_string(result) +
                                      ", written as \"*\"");
        game.result = static_cast<GameResult>(result < 0 || result > 3 ? 0 : result);
        game.flags = static_cast<unsigned>(rows.columnInt64(9));
        game.moveText = rows.columnText(10);
        if (game.moveText.empty())
            game.moveText = Game::game_result_to_str(game.result);
        game.writePGN(out);
        ++report.games;
    }
    for (; heading < items.size(); ++heading)
        report.warnings.push_back("contents entry " + std::to_string(items[heading].id) +
                                  ": it points at no game; not exported");
    out.flush();
    if (!out)
        throw Exception(false, "Failed to write the PGN output");
    return report;
}
