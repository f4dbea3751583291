#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "tests/support/test_support.h"

#include <string>
#include <vector>

// inkmate-tool run as a user runs it, with input on its standard input.
struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline ToolRun tool(const std::vector<std::string>& args, const std::string& input = std::string())
{
    QProcess process;
    QStringList list;
    for (const std::string& arg : args)
        list << QString::fromStdString(arg);
    process.start(QString::fromStdString(testsupport::binPath("inkmate-tool")), list);
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        ADD_FAILURE() << "inkmate-tool did not finish";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}
