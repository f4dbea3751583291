#pragma once

#include <string>
#include <vector>

namespace tooltest {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs inkmate-tool with the arguments, feeding it input on standard input.
// A run that does not finish in two minutes is killed and fails the test
// (status -1).
ToolRun tool(const std::vector<std::string>& args, const std::string& input = std::string());
// The same for another program.
ToolRun run(const std::string& program, const std::vector<std::string>& args,
            const std::string& input = std::string());

} // namespace tooltest
