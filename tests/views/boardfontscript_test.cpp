#include "tests/support/test_support.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// The shipped board fonts are what scripts/make-board-fonts.py makes: an edit
// of the script without rebuilding them fails here. Needs FontForge's Python
// module (python3-fontforge) and DejaVu Sans; skipped without them.
TEST(BoardFontScript, RebuildsTheShippedFiles)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import fontforge")});
    if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        GTEST_SKIP() << "python3-fontforge is not installed";

    testsupport::TempDir out;
    QProcess script;
    script.start(python,
                 {QString::fromStdString(testsupport::sourcePath("scripts/make-board-fonts.py")),
                  QString::fromStdString(out.path())});
    ASSERT_TRUE(script.waitForFinished(300000)) << "script timed out";
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    for (const char* name : {"inkmate-chess.ttf", "inkmate-pieces-75.png"}) {
        const std::string made = testsupport::readFile(out.file(name));
        const std::string shipped =
            testsupport::readFile(testsupport::sourcePath(std::string("assets/fonts/") + name));
        EXPECT_FALSE(made.empty()) << name;
        EXPECT_TRUE(made == shipped) << name << " differs: run scripts/make-board-fonts.py";
    }
}
