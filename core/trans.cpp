#include "core/trans.h"

#include "core/configfileabstract.h"
#include "core/log.h"
#include "core/utils.h"

#include <cstdio>
#include <fstream>

Trans* g_pTrans = nullptr;

namespace {
constexpr int kMaxLanguages = 9999;
}

Trans::Trans(const ConfigFileAbstract* config)
{
    m_languages.push_back(Lang{"en", "English"});
    if (!config)
        return;
    m_rootPath = config->getRootPath();
    for (int i = 1; i <= kMaxLanguages; ++i) {
        char key[32];
        snprintf(key, sizeof key, "lang_%d", i);
        const std::string value = config->readString(key, "");
        if (value.empty())
            break;
        std::vector<std::string> pieces;
        splitInVector(value, ":", pieces);
        if (pieces.size() != 2)
            break;
        m_languages.push_back(Lang{pieces[0], pieces[1]});
    }
}

void Trans::load(unsigned int index)
{
    if (index == m_current)
        return;
    m_table.clear();
    if (index >= m_languages.size())
        index = 0;
    if (index == 0) {
        m_current = 0;
        return;
    }
    const std::string path = m_rootPath + "/translate/messages.lng";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (g_pLog)
            g_pLog->write(2, Log::Warning, "Couldn't load translation file: %s", path.c_str());
        return;
    }
    const std::string& code = m_languages[index].code;
    std::string pending;
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0)
            continue;
        const std::string tag = line.substr(0, colon);
        if (tag == "en") {
            pending = line.substr(colon + 1);
        } else if (tag == code && !pending.empty()) {
            m_table.emplace(pending, line.substr(colon + 1));
            pending.clear();
        }
    }
    m_current = index;
}

const char* Trans::translate(const char* text) const
{
    const auto it = m_table.find(text);
    return it == m_table.end() ? text : it->second.c_str();
}

const std::string& Trans::translate(const std::string& text) const
{
    const auto it = m_table.find(text);
    return it == m_table.end() ? text : it->second;
}

const char* translated(const char* text)
{
    return g_pTrans ? g_pTrans->translate(text) : text;
}
