#include "tests/support/test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir()
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/inkmate-test-XXXXXX"));
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    m_path = dir.path().toStdString();
}

TempDir::~TempDir()
{
    QDir(QString::fromStdString(m_path)).removeRecursively();
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string corpusPath(const std::string& name)
{
    return std::string(INKMATE_CORPUS_DIR) + "/" + name;
}
bool haveCorpusFile(const std::string& name)
{
    return QFileInfo(QString::fromStdString(corpusPath(name))).isFile();
}

std::string dataPath(const std::string& name)
{
    return sourcePath("tests/data/" + name);
}

std::string sourcePath(const std::string& relative)
{
    return std::string(INKMATE_SOURCE_DIR) + "/" + relative;
}
std::string binPath(const std::string& name)
{
    return std::string(INKMATE_BIN_DIR) + "/" + name;
}

std::string findProgram(const std::string& name)
{
    QStringList extra{QStringLiteral("/usr/games"), QStringLiteral("/usr/local/games")};
    QString found = QStandardPaths::findExecutable(QString::fromStdString(name));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QString::fromStdString(name), extra);
    return found.toStdString();
}

bool waitUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

std::vector<std::string> folderEntries(const std::string& path)
{
    std::vector<std::string> out;
    for (const QString& name :
         QDir(QString::fromStdString(path))
             .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        out.push_back(name.toStdString());
    return out;
}

} // namespace testsupport
