#pragma once

// Where the benchmarks find their games: the large corpus (INKMATE_CORPUS_DIR)
// when it is there, else the small slice of tests/data, saying so.

#include <cstdio>
#include <string>
#include <sys/stat.h>

inline bool corpus_present(const std::string& name)
{
    struct stat info;
    const std::string path = std::string(INKMATE_CORPUS_DIR) + "/" + name;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

inline std::string corpus_or_slice(const std::string& name, const std::string& slice)
{
    if (corpus_present(name))
        return std::string(INKMATE_CORPUS_DIR) + "/" + name;
    fprintf(stderr, "corpus file %s/%s not found: measured on tests/data/%s instead\n",
            INKMATE_CORPUS_DIR, name.c_str(), slice.c_str());
    return std::string(INKMATE_SOURCE_DIR) + "/tests/data/" + slice;
}

// The peer of the PGN benchmarks, or "" when it is not installed.
inline std::string find_pgn_extract()
{
    for (const char* path : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract"}) {
        struct stat st;
        if (stat(path, &st) == 0)
            return path;
    }
    return std::string();
}
