#pragma once

#include <string>

class ChessController;

// The game base on screen: opening with fall-back to the one before (a
// read-only base is said once), PGN import with progress, storing the game,
// closing, and moving through the games.
class BaseBrowser {
public:
    explicit BaseBrowser(ChessController& controller);
    BaseBrowser(const BaseBrowser&) = delete;
    BaseBrowser& operator=(const BaseBrowser&) = delete;

    // Opens the base (throws Exception on failure); an empty base gets a new
    // game against the chosen opponent.
    void loadBase(const char* path);
    // Closes the base, storing its game.
    void closeBase();
    // closeBase; false only on an unexpected failure, which is logged.
    bool closeBaseNoThrow();
    // Stores the game on screen, which stays open; false, with the error
    // shown, when it cannot be stored.
    bool storeGame();
    // The player's base (Settings::myBase, "game.cdb" in the data folder by
    // default): where every new game is played and kept.
    std::string defaultBaseFile() const;
    bool isPlayerBaseOpen() const;
    // Stores the game being played in the player's base once control is back
    // in the event loop, after the repaint asked for: a kill at any moment
    // leaves the last move stored. Other bases are written on leaving a game
    // only, as before.
    void keepGame();
    // keepGame's store, at once; errors are shown.
    void saveGameNow();
    // The game base opened at start: "last_opened", else the default base.
    std::string defaultBasePath() const;
    // Opens path as the game base. On failure the error is shown and the base
    // open before (then the default base) is opened again, so a game base is
    // always open afterwards; throws a critical Exception if none opens.
    // True when path itself was opened.
    bool openBaseOrRestore(const std::string& path, const std::string& previous);
    // Leaves the open base for path ("" or the same file: stays) and shows
    // its game. A game that cannot be stored keeps its base open.
    void openBase(const std::string& path);
    // Imports the PGN file into the base of the same name beside it (".cdb")
    // and opens that; import errors are shown and the base open before stays.
    void importPgn(const std::string& file);

    // Makes the game of that row current (0: none chosen).
    void openGame(int gameId);
    void firstGame();
    void lastGame();
    void nextGame();
    void prevGame();
    void nextUnsolvedPuzzle();

private:
    // Shows the game the base moved to, if it moved.
    void showIfMoved(bool moved);

    ChessController& m_controller;
    bool m_keepPending = false;
};
