#pragma once

#include <functional>
#include <string>
#include <vector>

// Helpers shared by the test programs.
namespace testsupport {

// A fresh temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
// The names in a folder, hidden ones too.
std::vector<std::string> folderEntries(const std::string& path);
// A file of the large corpus (INKMATE_CORPUS_DIR), which may be absent:
// tests that use it start with SKIP_WITHOUT_CORPUS.
std::string corpusPath(const std::string& name);
bool haveCorpusFile(const std::string& name);
// A file of the small real-games slice kept in tests/data.
std::string dataPath(const std::string& name);
std::string sourcePath(const std::string& relative);
std::string binPath(const std::string& name);
// Path of an executable on PATH, or "" when it is not installed.
std::string findProgram(const std::string& name);

// Runs the event loop until the condition holds (true) or the time is up (false).
bool waitUntil(const std::function<bool()>& condition, int milliseconds = 10000);

} // namespace testsupport

// Skips the running test, saying why, when a file of the corpus is missing.
#define SKIP_WITHOUT_CORPUS(name)                                                                  \
    do {                                                                                           \
        if (!testsupport::haveCorpusFile(name))                                                    \
            GTEST_SKIP() << "skipped: corpus file " << testsupport::corpusPath(name)               \
                         << " not found";                                                          \
    } while (false)
