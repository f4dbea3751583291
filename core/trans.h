#pragma once

#include <map>
#include <string>
#include <vector>

class ConfigFileAbstract;

// One selectable user-interface language.
struct Lang {
    std::string code;
    std::string name;
};

// English text to translation for the loaded language. Entry 0 of the
// language list is always English; the others come from the "lang_%d" keys of
// the configuration given, the translation file from its root folder
// ("translate/messages.lng"). Without a configuration: English only.
class Trans {
public:
    explicit Trans(const ConfigFileAbstract* config = nullptr);

    void load(unsigned int index);
    const char* translate(const char* text) const;
    const std::string& translate(const std::string& text) const;

    const std::vector<Lang>& languages() const { return m_languages; }
    unsigned int current() const { return m_current; }

private:
    std::map<std::string, std::string> m_table;
    unsigned int m_current = 0;
    std::vector<Lang> m_languages;
    std::string m_rootPath = ".";
};

extern Trans* g_pTrans;

// The translation of a user-visible text, or the text itself without a table.
const char* translated(const char* text);

// Marks a text for the translation file where it is translated later through a
// variable; expands to the text itself.
#define N_(text) text
