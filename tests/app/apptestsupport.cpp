#include "tests/app/apptestsupport.h"

#include "core/configfileabstract.h"
#include "core/exception.h"
#include "engine/enginefactory.h"
#include "game/game.h"
#include "game/pgnmove.h"
#include "views/boardfontfactory.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace apptest {

const char kPuzzles[] =
    "10bda,1Q6/5rk1/PK2p1p1/4P3/2Bq2P1/1P6/8/2r5 w - - 1 56,b6a5 d4c5 b8b5 c1a1,1250,75,94,"
    "1000,mate mateIn2 short endgame,https://lichess.org/x#111,\n"
    "3a25f,1k5r/ppp5/3b4/3q4/3PQ2p/2P4P/PP3P2/4RRK1 b - - 2 29,d5a2 e4e8 h8e8 e1e8,1250,75,"
    "94,1000,mate mateIn2 short endgame,https://lichess.org/y#58,\n"
    "00fe9,8/5pkp/5pp1/1p4b1/3R4/p7/Pr4rP/3R2K1 w - - 0 38,g1h1 g2h2 h1g1 g5e3 g1f1 h2h1,1400,"
    "75,94,1000,mate mateIn3 long endgame,https://lichess.org/z#76,\n"
    "c15e6,7K/8/8/6q1/6k1/8/8/8 w - - 3 61,h8h7 g4f5 h7h8 f5f6 h8h7 g5g7,1550,75,94,1000,"
    "mate mateIn3 long endgame,https://lichess.org/w#122,\n";

namespace {
void link_program(const std::string& root, const std::string& name, const std::string& target)
{
    QFile::link(QString::fromStdString(target), QString::fromStdString(root + "/engines/" + name));
}
} // namespace

int MemoryConfig::readInt(const char* key, int defaultValue) const
{
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return defaultValue;
    try {
        return std::stoi(it->second);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

std::string MemoryConfig::readString(const char* key, const char* defaultValue) const
{
    const auto it = m_values.find(key);
    return it == m_values.end() ? std::string(defaultValue) : it->second;
}

Environment::Environment()
{
    QDir().mkpath(QString::fromStdString(m_dir.path() + "/engines"));
    QDir().mkpath(QString::fromStdString(m_dir.path() + "/chess"));
    link_program(m_dir.path(), "stockfish", "/usr/games/stockfish");
    link_program(m_dir.path(), "hoichess", "/usr/games/hoichess");
    link_program(m_dir.path(), "fake_engine.py",
                 testsupport::sourcePath("tests/engine/data/fake_engine.py"));

    m_config = std::make_unique<MemoryConfig>(m_dir.path());
    g_pConfig = m_config.get();
    m_log = std::make_unique<Log>(m_dir.file("inkmate.log.txt"), 2, 0);
    g_pLog = m_log.get();

    ConfigFileAbstract& c = *m_config;
    c.writeString("engine_00", "HUM|Human|-");
    c.writeString("engine_01", "UCI|Stockfish|engines/stockfish");
    c.writeString("engine_02", "XBOARD|HoiChess|engines/hoichess");
    c.writeString("engine_03", "UCI|Fake dying|engines/fake_engine.py --die-on-go");
    c.writeString("engine_04", "UCI|Fake wrong|engines/fake_engine.py --answer a1a8");
    c.writeString("engine_05", "UCI|Fake|engines/fake_engine.py");
    c.writeString("engine_06", "HUM|Somebody|-");
    c.writeString("board.font_00", "TTF|Chess|Inkmate Chess|fonts/inkmate-chess.ttf");
    c.writeString("board.font_01", "BMP|Missing|-|fonts/missing.png");
    EngineFactory::instance().init(m_config.get());
    BoardFontFactory::init(m_config.get());
}

Environment::~Environment()
{
    EngineFactory::destroy();
    BoardFontFactory::destroy();
    g_pLog = nullptr;
    g_pConfig = nullptr;
}

std::string Environment::logText() const
{
    return testsupport::readFile(m_dir.file("inkmate.log.txt"));
}

int Environment::logCount(const std::string& text) const
{
    const std::string log = logText();
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

bool Environment::haveEngine(const char* name)
{
    return QFile::exists(QStringLiteral("/usr/games/") + QString::fromUtf8(name));
}

// ---------------------------------------------------------------------------

TestChess::TestChess(ConfigFileAbstract& config, const Rect& clientRect)
    : client(clientRect), m_controller(config, *this)
{
    m_controller.screen().layout(client);
}

TestChess::~TestChess() = default;

void TestChess::defer(int delayMs, std::function<void()> call)
{
    deferred.push_back(delayMs);
    if (delayMs > 0) {
        m_timed.push_back(std::move(call));
        return;
    }
    // Like the main window: the call runs once control is back in the event
    // loop; its errors are reported, never thrown through Qt.
    QTimer::singleShot(0, &m_timerContext, [this, call = std::move(call)] {
        ++deferredRun;
        run(call);
    });
}

void TestChess::run(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        turnErrors.push_back(e.what());
    }
}

void TestChess::runTimed()
{
    std::vector<std::function<void()>> due;
    due.swap(m_timed);
    for (const auto& call : due)
        run(call);
}

int TestChess::deferredBy(int delayMs) const
{
    return static_cast<int>(std::count(deferred.begin(), deferred.end(), delayMs));
}

bool TestChess::settle()
{
    return waitUntil([this] { return deferredRun == deferredBy(0); });
}

void TestChess::message(MessageType type, const char* title, const char* text, int) const
{
    messages.push_back({type, title ? title : "", text ? text : ""});
}

bool TestChess::askYesNo(const char* title, const char* text) const
{
    messages.push_back({MessageQuestion, title ? title : "", text ? text : ""});
    return answer;
}

void TestChess::paint()
{
    QImage image(std::max(1, client.width), std::max(1, client.height), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    m_controller.screen().paint(painter, image.rect());
}

void TestChess::moveCursorTo(const Position& target)
{
    const bool flipped = document().isFlipped();
    for (int guard = 0; guard < 32 && document().cursor != target; ++guard) {
        const Position& cursor = document().cursor;
        if (cursor.x != target.x) {
            const bool right = (target.x > cursor.x) != flipped;
            right ? input().keyRight() : input().keyLeft();
        } else {
            const bool up = (target.y > cursor.y) != flipped;
            up ? input().keyUp() : input().keyDown();
        }
    }
}

bool TestChess::enterMove(const std::string& text)
{
    Move move;
    if (!move.setFromString(text))
        return false;
    const PGNMove* before = current();
    moveCursorTo(move.getFrom());
    input().keyOkReleased();
    moveCursorTo(move.getTo());
    input().keyOkReleased();
    return current() != before;
}

bool TestChess::waitUntil(const std::function<bool()>& condition, int milliseconds)
{
    return testsupport::waitUntil(condition, milliseconds);
}

std::vector<std::string> TestChess::lineToCurrent() const
{
    std::vector<std::string> line;
    for (const PGNMove* node = current(); node && node->parent; node = node->parent)
        line.push_back(coordinates(node->move));
    std::reverse(line.begin(), line.end());
    return line;
}

std::vector<std::string> TestChess::gameTexts() const
{
    std::vector<std::string> texts;
    for (const Message& m : messages)
        if (m.type == MessageInformation && m.title == "Game")
            texts.push_back(m.text);
    return texts;
}

bool TestChess::repaintedWhole() const
{
    const QRect whole(client.left, client.top, client.width, client.height);
    return std::find(invalidated.begin(), invalidated.end(), whole) != invalidated.end();
}

bool TestChess::repainted(const AbstractView& view) const
{
    const Rect& r = view.getRect();
    const QRect area(r.left, r.top, r.width, r.height);
    return std::find(invalidated.begin(), invalidated.end(), area) != invalidated.end();
}

void TestChess::clearRecords()
{
    messages.clear();
    invalidated.clear();
    progress.clear();
    turnErrors.clear();
}

std::string coordinates(const Move& move)
{
    return move.getAsString();
}

} // namespace apptest
