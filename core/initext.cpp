#include "core/initext.h"

#include "core/utils.h"

#include <cstdio>

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The contents of s when s is exactly one quoted string in QSettings'
// escaping: simple escapes, "\x" with hex digits, "\" with octal digits.
bool unquote(const std::string& s, std::string* out)
{
    if (s.size() < 2 || s[0] != '"')
        return false;
    std::string text;
    size_t i = 1;
    while (i < s.size()) {
        const char c = s[i++];
        if (c == '"') {
            if (i != s.size())
                return false;
            *out = text;
            return true;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (i == s.size())
            return false;
        const char e = s[i++];
        static const char kSimple[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                          {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                          {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
        bool simple = false;
        for (const auto& pair : kSimple) {
            if (e == pair[0]) {
                text += pair[1];
                simple = true;
                break;
            }
        }
        if (simple)
            continue;
        unsigned code = 0;
        if (e == 'x') {
            while (i < s.size() && hex_digit(s[i]) >= 0)
                code = code * 16 + static_cast<unsigned>(hex_digit(s[i++]));
            append_utf8(text, code & 0xFFFF); // QSettings keeps one UTF-16 unit
        } else if (e >= '0' && e <= '7') {
            code = static_cast<unsigned>(e - '0');
            while (i < s.size() && s[i] >= '0' && s[i] <= '7')
                code = code * 8 + static_cast<unsigned>(s[i++] - '0');
            append_utf8(text, code & 0xFFFF);
        }
        // Any other escaped character is dropped, as QSettings does.
    }
    return false;
}

std::string decode(const std::string& raw)
{
    std::string text;
    if (!unquote(raw, &text))
        text = raw;
    if (text.compare(0, 2, "@@") == 0)
        text.erase(0, 1);
    return text;
}

// The plain text where QSettings and decode read it back unchanged, else a
// quoted string.
std::string encode(const std::string& value)
{
    const std::string text = value.empty() || value[0] != '@' ? value : "@" + value;
    bool quote = !text.empty() && (is_blank(text.front()) || is_blank(text.back()));
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == ',' || c == ';' || c == '=' || c == '"' || c == '\\')
            quote = true;
    }
    if (!quote)
        return text;
    std::string out = "\"";
    bool hexBefore = false;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool hexNext = hexBefore && hex_digit(c) >= 0;
        hexBefore = false;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20 || u == 0x7F || hexNext) {
            // A digit after "\x.." would join its number: escaped as well.
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%x", u);
            out += escape;
            hexBefore = true;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

char ascii_lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether text[begin, end) without its outer blanks is word; in ASCII letters
// of either case when anyCase is set.
bool trimmed_equals(const std::string& text, size_t begin, size_t end, const std::string& word,
                    bool anyCase = false)
{
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    if (end - begin != word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = text[begin + i];
        if (c != word[i] && !(anyCase && ascii_lower(c) == ascii_lower(word[i])))
            return false;
    }
    return true;
}

} // namespace

IniText::Place IniText::find(const std::string& key) const
{
    static const std::string kGeneral = "General";
    Place place;
    bool general = true; // keys before any section are General ones
    size_t begin = 0;
    if (m_text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        begin = 3;
    while (begin < m_text.size()) {
        size_t next = m_text.find('\n', begin);
        next = next == std::string::npos ? m_text.size() : next + 1;
        size_t end = next;
        while (end > begin && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r'))
            --end;
        size_t first = begin;
        while (first < end && is_blank(m_text[first]))
            ++first;
        if (first < end && m_text[first] == '[') {
            const size_t close = m_text.find(']', first);
            const size_t stop = close == std::string::npos || close > end ? end : close;
            // QSettings takes "[general]" in any case for the keys outside groups.
            general = trimmed_equals(m_text, first + 1, stop, kGeneral, true);
            if (general) {
                place.hasSection = true;
                place.insertAt = next;
            }
        } else if (general && first < end && m_text[first] != ';') {
            const size_t equals = m_text.find('=', first);
            if (equals < end) {
                place.hasSection = true;
                place.insertAt = next;
                if (trimmed_equals(m_text, first, equals, key)) {
                    size_t valueBegin = equals + 1;
                    size_t valueEnd = end;
                    while (valueBegin < valueEnd && is_blank(m_text[valueBegin]))
                        ++valueBegin;
                    while (valueEnd > valueBegin && is_blank(m_text[valueEnd - 1]))
                        --valueEnd;
                    place.valueBegin = valueBegin;
                    place.valueEnd = valueEnd;
                }
            }
        }
        begin = next;
    }
    return place;
}

bool IniText::value(const std::string& key, std::string* value) const
{
    const Place place = find(key);
    if (place.valueBegin == std::string::npos)
        return false;
    *value = decode(m_text.substr(place.valueBegin, place.valueEnd - place.valueBegin));
    return true;
}

void IniText::setValue(const std::string& key, const std::string& value)
{
    const Place place = find(key);
    const std::string text = encode(value);
    if (place.valueBegin != std::string::npos) {
        m_text.replace(place.valueBegin, place.valueEnd - place.valueBegin, text);
        return;
    }
    std::string line = key + "=" + text + "\n";
    if (!place.hasSection) {
        const size_t start = m_text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        m_text.insert(start, "[General]\n" + line + (start < m_text.size() ? "\n" : ""));
        return;
    }
    size_t at = place.insertAt;
    if (at == m_text.size() && !m_text.empty() && m_text.back() != '\n')
        line.insert(0, "\n");
    m_text.insert(at, line);
}
