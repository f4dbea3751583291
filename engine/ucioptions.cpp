#include "engine/ucioptions.h"

#include "core/utils.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {
bool is_keyword(const std::string& word)
{
    return word == "type" || word == "default" || word == "min" || word == "max" || word == "var";
}

// A whole number, held within int (atoi's overflow is undefined).
int to_int(const std::string& text)
{
    const long long value = strtoll(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::string join(const std::vector<std::string>& words, size_t from, size_t to)
{
    std::string text;
    for (size_t i = from; i < to; ++i)
        text += (i > from ? " " : "") + words[i];
    return text;
}
} // namespace

bool UciOptions::parseLine(const std::string& line)
{
    std::vector<std::string> words;
    splitInVector(line, " \t", words);
    if (words.size() < 5 || words[0] != "option" || words[1] != "name")
        return false;
    size_t typeAt = 2;
    while (typeAt < words.size() && words[typeAt] != "type")
        ++typeAt;
    if (typeAt == 2 || typeAt + 1 >= words.size())
        return false;

    Option option;
    option.type = words[typeAt + 1];
    for (size_t i = typeAt + 2; i < words.size();) {
        size_t end = i + 1;
        while (end < words.size() && !is_keyword(words[end]))
            ++end;
        const std::string value = join(words, i + 1, end);
        if (words[i] == "default")
            option.defaultValue = value;
        else if (words[i] == "min")
            option.min = to_int(value);
        else if (words[i] == "max")
            option.max = to_int(value);
        i = end;
    }
    m_options[join(words, 2, typeAt)] = option;
    return true;
}

const UciOptions::Option* UciOptions::find(const std::string& name) const
{
    const auto it = m_options.find(name);
    return it == m_options.end() ? nullptr : &it->second;
}
