#include "tests/tools/toolrun.h"

#include "tests/support/test_support.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace tooltest {

ToolRun tool(const std::vector<std::string>& args, const std::string& input)
{
    return run(testsupport::binPath("inkmate-tool"), args, input);
}

ToolRun run(const std::string& program, const std::vector<std::string>& args,
            const std::string& input)
{
    QStringList list;
    for (const std::string& arg : args)
        list << QString::fromStdString(arg);
    QProcess process;
    process.start(QString::fromStdString(program), list);
    ToolRun run;
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << program << " did not start";
        return run;
    }
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        ADD_FAILURE() << program << " " << (args.empty() ? "" : args[0]) << " did not finish";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace tooltest
