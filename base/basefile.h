#pragma once

#include "core/exception.h"

#include <string>

// The file-system side of a game base: write protection, links, and the
// hidden temporary file an import builds the new base in.
namespace basefile {

// The folder of path ("." for a bare name).
std::string folderOf(const std::string& path);

// True for an existing base the program must not change: a file without any
// write permission bit (so root respects it too), one the process may not
// write, or one in a folder where SQLite cannot make its journal.
bool isWriteProtected(const std::string& path);
// Throws Exception "The game base is read-only: SHOWN" when path is write-protected.
void refuseWriteProtected(const std::string& path, const std::string& shown);

// The file a path names after following symbolic links (a dangling link
// gives the path it points at); any other path unchanged.
std::string resolveLinks(const std::string& path);

// Removes the temporary files (and their journals) that imports into target
// left behind and that no running import holds.
void removeStaleTemporaries(const std::string& target);

// A hidden scratch file "folder/.NAME-XXXXXX" with no name left on disk: it is
// gone with the descriptor, also when the process dies. Its name at creation
// goes to path; throws Exception on failure.
int openScratch(const std::string& folder, const char* name, std::string* path);
// Writes all of data to fd; throws Exception naming path on failure.
void writeAll(int fd, const char* data, size_t length, const std::string& path);

// The hidden file ".NAME.XXXXXX" beside target that an import builds the new
// base in; stale ones of earlier imports are removed first. It is locked
// while the object lives, so that no other process takes it for stale; unless
// replace() moved it over target, it is removed with its journal at the end.
class Temporary {
public:
    explicit Temporary(const std::string& target);
    ~Temporary();
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    const std::string& path() const { return m_path; }
    // Renames the file over target; throws Exception on failure.
    void replace(const std::string& target);
    // The failure to import source into base, logged, with this hidden file's
    // name in reason replaced by base, the name the user knows.
    Exception failure(const char* reason, const std::string& source, const std::string& base) const;

private:
    std::string m_path;
    int m_lock = -1;
    bool m_kept = false;
};

} // namespace basefile
