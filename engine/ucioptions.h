#pragma once

#include <map>
#include <string>

// The options a UCI engine announces while it is greeted ("option name NAME
// type TYPE [default D] [min A] [max B] [var V]..."). Names keep their blanks
// ("Skill Level"); only the fields the level ladder needs are kept.
class UciOptions {
public:
    struct Option {
        std::string type;
        std::string defaultValue;
        int min = 0;
        int max = 0;
    };

    // Reads one output line; false when it is no well-formed option line.
    bool parseLine(const std::string& line);

    bool has(const std::string& name) const { return m_options.count(name) != 0; }
    // The option, or null when the engine did not announce it.
    const Option* find(const std::string& name) const;
    void clear() { m_options.clear(); }
    bool empty() const { return m_options.empty(); }

private:
    std::map<std::string, Option> m_options;
};
