#pragma once

#include <string>

class ConfigFileAbstract;

// The program's settings in the configuration file, typed, each key with its
// one default and range (the table in settings.cpp); the program and the
// dialogs read and write them only through here. Nothing is cached: a value
// written elsewhere counts at the next read. A value outside its range reads
// as the nearest one inside, text that is no number as the default. A write
// reaches the file at once. Without a configuration every read is the
// default and writes are dropped.
//
// The numbered lists ("engine_%02d", "board.font_%02d", "lang_%d") are read
// by their catalogues from the configuration they are given.
class Settings {
public:
    enum Int {
        LogLevel,           // log_level: log threshold, file and console
        Lang,               // lang: index into the language list
        FontSizeDefault,    // font_size_default: application font, pixels
        FontSizeHeader,     // font_size_header: game header fonts
        FontSizeAnnotation, // font_size_annotation: board coordinates
        FontSizeHistory,    // font_size_history: move list fonts
        Opponent,           // opponent: engine catalogue slot, 0 = human
        Level,              // level: engine level, index 0..14
        Promotion,          // promotion: Queen, Rook, Bishop, Knight
        BoardFont,          // board.font: index into the board fonts
        HistorySize,        // history.size: move list share, tenths 0..5
        NextPuzzle,         // next_puzzle: seconds to the next puzzle, 0 = stay
        EinkFullEvery,      // eink.full_every: partial updates per full refresh
        EngineTimeout,      // engine.timeout: seconds an engine may think, 0 = no limit
        HintEngine,         // hint_engine: catalogue slot of the hint engine, -1 = first UCI
        PuzzleOrder,        // puzzle.order: next puzzle 0 by rating, 1 near mine, 2 streak
        PuzzleDifficulty,   // puzzle.difficulty: easiest .. hardest, 0..4
        IntCount
    };
    enum Flag {
        BoardFontAntiAliasing, // board.font.aa
        BoardAnnotation,       // board.annotation: coordinates beside the board
        BoardOuterFrame,       // board.outer.frame
        BoardInnerFrame,       // board.inner.frame
        Header,                // header: game information above the board
        PromotionAsk,          // promotion.ask: a pawn on the last rank asks for its piece
        DrawAutomatic,         // draw.automatic: repetition and fifty moves end the game
        FlagCount
    };

    struct IntKey {
        const char* key;
        int defaultValue;
        int min;
        int max;
        // Outside the range: the nearest value inside, or else the default.
        bool clamps = true;
    };
    struct FlagKey {
        const char* key;
        bool defaultValue;
    };
    static const IntKey& info(Int which);
    static const FlagKey& info(Flag which);

    explicit Settings(ConfigFileAbstract* config) : m_config(config) {}

    int value(Int which) const;
    // Stores the value brought inside the range.
    void setValue(Int which, int value);
    // Stored as 1 or 0; any number but 0 reads as set.
    bool flag(Flag which) const;
    void setFlag(Flag which, bool on);

    // my_name: the player's name for new games; "Human", translated.
    std::string myName() const;
    void setMyName(const std::string& name);
    // last_opened: the game base opened last; "" when none is stored.
    std::string lastOpened() const;
    // puzzle.theme: the raw theme name the next puzzle must have; "" for any.
    std::string puzzleTheme() const;
    void setPuzzleTheme(const std::string& theme);
    void setLastOpened(const std::string& path);

    // my_base: the player's own game base, where played games are kept;
    // "game.cdb" in the data folder when none is set.
    std::string myBase() const;

    // The program's folder and its data folder ("." and "./chess" without a
    // configuration).
    std::string rootPath() const;
    std::string dataPath() const;
    ConfigFileAbstract* config() const { return m_config; }

private:
    ConfigFileAbstract* m_config;
};
