#pragma once

#include <string>
#include <vector>

// One opponent of the engine catalogue: the human player or an external
// engine, parsed from an entry "KIND | NAME | COMMAND" of the configuration.
// The executable always lies below the program's root folder.
class EngineDescriptor {
public:
    enum Kind { Human = 0, XBoard = 1, UCI = 2 };

    // The human player, named "Human".
    EngineDescriptor();
    // Parses an entry against the given root folder.
    EngineDescriptor(const std::string& entry, const std::string& rootPath);

    const std::string& getName() const { return m_name; }
    int getKind() const { return m_kind; }
    const std::string& getProgram() const { return m_program; }
    const std::string& getWorkingDirectory() const { return m_workingDirectory; }
    const std::vector<std::string>& getCommand() const { return m_command; }

private:
    void parse(const std::string& entry, const std::string& rootPath);

    std::string m_name;
    int m_kind;
    std::string m_program;
    std::string m_workingDirectory;
    std::vector<std::string> m_command;
};
