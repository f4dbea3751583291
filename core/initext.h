#pragma once

#include <string>

// The text of an INI file as QSettings reads it, for keys outside any group
// (its General section, named in any case, or before the first section). A value is replaced in
// place, so every other byte of the file stays as it was.
//
// A value reads as written. Only a value that is one double-quoted string in
// QSettings' escaping reads as its contents, and a leading "@@" as "@": the
// forms setValue writes where the plain text would read back otherwise.
class IniText {
public:
    explicit IniText(std::string text = std::string()) : m_text(std::move(text)) {}

    // False when the key is absent; the last of repeated keys counts.
    bool value(const std::string& key, std::string* value) const;
    void setValue(const std::string& key, const std::string& value);
    const std::string& text() const { return m_text; }

private:
    struct Place {
        size_t valueBegin = std::string::npos; // the key's value, trimmed
        size_t valueEnd = 0;
        size_t insertAt = std::string::npos; // after the last key line of the section
        bool hasSection = false;             // a "[General]" line or keys before any section
    };
    Place find(const std::string& key) const;

    std::string m_text;
};
