#include "core/regexpsearcher.h"

#include "core/exception.h"

RegExpSearcher::RegExpSearcher(const char* pattern, unsigned groups)
{
    set_reg_exp(pattern, groups);
}

RegExpSearcher::~RegExpSearcher()
{
    release();
}

void RegExpSearcher::release()
{
    delete[] m_matches;
    m_matches = nullptr;
    if (m_compiled)
        regfree(&m_regex);
    m_compiled = false;
}

void RegExpSearcher::set_reg_exp(const char* pattern, unsigned groups)
{
    release();
    if (regcomp(&m_regex, pattern, REG_EXTENDED) != 0)
        throw Exception(true, "Error compiling regexp: %s", pattern);
    m_compiled = true;
    m_matches = new regmatch_t[groups + 1];
    m_groups = groups;
}

bool RegExpSearcher::search(const char* text, std::vector<std::string>* out) const
{
    if (!m_compiled || regexec(&m_regex, text, m_groups + 1, m_matches, 0) != 0)
        return false;
    if (out) {
        out->clear();
        for (unsigned i = 0; i <= m_groups; ++i) {
            const regmatch_t& m = m_matches[i];
            if (m.rm_so == -1 || m.rm_eo == -1)
                break;
            out->emplace_back(text + m.rm_so, static_cast<size_t>(m.rm_eo - m.rm_so));
        }
    }
    return true;
}
