// inkmate-tool puzzles FILE [BASE.cdb] [filters]: builds a puzzle base from
// the public puzzle CSV file (plain, .zst or "-").
#include "base/puzzleimport.h"
#include "core/exception.h"
#include "tools/command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

const char kUsage[] =
    "usage: inkmate-tool puzzles FILE [BASE.cdb] [--rating MIN-MAX] [--themes T1,T2+T3,-T4] "
    "[--min-popularity P] [--limit N]\n"
    "  --themes a,b   puzzles with any of the themes\n"
    "  --themes a+b   puzzles with all of them\n"
    "  --themes -a    puzzles without the theme (with others: a,b+c,-d)\n"
    "  theme names match whatever their case\n";

// "a,b+c,-d": groups of themes all of which a row must have, any group
// will do; names after "-" a row must not have. False on an empty name.
bool parse_themes(const std::string& value, PuzzleImport::Filter* filter)
{
    size_t start = 0;
    while (start <= value.size()) {
        size_t end = value.find(',', start);
        if (end == std::string::npos)
            end = value.size();
        const std::string term = value.substr(start, end - start);
        start = end + 1;
        if (!term.empty() && term[0] == '-') {
            if (term.size() == 1 || term.find('+') != std::string::npos)
                return false;
            filter->excludedThemes.push_back(term.substr(1));
            continue;
        }
        std::vector<std::string> group;
        size_t at = 0;
        while (at <= term.size()) {
            size_t plus = term.find('+', at);
            if (plus == std::string::npos)
                plus = term.size();
            if (plus == at)
                return false;
            group.push_back(term.substr(at, plus - at));
            at = plus + 1;
        }
        filter->themeGroups.push_back(group);
    }
    return true;
}

// FILE without ".zst" and ".csv", plus ".cdb".
std::string default_base(std::string path)
{
    for (const char* suffix : {".zst", ".csv"}) {
        const std::string s = suffix;
        if (path.size() > s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0)
            path.resize(path.size() - s.size());
    }
    return path + ".cdb";
}

bool parse_options(const std::vector<std::string>& args, std::string* file, std::string* base,
                   PuzzleImport::Filter* filter)
{
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            fprintf(stderr, "puzzles: %s needs a value\n", arg.c_str());
            return false;
        }
        const std::string& value = args[++i];
        long a = 0, b = 0;
        bool ok = true;
        if (arg == "--rating") {
            const size_t dash = value.find('-', 1);
            ok = dash != std::string::npos &&
                 read_number(value.substr(0, dash), INT32_MIN, INT32_MAX, &a) &&
                 read_number(value.substr(dash + 1), INT32_MIN, INT32_MAX, &b) && a <= b;
            filter->minRating = static_cast<int>(a);
            filter->maxRating = static_cast<int>(b);
        } else if (arg == "--themes") {
            ok = parse_themes(value, filter);
        } else if (arg == "--min-popularity") {
            ok = read_number(value, INT32_MIN + 1L, INT32_MAX, &a);
            filter->minPopularity = static_cast<int>(a);
        } else if (arg == "--limit") {
            ok = read_number(value, 0, LONG_MAX, &a);
            filter->limit = a;
        } else {
            fprintf(stderr, "puzzles: unknown option '%s'\n", arg.c_str());
            return false;
        }
        if (!ok) {
            fprintf(stderr, "puzzles: bad value '%s' for %s\n", value.c_str(), arg.c_str());
            return false;
        }
    }
    if (positional.empty() || positional.size() > 2)
        return false;
    *file = positional[0];
    if (positional.size() > 1) {
        *base = positional[1];
    } else if (*file == "-") {
        fprintf(stderr, "puzzles: BASE.cdb is needed when reading standard input\n");
        return false;
    } else {
        *base = default_base(*file);
    }
    return true;
}

int run_puzzles(const std::vector<std::string>& args)
{
    std::string file, base;
    PuzzleImport::Filter filter;
    if (!parse_options(args, &file, &base, &filter)) {
        fprintf(stderr, "%s", kUsage);
        return 2;
    }
    PuzzleImport import;
    if (!import.open(file)) {
        fprintf(stderr, "inkmate-tool puzzles: %s\n", import.error().c_str());
        return 2;
    }
    ProgressPace pace;
    auto progress = [&](const PuzzleImport::Progress& p) {
        if (!pace.due())
            return;
        fprintf(stderr, "\rpuzzles %s: ", file.c_str());
        if (p.bytesTotal > 0)
            fprintf(stderr, "%3d%%, ", static_cast<int>(p.bytesDone * 100 / p.bytesTotal));
        fprintf(stderr, "%lld read, %lld kept", static_cast<long long>(p.read),
                static_cast<long long>(p.kept));
        if (p.stored > 0)
            fprintf(stderr, ", %lld stored", static_cast<long long>(p.stored));
        fprintf(stderr, "   ");
        fflush(stderr);
    };
    try {
        const PuzzleImport::Report report = import.run(base, filter, progress);
        if (pace.shown())
            fprintf(stderr, "\n");
        if (!report.absentThemes.empty()) {
            fprintf(stderr, "inkmate-tool puzzles: themes that no puzzle of %s has:", file.c_str());
            for (const std::string& theme : report.absentThemes)
                fprintf(stderr, " %s", theme.c_str());
            fprintf(stderr, "\n");
        }
        int status = report_skipped(report.malformed, "rows", report.messages);
        if (report.duplicates > 0) {
            fprintf(stderr, "%lld repeated puzzles skipped (the first of each is kept):\n",
                    static_cast<long long>(report.duplicates));
            for (const std::string& message : report.duplicateMessages)
                fprintf(stderr, "%s\n", message.c_str());
            if (static_cast<size_t>(report.duplicates) > report.duplicateMessages.size())
                fprintf(stderr, "...\n");
            status = 1;
        }
        if (!report.written) {
            fprintf(stderr,
                    "inkmate-tool puzzles: no puzzle matched (%lld read); %s was left as it "
                    "was\n",
                    static_cast<long long>(report.read), base.c_str());
            return 1;
        }
        printf("%s: %lld puzzles (%lld read)\n", base.c_str(), static_cast<long long>(report.kept),
               static_cast<long long>(report.read));
        return status;
    } catch (const Exception& e) {
        if (pace.shown())
            fprintf(stderr, "\n");
        fprintf(stderr, "inkmate-tool puzzles: %s\n", e.what());
        return 2;
    }
}

ToolCommand command("puzzles",
                    "FILE [BASE.cdb] [--rating MIN-MAX] [--themes T1,T2+T3,-T4] "
                    "[--min-popularity P] [--limit N]",
                    "build a puzzle base from the puzzle CSV file (.csv, .csv.zst or - for "
                    "standard input; default: FILE.cdb)",
                    &run_puzzles);

} // namespace
