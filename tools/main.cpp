#include "tools/command.h"

#include "core/configfileqt.h"
#include "core/exception.h"
#include "core/log.h"
#include "engine/enginebestmove.h"
#include "engine/enginefactory.h"
#include "engine/engineprocess.h"
#include "engine/enginesettings.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
std::vector<const ToolCommand*>& registry()
{
    static std::vector<const ToolCommand*> commands;
    return commands;
}

// Engines run in process groups of their own, out of reach of the terminal's
// Ctrl-C: they go with the tool, which then ends as the signal says.
extern "C" void end_with_engines(int signal)
{
    EngineProcess::killAllGroups();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void print_usage()
{
    fprintf(stderr, "usage: inkmate-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const ToolCommand* c : tool_commands())
        fprintf(stderr, "  %s %s\n      %s\n", c->name, c->usage, c->summary);
}
} // namespace

ToolCommand::ToolCommand(const char* n, const char* u, const char* s, ToolFunction r)
    : name(n), usage(u), summary(s), run(r)
{
    registry().push_back(this);
}

const std::vector<const ToolCommand*>& tool_commands()
{
    return registry();
}

bool read_number(const std::string& text, long low, long high, long* out)
{
    char* end = nullptr;
    errno = 0;
    const long value = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high)
        return false;
    *out = value;
    return true;
}

int report_skipped(long long skipped, const char* what, const std::vector<std::string>& messages)
{
    if (skipped == 0)
        return 0;
    fprintf(stderr, "%lld malformed %s skipped:\n", skipped, what);
    for (const std::string& message : messages)
        fprintf(stderr, "%s\n", message.c_str());
    if (static_cast<size_t>(skipped) > messages.size())
        fprintf(stderr, "...\n");
    return 1;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, end_with_engines);
    if (argc < 2 || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
        print_usage();
        return argc < 2 ? 2 : 0;
    }
    for (const ToolCommand* c : tool_commands()) {
        if (strcmp(c->name, argv[1]) == 0)
            return c->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    fprintf(stderr, "inkmate-tool: unknown command '%s'\n", argv[1]);
    print_usage();
    return 2;
}

ToolLog::ToolLog(const std::string& file)
{
    if (file.empty())
        return;
    // Level 3 keeps every line sent to and read from the engines.
    m_log.reset(new Log(file, 3, 0));
    g_pLog = m_log.get();
}

ToolLog::~ToolLog()
{
    if (m_log)
        g_pLog = nullptr;
}

ToolCatalogue::ToolCatalogue(const std::string& file)
{
    const QString path = QString::fromLocal8Bit(file.c_str());
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw Exception(false, "cannot read the configuration '%s'", file.c_str());
    // Nothing here writes settings.
    m_settings = std::make_unique<ConfigFileQt>(info.absolutePath(), path);
    try {
        EngineFactory::instance().init(m_settings.get());
    } catch (...) {
        EngineFactory::destroy();
        throw;
    }
}

EngineSettings ToolCatalogue::settings(int level) const
{
    EngineSettings settings;
    settings.level = level;
    settings.requestTimeoutS =
        m_settings->readInt("engine.timeout", EngineSettings::kDefaultRequestTimeout);
    return settings;
}

int ToolCatalogue::hintEngine() const
{
    return EngineBestMove::hintEngine(m_settings->readInt("hint_engine", -1),
                                      EngineFactory::instance());
}

ToolCatalogue::~ToolCatalogue()
{
    EngineFactory::destroy();
}

bool ProgressPace::due()
{
    const Clock::time_point now = Clock::now();
    if (now - m_start < std::chrono::seconds(1) ||
        (m_shown && now - m_last < std::chrono::milliseconds(200)))
        return false;
    m_last = now;
    m_shown = true;
    return true;
}
