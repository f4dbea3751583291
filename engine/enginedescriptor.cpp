#include "engine/enginedescriptor.h"

#include "core/exception.h"
#include "core/utils.h"

namespace {
const char kInvalidEntry[] = "Invalid engine description: %s [File: %s, Line: %d]";
const char kSource[] = "EngineDescriptor";

} // namespace

EngineDescriptor::EngineDescriptor() : m_name("Human"), m_kind(Human) {}

EngineDescriptor::EngineDescriptor(const std::string& entry, const std::string& rootPath)
    : m_kind(Human)
{
    parse(entry, rootPath);
}

void EngineDescriptor::parse(const std::string& entry, const std::string& rootPath)
{
    std::vector<std::string> fields;
    splitInVector(entry, "|", fields);
    if (fields.size() != 3)
        throw Exception(true, kInvalidEntry, entry.c_str(), kSource, __LINE__);

    const std::string kind = vacuum(fields[0]);
    if (kind == "XBOARD")
        m_kind = XBoard;
    else if (kind == "UCI")
        m_kind = UCI;
    else if (kind == "HUM")
        m_kind = Human;
    else
        throw Exception(true, kInvalidEntry, entry.c_str(), kSource, __LINE__);

    m_name = vacuum(fields[1]);

    m_command.clear();
    splitInVector(vacuum(fields[2]), " ", m_command);
    if (m_command.empty())
        throw Exception(true, kInvalidEntry, entry.c_str(), kSource, __LINE__);

    // A path from the root of the file system is taken as written.
    const std::string program = vacuum(m_command[0]);
    m_program = program[0] == '/' ? program : rootPath + "/" + program;
    m_workingDirectory = get_path(m_program);
}
