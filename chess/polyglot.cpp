#include "chess/polyglot.h"

#include <fstream>

namespace {

constexpr int kRecordSize = 16;

uint64_t readBig(const unsigned char* bytes, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// Polyglot writes castling as the king taking its own rook.
Move decodeMove(uint16_t raw, const Board& board)
{
    Move move(raw >> 6 & 7, raw >> 9 & 7, raw & 7, raw >> 3 & 7);
    static const int promotions[] = {
        0, Piece::TypeKnight, Piece::TypeBishop, Piece::TypeRook, Piece::TypeQueen, 0, 0, 0};
    move.promotion = promotions[raw >> 12 & 7];
    const uint8_t piece = board.squares[move.fromY * 8 + move.fromX];
    if (Piece::code_type(piece) == Piece::TypeKing && move.fromX == 4 && move.fromY == move.toY) {
        if (move.toX == 7)
            move.toX = 6;
        else if (move.toX == 0)
            move.toX = 2;
    }
    return move;
}

} // namespace

uint64_t PolyglotBook::key(const Board& board)
{
    uint64_t key = 0;
    for (int square = 0; square < 64; ++square) {
        const uint8_t code = board.squares[square];
        if (!code)
            continue;
        // Kinds: black pawn 0, white pawn 1, black knight 2 ... white king 11.
        const int kind = (Piece::code_type(code) - 1) * 2 + (Piece::code_color(code) == White);
        key ^= kRandom[64 * kind + square];
    }
    static const uint16_t rights[] = {Board::WhiteShortCastle, Board::WhiteLongCastle,
                                      Board::BlackShortCastle, Board::BlackLongCastle};
    for (int i = 0; i < 4; ++i) {
        if (board.flags & rights[i])
            key ^= kRandom[768 + i];
    }
    const Position ep = board.getEnPassant();
    const Color toMove = board.getColorToMove();
    if (ep.isValid()) {
        const int y = ep.y + (toMove == White ? -1 : 1);
        const uint8_t pawn = Piece::code(Piece::TypePawn, toMove);
        for (int x : {ep.x - 1, ep.x + 1}) {
            if (x >= 0 && x < 8 && y >= 0 && y < 8 && board.squares[y * 8 + x] == pawn) {
                key ^= kRandom[772 + ep.x];
                break;
            }
        }
    }
    if (toMove == White)
        key ^= kRandom[780];
    return key;
}

bool PolyglotBook::open(const std::string& path, std::string* error)
{
    m_path.clear();
    m_count = 0;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        if (error)
            *error = "cannot read the opening book " + path;
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size <= 0 || size % kRecordSize != 0) {
        if (error)
            *error = "not a Polyglot opening book (its size is no multiple of 16 bytes): " + path;
        return false;
    }
    m_path = path;
    m_count = static_cast<uint64_t>(size) / kRecordSize;
    return true;
}

std::vector<PolyglotBook::Entry> PolyglotBook::entries(const Board& board) const
{
    std::vector<Entry> found;
    if (m_path.empty())
        return found;
    std::ifstream file(m_path, std::ios::binary);
    if (!file)
        return found;
    unsigned char record[kRecordSize];
    auto readRecord = [&](uint64_t index) {
        file.seekg(static_cast<std::streamoff>(index * kRecordSize));
        return static_cast<bool>(file.read(reinterpret_cast<char*>(record), kRecordSize));
    };
    const uint64_t wanted = key(board);
    // The first record whose key is not below the wanted one.
    uint64_t low = 0;
    uint64_t high = m_count;
    while (low < high) {
        const uint64_t middle = low + (high - low) / 2;
        if (!readRecord(middle))
            return found;
        if (readBig(record, 8) < wanted)
            low = middle + 1;
        else
            high = middle;
    }
    Moves legal;
    board.generateMoves(board.getColorToMove(), &legal);
    for (uint64_t index = low; index < m_count && readRecord(index); ++index) {
        if (readBig(record, 8) != wanted)
            break;
        Entry entry;
        entry.move = decodeMove(static_cast<uint16_t>(readBig(record + 8, 2)), board);
        entry.weight = static_cast<uint16_t>(readBig(record + 10, 2));
        // A key collision or a damaged record gives no move.
        for (const Move& move : legal) {
            if (move == entry.move) {
                found.push_back(entry);
                break;
            }
        }
    }
    return found;
}

Move PolyglotBook::pick(const Board& board, double random) const
{
    const std::vector<Entry> all = entries(board);
    uint64_t total = 0;
    for (const Entry& entry : all)
        total += entry.weight;
    if (total == 0)
        return all.empty() ? Move() : all.front().move;
    auto point = static_cast<uint64_t>(random * static_cast<double>(total));
    for (const Entry& entry : all) {
        if (point < entry.weight)
            return entry.move;
        point -= entry.weight;
    }
    return all.back().move;
}
