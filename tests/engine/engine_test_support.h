#pragma once

#include "chess/move.h"
#include "core/log.h"
#include "engine/enginedescriptor.h"
#include "engine/engineinterfacelistener.h"
#include "engine/engineprotocol.h"
#include "tests/support/test_support.h"

#include <memory>
#include <string>
#include <vector>

namespace enginetest {

inline std::string dataPath()
{
    return testsupport::sourcePath("tests/engine/data");
}

// A catalogue entry for the scripted engine, e.g. fakeEntry("UCI", "--info").
inline EngineDescriptor fakeDescriptor(const char* kind, const std::string& options)
{
    return EngineDescriptor(std::string(kind) + "|Fake|fake_engine.py " + options, dataPath());
}

using testsupport::waitUntil;

// Where a protocol under test writes: the lines, each ended by a line feed.
struct Wire : EngineLineSink {
    void writeLine(const std::string& line) override { text += line + "\n"; }
    std::string text;
};

struct RecordingListener : EngineInterfaceListener {
    void moveFromEngine(const Move& move) override { moves.push_back(move); }
    void engineResigned(const std::string& result, const std::string& message) override
    {
        results.push_back(result + " " + message);
    }
    void engineHasNoMove(const std::string& message) override { noMoves.push_back(message); }
    void engineStopped(const std::string& message) override { stops.push_back(message); }
    std::vector<Move> moves;
    std::vector<std::string> results;
    std::vector<std::string> noMoves;
    std::vector<std::string> stops;
};

// A log of a temporary folder installed as g_pLog for one test.
class ScopedLog {
public:
    explicit ScopedLog(int level = 3)
        : m_log(new Log(m_dir.file("inkmate.log.txt"), level, 0)), m_previous(g_pLog)
    {
        g_pLog = m_log.get();
    }
    ~ScopedLog() { g_pLog = m_previous; }
    std::string text() const { return testsupport::readFile(m_dir.file("inkmate.log.txt")); }
    const testsupport::TempDir& dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<Log> m_log;
    Log* m_previous;
};

} // namespace enginetest
