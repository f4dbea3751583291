#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

// The puzzle tables of a base beside the games: "puzzle_info" and
// "puzzle_themes" as the puzzle import writes them (read only here), and the
// trainer's own "trainer_attempt" (every scored try, with the player's rating
// after it) and "trainer_repeat" (when a missed puzzle comes back). Older
// readers of the file ignore them all. A base without them answers as empty.
class PuzzleTables {
public:
    // What the import stored about one puzzle.
    struct Info {
        int rating = 0;
        std::string themes; // raw names, space separated
    };
    // One scored try and the player's rating after it.
    struct Attempt {
        int64_t at = 0; // seconds since the epoch
        int game = 0;
        bool win = false;
        int puzzleRating = 0;
        double rating = 0;
        double deviation = 0;
        double volatility = 0;
        std::string themes; // the puzzle's, when the base has them
    };

    explicit PuzzleTables(sqlite3* db) : m_db(db) {}

    bool hasInfo() const;
    bool info(int game, Info* out) const;
    // Raw theme names present in the base, in bit order.
    std::vector<std::string> themeNames() const;
    // The bit of a raw theme name; -1 when absent.
    int themeBit(const std::string& name) const;

    // Creates the trainer's tables; false on a base that cannot be written.
    bool create();
    std::vector<Attempt> attempts() const;
    void addAttempt(const Attempt& attempt);

    // A miss: the puzzle comes back after 1, 3, 7 and then every 21 days
    // from today (a day number) until it is solved at the first try.
    void scheduleMiss(int game, int64_t today);
    void clearRepeat(int game);
    // The day the puzzle is due again; 0 when it is not scheduled.
    int64_t dueDay(int game) const;
    // The unsolved puzzle due longest on or before today, other than
    // exclude; 0 when none is due.
    int firstDue(int64_t today, int exclude) const;

    // The unsolved, never failed puzzle whose rating is nearest to rating,
    // with the theme bit (-1: any), other than exclude; 0 when none. A walk
    // of the rating index up and down from the rating.
    int nearRating(int rating, int themeBit, int exclude) const;
    // The same, with the least rating above rating.
    int above(int rating, int themeBit, int exclude) const;

private:
    int walk(int rating, int themeBit, int exclude, bool up, int* found) const;

    sqlite3* m_db;
};
