#include "app/basebrowser.h"

#include "app/chesscontroller.h"
#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"
#include "core/transqt.h"
#include "core/utils.h"
#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/openingtable.h"

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

BaseBrowser::BaseBrowser(ChessController& controller) : m_controller(controller) {}

void BaseBrowser::loadBase(const char* path)
{
    ChessDocument& document = m_controller.document();
    document.loadBase(path);
    Game& game = document.game();
    if (game.id < 1) {
        Board start;
        start.create_classic_board();
        document.newGame(start, 0, m_controller.engine().getOpponent(), White, 0);
        game.white = m_controller.settings().myName();
        game.black = EngineTurn::playerName(game.blackPlayer);
    }
    if (g_pLog)
        g_pLog->write(1, Log::Info, "Base %s is loaded", path);
    if (document.database.isReadOnly()) {
        char text[1024];
        snprintf(text, sizeof text, translated(kReadOnlyBase), path);
        m_controller.platform().message(Platform::MessageInformation, translated("Game base"), text,
                                        0);
    }
}

std::string BaseBrowser::defaultBaseFile() const
{
    return m_controller.settings().myBase();
}

bool BaseBrowser::isPlayerBaseOpen() const
{
    const ChessBase& base = m_controller.document().database;
    return base.isOpen() && same_file(base.path(), defaultBaseFile());
}

void BaseBrowser::keepGame()
{
    if (m_keepPending || !isPlayerBaseOpen())
        return;
    m_keepPending = true;
    m_controller.platform().defer(0, [this] {
        m_keepPending = false;
        saveGameNow();
    });
}

void BaseBrowser::saveGameNow()
{
    if (!isPlayerBaseOpen())
        return;
    ChessBase& base = m_controller.document().database;
    const int before = base.game.id;
    try {
        base.saveGame();
        if (before == 0 && base.game.id > 0) {
            m_controller.engine().gameStored(base.game.id);
            m_controller.hints().gameStored(base.game.id);
        }
    } catch (const Exception& e) {
        m_controller.showError(e.what());
    }
}

void BaseBrowser::closeBase()
{
    m_controller.document().closeBase();
}

bool BaseBrowser::closeBaseNoThrow()
{
    try {
        closeBase();
    } catch (const Exception& e) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "%s", e.what());
    } catch (...) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Failed to save game: %s",
                          m_controller.document().database.path().c_str());
        return false;
    }
    return true;
}

bool BaseBrowser::storeGame()
{
    ChessBase& base = m_controller.document().database;
    if (!base.isOpen())
        return true;
    if (base.game.isOpen() && base.game.errorText.empty())
        m_controller.openings().tag(base.game);
    try {
        base.closeGame();
    } catch (const Exception& e) {
        m_controller.showError(e.what());
        return false;
    }
    return true;
}

std::string BaseBrowser::defaultBasePath() const
{
    const std::string last = m_controller.settings().lastOpened();
    return last.empty() ? defaultBaseFile() : last;
}

bool BaseBrowser::openBaseOrRestore(const std::string& path, const std::string& previous)
{
    try {
        loadBase(path.c_str());
        m_controller.settings().setLastOpened(path);
        return true;
    } catch (const Exception& e) {
        m_controller.showError(e.what());
    }
    // Back to the base open before, else the default base: the window always
    // shows a game of an open base. "last_opened" keeps its path, so a base on
    // a card that is not mounted yet is opened again at the next start.
    for (const std::string& fallback : {previous, defaultBaseFile()}) {
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

void BaseBrowser::openBase(const std::string& path)
{
    const std::string open = m_controller.document().database.path();
    if (!path.empty() && !same_file(path, open)) {
        // A game that could not be stored keeps its base open: the error
        // reaches the user and the game stays on screen.
        closeBase();
        openBaseOrRestore(path, open);
    }
    m_controller.updateAllViews(nullptr, true);
    m_controller.onSelectGame();
}

void BaseBrowser::importPgn(const std::string& file)
{
    ChessDocument& document = m_controller.document();
    Platform& platform = m_controller.platform();
    const std::string target = get_base(file) + ".cdb";
    const std::string open = document.database.path();

    // The base that is replaced must not stay open under the import.
    if (same_file(target, open))
        closeBase();

    ChessBase::ImportReport report;
    try {
        // Progress is drawn at most once a second.
        QElapsedTimer shown;
        shown.start();
        const QString format = trans(QStringLiteral("Importing PGN: %1 games read"));
        platform.showProgress(format.arg(0).toStdString());
        const OpeningTable& openings = m_controller.openings().table();
        report = ChessBase::importPgn(
            target, file,
            [&](uint64_t, uint64_t, int games) {
                if (shown.elapsed() >= 1000) {
                    shown.restart();
                    platform.showProgress(format.arg(games).toStdString());
                }
            },
            &openings);
        platform.showProgress(std::string());
    } catch (const Exception& e) {
        platform.showProgress(std::string());
        m_controller.showError(e.what());
        if (!document.database.isOpen())
            openBaseOrRestore(open, std::string());
        m_controller.updateAllViews(nullptr, true);
        m_controller.onSelectGame();
        return;
    }

    closeBase();
    if (openBaseOrRestore(target, open) && report.skipped > 0)
        platform.message(Platform::MessageWarning, translated("Import PGN"), report.text().c_str(),
                         0);
    m_controller.updateAllViews(nullptr, true);
    m_controller.onSelectGame();
}

void BaseBrowser::openGame(int gameId)
{
    if (gameId == 0)
        return;
    m_controller.document().database.openGame(gameId);
    m_controller.onSelectGame();
}

void BaseBrowser::showIfMoved(bool moved)
{
    if (moved)
        m_controller.onSelectGame();
}

void BaseBrowser::firstGame()
{
    showIfMoved(m_controller.document().database.firstGame());
}

void BaseBrowser::lastGame()
{
    showIfMoved(m_controller.document().database.lastGame());
}

void BaseBrowser::nextGame()
{
    showIfMoved(m_controller.document().database.nextGame());
}

void BaseBrowser::prevGame()
{
    showIfMoved(m_controller.document().database.prevGame());
}

void BaseBrowser::nextUnsolvedPuzzle()
{
    showIfMoved(m_controller.document().database.nextUnsolvedPuzzle());
}
