// The game base of the controller: opening with fall-back, PGN import,
// storing the game and moving through the games.

#include "app/chessabstract.h"

#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "core/transqt.h"
#include "core/utils.h"
#include "engine/enginefactory.h"
#include "game/game.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {
const char* const kReadOnlyBase =
    N_("The game base %s is read-only: games and solved puzzles are not saved.");

// The same file, also when reached through a link.
bool same_file(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    const auto real = [](const std::string& path) {
        const QFileInfo info(QString::fromStdString(path));
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    };
    return real(a) == real(b);
}
} // namespace

void ChessAbstract::loadBase(const char* path)
{
    m_document.loadBase(path);
    Game& game = m_document.game();
    if (game.id < 1) {
        Board start;
        start.create_classic_board();
        m_document.newGame(start, 0, getOpponent(), White, 0);
        game.white = m_settings.myName();
        game.black =
            EngineFactory::instance().getEngineName(static_cast<unsigned>(game.blackPlayer));
    }
    if (g_pLog)
        g_pLog->write(1, Log::Info, "Base %s is loaded", path);
    if (m_document.database.isReadOnly()) {
        char text[1024];
        snprintf(text, sizeof text, translated(kReadOnlyBase), path);
        message(MessageInformation, translated("Game base"), text, 0);
    }
}

std::string ChessAbstract::defaultBaseFile() const
{
    return m_settings.dataPath() + "/game.cdb";
}

void ChessAbstract::saveBase(const char* path)
{
    m_document.saveBase(path);
}

bool ChessAbstract::saveBaseNoThrow(const char* path)
{
    try {
        saveBase(path);
    } catch (const Exception& e) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "%s", e.what());
    } catch (...) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Failed to save game: %s", path ? path : "");
        return false;
    }
    return true;
}

bool ChessAbstract::storeGame()
{
    ChessBase& base = m_document.database;
    if (!base.isOpen())
        return true;
    try {
        base.closeGame();
    } catch (const Exception& e) {
        showError(e.what());
        return false;
    }
    return true;
}

std::string ChessAbstract::defaultBasePath() const
{
    const std::string last = m_settings.lastOpened();
    return last.empty() ? defaultBaseFile() : last;
}

bool ChessAbstract::openBaseOrRestore(const std::string& path, const std::string& previous)
{
    try {
        loadBase(path.c_str());
        m_settings.setLastOpened(path);
        return true;
    } catch (const Exception& e) {
        showError(e.what());
    }
    // Back to the base open before, else the default base: the window always
    // shows a game of an open base. "last_opened" keeps its path, so a base on
    // a card that is not mounted yet is opened again at the next start.
    for (const std::string& fallback :
         {previous, std::string(m_settings.dataPath() + "/game.cdb")}) {
        if (fallback.empty() || same_file(fallback, path))
            continue;
        try {
            loadBase(fallback.c_str());
            return false;
        } catch (const Exception& e) {
            if (g_pLog)
                g_pLog->write(1, Log::Error, "Error: %s", e.what());
        }
    }
    throw Exception(true, translated("No game base can be opened."));
}

void ChessAbstract::openBase(const std::string& path)
{
    const std::string open = m_document.database.path();
    if (!path.empty() && !same_file(path, open)) {
        // A game that could not be stored keeps its base open: the error
        // reaches the user and the game stays on screen.
        saveBase(open.c_str());
        openBaseOrRestore(path, open);
    }
    updateAllViews(nullptr, true);
    onSelectGame();
}

void ChessAbstract::importPgn(const std::string& file)
{
    const std::string target = get_base(file) + ".cdb";
    const std::string open = m_document.database.path();

    // The base that is replaced must not stay open under the import.
    if (same_file(target, open))
        saveBase(open.c_str());

    ChessBase::ImportReport report;
    try {
        // Progress is drawn at most once a second.
        QElapsedTimer shown;
        shown.start();
        const QString format = trans(QStringLiteral("Importing PGN: %1 games read"));
        showProgress(format.arg(0).toStdString());
        report = ChessBase::importPgn(target, file, [&](uint64_t, uint64_t, int games) {
            if (shown.elapsed() >= 1000) {
                shown.restart();
                showProgress(format.arg(games).toStdString());
            }
        });
        showProgress(std::string());
    } catch (const Exception& e) {
        showProgress(std::string());
        showError(e.what());
        if (!m_document.database.isOpen())
            openBaseOrRestore(open, std::string());
        updateAllViews(nullptr, true);
        onSelectGame();
        return;
    }

    saveBase(open.c_str());
    if (openBaseOrRestore(target, open) && report.skipped > 0)
        message(MessageWarning, translated("Import PGN"), report.text().c_str(), 0);
    updateAllViews(nullptr, true);
    onSelectGame();
}

void ChessAbstract::openGame(int gameId)
{
    if (gameId == 0)
        return;
    m_document.database.openGame(gameId);
    onSelectGame();
}

void ChessAbstract::firstGame()
{
    if (m_document.database.firstGame())
        onSelectGame();
}

void ChessAbstract::lastGame()
{
    if (m_document.database.lastGame())
        onSelectGame();
}

void ChessAbstract::keyNext()
{
    if (m_document.database.nextGame())
        onSelectGame();
}

void ChessAbstract::keyPrev()
{
    if (m_document.database.prevGame())
        onSelectGame();
}

void ChessAbstract::nextUnsolvedPuzzle()
{
    if (m_document.database.nextUnsolvedPuzzle())
        onSelectGame();
}
