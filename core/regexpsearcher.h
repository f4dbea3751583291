#pragma once

#include <regex.h>

#include <string>
#include <vector>

// A compiled POSIX extended regular expression with a fixed number of groups.
// search() yields the whole match and then each group, up to the first group
// that took no part in the match.
class RegExpSearcher {
public:
    RegExpSearcher(const char* pattern, unsigned groups);
    ~RegExpSearcher();
    RegExpSearcher(const RegExpSearcher&) = delete;
    RegExpSearcher& operator=(const RegExpSearcher&) = delete;

    void set_reg_exp(const char* pattern, unsigned groups);
    bool search(const char* text, std::vector<std::string>* out = nullptr) const;

private:
    void release();

    unsigned m_groups = 0;
    regmatch_t* m_matches = nullptr;
    regex_t m_regex;
    bool m_compiled = false;
};
