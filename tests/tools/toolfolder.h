#pragma once

#include "tests/support/test_support.h"
#include "tests/tools/toolrun.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tooltest {

// A folder holding "engines.ini" and the engines linked below it; run() calls
// one inkmate-tool command (tests/tools/toolrun.h) with "--config" naming that
// file.
class ToolFolder : public ::testing::Test {
protected:
    explicit ToolFolder(const char* command) : m_command(command) {}
    void SetUp() override
    {
        m_config = m_dir.file("engines.ini");
        QFile::link(
            QString::fromStdString(testsupport::sourcePath("tests/engine/data/fake_engine.py")),
            QString::fromStdString(m_dir.file("fake_engine.py")));
    }
    void entries(const std::vector<std::string>& list)
    {
        std::string text = "[General]\n";
        for (size_t i = 0; i < list.size(); ++i) {
            char key[32];
            snprintf(key, sizeof key, "engine_%02zu=", i);
            text += key + list[i] + "\n";
        }
        testsupport::writeFile(m_config, text);
    }
    bool link(const char* program)
    {
        const std::string path = testsupport::findProgram(program);
        return !path.empty() && QFile::link(QString::fromStdString(path),
                                            QString::fromStdString(m_dir.file(program)));
    }
    ToolRun run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {m_command, "--config", m_config});
        return tool(args);
    }

    const char* m_command;
    testsupport::TempDir m_dir;
    std::string m_config;
};

} // namespace tooltest
