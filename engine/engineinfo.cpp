#include "engine/engineinfo.h"

#include "core/utils.h"

#include <cerrno>
#include <cstdlib>

namespace {
bool read_int(const std::string& text, int* out)
{
    char* end = nullptr;
    errno = 0;
    const long value = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < -1000000 || value > 1000000)
        return false;
    *out = static_cast<int>(value);
    return true;
}
} // namespace

bool parse_uci_info(const std::string& line, EngineInfo* out)
{
    std::vector<std::string> words;
    splitInVector(line, " \t", words);
    if (words.empty() || words[0] != "info")
        return false;
    EngineInfo info;
    bool scored = false;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "string")
            return false;
        if (word == "lowerbound" || word == "upperbound")
            return false;
        if (word == "depth" && i + 1 < words.size()) {
            if (!read_int(words[++i], &info.depth))
                return false;
        } else if (word == "score" && i + 2 < words.size()) {
            const std::string& kind = words[i + 1];
            if (kind != "cp" && kind != "mate")
                return false;
            info.mate = kind == "mate";
            if (!read_int(words[i + 2], &info.score))
                return false;
            scored = true;
            i += 2;
        } else if (word == "pv") {
            info.pv.assign(words.begin() + static_cast<long>(i) + 1, words.end());
            break;
        }
    }
    if (!scored)
        return false;
    *out = std::move(info);
    return true;
}
