#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class ConfigFileQt;
class Log;
struct EngineSettings;

// One sub-command of inkmate-tool. Each command's source file registers itself
// with a static ToolCommand object:
//   static ToolCommand perft("perft", "DEPTH [FEN]", "count leaf nodes", &run_perft);
// The function gets the arguments after the command name and returns the exit status.
using ToolFunction = int (*)(const std::vector<std::string>& args);

struct ToolCommand {
    ToolCommand(const char* name, const char* usage, const char* summary, ToolFunction run);
    const char* name;
    const char* usage;
    const char* summary;
    ToolFunction run;
};

const std::vector<const ToolCommand*>& tool_commands();

// A whole decimal number within low..high, for the commands' options.
bool read_number(const std::string& text, long low, long high, long* out);

// Lists the skipped entries ("N malformed WHAT skipped:", the messages kept,
// "..." for the rest) on standard error; the exit status: 0 for none, else 1.
int report_skipped(long long skipped, const char* what, const std::vector<std::string>& messages);

// The program's log while it lives, written to FILE with the engine traffic
// (nothing for an empty name). Throws Exception when FILE cannot be written.
class ToolLog {
public:
    explicit ToolLog(const std::string& file);
    ~ToolLog();
    ToolLog(const ToolLog&) = delete;
    ToolLog& operator=(const ToolLog&) = delete;

private:
    std::unique_ptr<Log> m_log;
};

// The engine catalogue of configuration FILE while the object lives, read
// only, FILE's folder being the root path. Throws Exception when FILE cannot be
// read or holds a malformed entry.
class ToolCatalogue {
public:
    explicit ToolCatalogue(const std::string& file);
    ~ToolCatalogue();
    ToolCatalogue(const ToolCatalogue&) = delete;
    ToolCatalogue& operator=(const ToolCatalogue&) = delete;

    // An engine's settings at level: the file's "engine.timeout" (default
    // 120 s) for an unanswered request.
    EngineSettings settings(int level) const;
    // The file's "hint_engine" when it names an engine, else the first UCI
    // entry; -1 when there is none.
    int hintEngine() const;

private:
    std::unique_ptr<ConfigFileQt> m_settings;
};

// When a command's progress line on standard error is due: not in the first
// second, then at most every 200 ms.
class ProgressPace {
public:
    bool due();
    // Whether a line was shown (it then wants a line end before the result).
    bool shown() const { return m_shown; }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_start = Clock::now();
    Clock::time_point m_last;
    bool m_shown = false;
};
