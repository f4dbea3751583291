#include "chess/board.h"

#include "chess/movegenerator.h"
#include "core/exception.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// "Error parsing FEN: TEXT (REASON)".
[[noreturn]] void fen_error(const std::string& fen, const std::string& reason)
{
    throw Exception(false, "Error parsing FEN: %s (%s)", fen.c_str(), reason.c_str());
}

const char* color_name(Color color)
{
    return color == White ? "White" : "Black";
}

// The square code of a FEN piece letter; 0 for any other character.
uint8_t piece_from_letter(char c)
{
    if (c >= 'a' && c <= 'z')
        return Piece::code(Piece::char_to_piece_type(static_cast<char>(c - 'a' + 'A')), Black);
    return Piece::code(Piece::char_to_piece_type(c), White);
}

// The castling right that needs a rook on the square; 0 off the corners.
uint16_t corner_right(int square)
{
    switch (square) {
    case 0:
        return Board::WhiteLongCastle;
    case 7:
        return Board::WhiteShortCastle;
    case 56:
        return Board::BlackLongCastle;
    case 63:
        return Board::BlackShortCastle;
    default:
        return 0;
    }
}

uint16_t read_counter(const std::string& field)
{
    // strtol: base 10, optional sign, stops at the first non-digit, 0 without
    // digits; the value wraps into the 16-bit field.
    return static_cast<uint16_t>(strtol(field.c_str(), nullptr, 10));
}
} // namespace

Board::Board()
    : flags(0), squares(), enPassantX(-1), enPassantY(-1), fullMoveNumber(1), halfMoveClock(0)
{
}

void Board::clear()
{
    flags = 0;
    memset(squares, 0, sizeof squares);
}

void Board::create_classic_board()
{
    static const Piece::Type kBackRank[8] = {
        Piece::TypeRook, Piece::TypeKnight, Piece::TypeBishop, Piece::TypeQueen,
        Piece::TypeKing, Piece::TypeBishop, Piece::TypeKnight, Piece::TypeRook};
    clear();
    for (int x = 0; x < 8; ++x) {
        squares[x] = Piece::code(kBackRank[x], White);
        squares[8 + x] = Piece::code(Piece::TypePawn, White);
        squares[48 + x] = Piece::code(Piece::TypePawn, Black);
        squares[56 + x] = Piece::code(kBackRank[x], Black);
    }
    flags = CastlingRights;
    enPassantX = -1;
    enPassantY = -1;
    fullMoveNumber = 1;
    halfMoveClock = 0;
}

Position Board::getKingPosition(Color color) const
{
    const int square = MoveGenerator::findKing(squares, color);
    return square < 0 ? Position() : Position(square & 7, square >> 3);
}

bool Board::isFieldUnderControl(const Position& position, Color color, bool ignoreCheck) const
{
    if (!position.isValid())
        return false;
    if (ignoreCheck)
        return MoveGenerator::isAttacked(squares, position.index(), color);
    // With the own-king test every attacker is tested as a move.
    const int d = color == White ? 1 : -1;
    MoveGenerator generator(*this);
    for (int x = 0; x < 8; ++x) {
        for (int y = 0; y < 8; ++y) {
            const uint8_t piece = squares[y * 8 + x];
            if (!piece || Piece::code_color(piece) != color)
                continue;
            if (Piece::code_type(piece) == Piece::TypePawn) {
                if (position.y == y + d && std::abs(position.x - x) == 1)
                    return true;
                continue;
            }
            const int result = generator.moveBits(Move(x, y, position.x, position.y));
            if (!(result & (Piece::MoveInvalid | Piece::MoveShortCastle | Piece::MoveLongCastle)))
                return true;
        }
    }
    return false;
}

bool Board::isCheck(Color color) const
{
    return isFieldUnderControl(getKingPosition(color), opposite_color(color), true);
}

bool Board::isNoMoves(Color color) const
{
    return MoveGenerator(*this).generateAll(color, nullptr, true) == 0;
}

int Board::generateMoves(Color color, Moves* moves) const
{
    return MoveGenerator(*this).generateAll(color, moves, false);
}

int Board::moveBits(const Move& move, bool ignoreCheck) const
{
    return MoveGenerator(*this, !ignoreCheck).moveBits(move);
}

int Board::validateMove(const Move& move, bool ignoreCheck) const
{
    if (move.isNull())
        return 0;
    int result = moveBits(move, ignoreCheck);
    if (result & Piece::MoveInvalid)
        return result;
    Board copy = *this;
    copy.doMove(move);
    const Color enemy = opposite_color(Piece::code_color(squares[move.fromY * 8 + move.fromX]));
    const bool noMoves = copy.isNoMoves(enemy);
    if (copy.isCheck(enemy))
        result |= noMoves ? Piece::MoveCheckmate : Piece::MoveCheck;
    else if (noMoves)
        result |= Piece::MoveStalemate;
    return result;
}

void Board::doMove(const Move& move)
{
    if (move.isNull()) {
        // A pass: no pawn can be taken en passant after it.
        enPassantX = -1;
        enPassantY = -1;
    } else {
        if (static_cast<unsigned>(move.fromX) >= 8 || static_cast<unsigned>(move.fromY) >= 8 ||
            static_cast<unsigned>(move.toX) >= 8 || static_cast<unsigned>(move.toY) >= 8)
            return; // not a move on this board; nothing is played
        const int from = move.fromY * 8 + move.fromX;
        const int to = move.toY * 8 + move.toX;
        const uint8_t piece = squares[from];
        if (!piece || from == to)
            return;
        const Piece::Type type = Piece::code_type(piece);
        const Color color = Piece::code_color(piece);
        const int home = color == White ? 0 : 7;
        const uint8_t captured = squares[to];
        const int dx = move.toX - move.fromX;
        const int dy = move.toY - move.fromY;
        const bool enPassant = type == Piece::TypePawn && !captured && std::abs(dx) == 1 &&
                               std::abs(dy) == 1 && move.toX == enPassantX &&
                               move.toY == enPassantY &&
                               squares[move.fromY * 8 + move.toX] ==
                                   Piece::code(Piece::TypePawn, opposite_color(color));
        // Castling: the king from its e-square two files along the rank, with
        // its rook on the corner and the right kept.
        uint16_t right = 0;
        if (type == Piece::TypeKing && move.fromX == 4 && dy == 0 && (dx == 2 || dx == -2))
            right = dx == 2 ? (color == White ? WhiteShortCastle : BlackShortCastle)
                            : (color == White ? WhiteLongCastle : BlackLongCastle);
        const int corner = move.fromY * 8 + (dx == 2 ? 7 : 0);
        const bool castling =
            right && (flags & right) && squares[corner] == Piece::code(Piece::TypeRook, color);

        squares[to] = piece;
        squares[from] = 0;
        enPassantX = -1;
        enPassantY = -1;
        switch (type) {
        case Piece::TypePawn:
            // A pawn becomes a knight, bishop, rook or queen on its last rank only.
            if (move.toY == 7 - home && move.promotion >= Piece::TypeKnight &&
                move.promotion <= Piece::TypeQueen)
                squares[to] = Piece::code(static_cast<Piece::Type>(move.promotion), color);
            if (std::abs(dy) == 2) {
                enPassantX = move.fromX;
                enPassantY = move.fromY + dy / 2;
            } else if (enPassant) {
                squares[move.fromY * 8 + move.toX] = 0;
            }
            break;
        case Piece::TypeRook:
            // A rook leaving its corner takes its side's right along.
            if (move.fromY == home && move.fromX == 7)
                flags &= ~(color == White ? WhiteShortCastle : BlackShortCastle);
            else if (move.fromY == home && move.fromX == 0)
                flags &= ~(color == White ? WhiteLongCastle : BlackLongCastle);
            break;
        case Piece::TypeKing:
            if (castling) {
                squares[move.fromY * 8 + (dx == 2 ? 5 : 3)] = squares[corner];
                squares[corner] = 0;
            }
            flags &= ~(color == White ? (WhiteShortCastle | WhiteLongCastle)
                                      : (BlackShortCastle | BlackLongCastle));
            break;
        default:
            break;
        }
        // A rook taken on its corner takes its side's castling right with it.
        flags &= ~corner_right(to);
        if (type == Piece::TypePawn || captured)
            halfMoveClock = 0;
        else
            ++halfMoveClock;
    }
    if (flags & BlackToMove)
        ++fullMoveNumber;
    flags ^= BlackToMove;
}

bool Board::isInsufficientMaterial() const
{
    int count = 0;
    for (const uint8_t piece : squares) {
        if (!piece)
            continue;
        const Piece::Type type = Piece::code_type(piece);
        if (type == Piece::TypePawn || type == Piece::TypeRook || type == Piece::TypeQueen)
            return false;
        ++count;
    }
    return count <= 3;
}

uint16_t Board::standingCastlingRights() const
{
    auto standing = [this](int x, int y, Piece::Type type, Color color) {
        return squares[y * 8 + x] == Piece::code(type, color);
    };
    uint16_t rights = 0;
    if (standing(4, 0, Piece::TypeKing, White)) {
        if (standing(7, 0, Piece::TypeRook, White))
            rights |= WhiteShortCastle;
        if (standing(0, 0, Piece::TypeRook, White))
            rights |= WhiteLongCastle;
    }
    if (standing(4, 7, Piece::TypeKing, Black)) {
        if (standing(7, 7, Piece::TypeRook, Black))
            rights |= BlackShortCastle;
        if (standing(0, 7, Piece::TypeRook, Black))
            rights |= BlackLongCastle;
    }
    return rights;
}

bool Board::canCaptureEnPassant() const
{
    const Position target = getEnPassant();
    if (!target.isValid())
        return false;
    const Color color = getColorToMove();
    const int y = target.y - (color == White ? 1 : -1);
    MoveGenerator generator(*this);
    for (int x : {target.x - 1, target.x + 1}) {
        if (x >= 0 && x < 8 && y >= 0 && y < 8 &&
            squares[y * 8 + x] == Piece::code(Piece::TypePawn, color) &&
            !(generator.moveBits(Move(x, y, target.x, target.y)) & Piece::MoveInvalid))
            return true;
    }
    return false;
}

bool Board::operator==(const Board& other) const
{
    return flags == other.flags && enPassantX == other.enPassantX &&
           enPassantY == other.enPassantY && memcmp(squares, other.squares, sizeof squares) == 0;
}

void Board::importFromFEN(const std::string& fen)
{
    // Read into a scratch board so a malformed text leaves this one unchanged.
    Board board = *this;
    board.clear();
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < fen.size()) {
        if (fen[pos] == ' ') {
            ++pos;
            continue;
        }
        const size_t end = fen.find(' ', pos);
        const size_t stop = end == std::string::npos ? fen.size() : end;
        if (fields.size() == 6)
            fen_error(fen, "more than 6 fields");
        fields.push_back(fen.substr(pos, stop - pos));
        pos = stop;
    }
    if (fields.size() != 6)
        fen_error(fen, std::to_string(fields.size()) + " fields instead of 6");

    int file = 0;
    int rank = 7;
    for (char c : fields[0]) {
        if (c == '/') {
            if (rank == 0)
                fen_error(fen, "more than 8 ranks");
            if (file != 8)
                fen_error(fen, "rank " + std::to_string(rank + 1) + " has " + std::to_string(file) +
                                   " squares instead of 8");
            --rank;
            file = 0;
            continue;
        }
        if (file >= 8)
            fen_error(fen, "rank " + std::to_string(rank + 1) + " has more than 8 squares");
        const uint8_t piece = piece_from_letter(c);
        if (c >= '1' && c <= '8') {
            file += c - '0';
        } else if (piece) {
            board.squares[rank * 8 + file] = piece;
            ++file;
        } else {
            fen_error(fen, std::string("'") + c + "' is not a piece letter");
        }
    }
    if (rank != 0)
        fen_error(fen, std::to_string(8 - rank) + " ranks instead of 8");
    if (file != 8)
        fen_error(fen, "rank 1 has " + std::to_string(file) + " squares instead of 8");

    const std::string& side = fields[1];
    if (side == "b")
        board.flags |= BlackToMove;
    else if (side != "w")
        fen_error(fen, "the side to move is \"" + side + "\", not w or b");

    const std::string& castling = fields[2];
    if (castling.size() > 4)
        fen_error(fen, "castling \"" + castling + "\" has more than 4 letters");
    if (castling != "-") {
        for (char c : castling) {
            switch (c) {
            case 'K':
                board.flags |= WhiteShortCastle;
                break;
            case 'Q':
                board.flags |= WhiteLongCastle;
                break;
            case 'k':
                board.flags |= BlackShortCastle;
                break;
            case 'q':
                board.flags |= BlackLongCastle;
                break;
            default:
                fen_error(fen, std::string("'") + c + "' is not a castling letter");
            }
        }
    }

    // Rights whose king or rook is not at home cannot exist: dropped.
    board.flags &= ~CastlingRights | board.standingCastlingRights();

    const std::string& enPassant = fields[3];
    board.enPassantX = -1;
    board.enPassantY = -1;
    if (enPassant != "-") {
        if (enPassant.size() != 2 || enPassant[0] < 'a' || enPassant[0] > 'h' ||
            enPassant[1] < '1' || enPassant[1] > '8')
            fen_error(fen, "\"" + enPassant + "\" is not an en-passant square");
        // Kept only where a double step of the opponent can just have crossed
        // it; any other square is dropped, as common in the wild.
        const int x = enPassant[0] - 'a';
        const int y = enPassant[1] - '1';
        const Color mover = opposite_color(board.getColorToMove());
        const int d = mover == White ? 1 : -1;
        if (y == (mover == White ? 2 : 5) && !board.getPiece(x, y) && !board.getPiece(x, y - d) &&
            board.squares[(y + d) * 8 + x] == Piece::code(Piece::TypePawn, mover)) {
            board.enPassantX = x;
            board.enPassantY = y;
        }
    }

    board.halfMoveClock = read_counter(fields[4]);
    board.fullMoveNumber = read_counter(fields[5]);
    const std::string impossible = board.impossibility();
    if (!impossible.empty())
        fen_error(fen, impossible);
    *this = board;
}

std::string Board::impossibility() const
{
    // Square codes: the type in the low three bits, 8 for Black.
    int kings[2] = {0, 0};
    int pawns[2] = {0, 0};
    int pieces[2] = {0, 0};
    for (int square = 0; square < 64; ++square) {
        const uint8_t code = squares[square];
        if (code == 0)
            continue;
        const int side = (code & 8) ? 1 : 0;
        ++pieces[side];
        const int type = code & 7;
        if (type == Piece::TypeKing)
            ++kings[side];
        if (type != Piece::TypePawn)
            continue;
        ++pawns[side];
        if (square < 8 || square >= 56)
            return std::string("a ") + (side ? "black" : "white") + " pawn stands on rank " +
                   (square < 8 ? "1" : "8");
    }
    for (int side = 0; side < 2; ++side) {
        const std::string name = side ? "black" : "white";
        if (kings[side] != 1)
            return kings[side] == 0 ? "no " + name + " king"
                                    : std::to_string(kings[side]) + " " + name + " kings";
        if (pawns[side] > 8)
            return std::to_string(pawns[side]) + " " + name + " pawns";
        if (pieces[side] > 16)
            return std::to_string(pieces[side]) + " " + name + " pieces";
    }
    const Color waiting = opposite_color(getColorToMove());
    if (isCheck(waiting))
        return std::string(color_name(waiting)) + " is in check with " +
               color_name(getColorToMove()) + " to move";
    return std::string();
}

std::string Board::exportToFEN() const
{
    std::string fen;
    fen.reserve(90);
    for (int y = 7; y >= 0; --y) {
        int empty = 0;
        for (int x = 0; x < 8; ++x) {
            const Piece* piece = Piece::of(squares[y * 8 + x]);
            if (!piece) {
                ++empty;
                continue;
            }
            if (empty)
                fen += static_cast<char>('0' + empty);
            empty = 0;
            fen += piece->getSymbol(2 + (piece->color == Black ? 1 : 0));
        }
        if (empty)
            fen += static_cast<char>('0' + empty);
        if (y > 0)
            fen += '/';
    }
    fen += (flags & BlackToMove) ? " b " : " w ";
    // Engines are never handed a right that cannot exist.
    const uint16_t rights = flags & standingCastlingRights();
    const size_t before = fen.size();
    if (rights & WhiteShortCastle)
        fen += 'K';
    if (rights & WhiteLongCastle)
        fen += 'Q';
    if (rights & BlackShortCastle)
        fen += 'k';
    if (rights & BlackLongCastle)
        fen += 'q';
    if (fen.size() == before)
        fen += '-';
    fen += ' ';
    if (static_cast<unsigned>(enPassantX) < 8 && static_cast<unsigned>(enPassantY) < 8) {
        fen += static_cast<char>('a' + enPassantX);
        fen += static_cast<char>('1' + enPassantY);
    } else {
        fen += '-';
    }
    fen += ' ';
    fen += std::to_string(halfMoveClock);
    fen += ' ';
    fen += std::to_string(fullMoveNumber);
    return fen;
}
