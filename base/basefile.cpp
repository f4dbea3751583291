#include "base/basefile.h"

#include "core/exception.h"
#include "core/log.h"
#include "core/trans.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace basefile {

namespace {

std::string nameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// ".NAME." followed by six characters of mkstemp.
bool isTemporaryName(const std::string& entry, const std::string& prefix)
{
    return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

constexpr const char* kJournal = "-journal";

} // namespace

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isWriteProtected(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0)
        return true;
    return access(folderOf(path).c_str(), W_OK) != 0;
}

void refuseWriteProtected(const std::string& path, const std::string& shown)
{
    if (isWriteProtected(path))
        throw Exception(false, translated("The game base is read-only: %s"), shown.c_str());
}

std::string resolveLinks(const std::string& path)
{
    std::string current = path;
    // As many steps as the system allows before ELOOP.
    for (int step = 0; step < 40; ++step) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = readlink(current.c_str(), buffer.data(), PATH_MAX);
        if (length <= 0)
            return current;
        const std::string target(buffer.data(), static_cast<size_t>(length));
        current = target[0] == '/' ? target : join(folderOf(current), target);
    }
    return current;
}

void removeStaleTemporaries(const std::string& target)
{
    const std::string folder = folderOf(target);
    const std::string prefix = "." + nameOf(target) + ".";
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    std::vector<std::string> journals;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const size_t journal = strlen(kJournal);
        if (isTemporaryName(name, prefix))
            stale.push_back(name);
        else if (name.size() > journal &&
                 name.compare(name.size() - journal, journal, kJournal) == 0 &&
                 isTemporaryName(name.substr(0, name.size() - journal), prefix))
            journals.push_back(name.substr(0, name.size() - journal));
    }
    closedir(dir);
    for (const std::string& name : stale) {
        const std::string path = join(folder, name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A running import holds its lock; the lock is free for a dead one.
        struct stat info;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            unlink((path + kJournal).c_str());
            unlink(path.c_str());
        }
        ::close(fd);
    }
    // A journal whose base is gone belongs to nobody.
    for (const std::string& name : journals) {
        const std::string path = join(folder, name);
        if (access(path.c_str(), F_OK) != 0)
            unlink((path + kJournal).c_str());
    }
}

Temporary::Temporary(const std::string& target)
{
    removeStaleTemporaries(target);
    // Made under a name no cleaner looks at, locked, then given its own name:
    // a file with the temporary name is always locked while its import runs.
    const std::string base = join(folderOf(target), "." + nameOf(target) + ".");
    std::string pattern = base + "XXXXXX~";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkostemps(buffer.data(), 1, O_CLOEXEC);
    if (fd < 0)
        throw Exception(false, translated("Failed to create file: %s (%s)"), target.c_str(),
                        strerror(errno));
    std::string made = buffer.data();
    m_path = made.substr(0, made.size() - 1);
    if (flock(fd, LOCK_EX) != 0 || rename(made.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::close(fd);
        unlink(made.c_str());
        throw Exception(false, translated("Failed to create file: %s (%s)"), target.c_str(),
                        strerror(error));
    }
    m_lock = fd;
    // mkstemp makes the file private: a replaced base keeps its permissions,
    // a new one gets the usual ones.
    struct stat info;
    if (stat(target.c_str(), &info) == 0) {
        fchmod(fd, info.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
}

Temporary::~Temporary()
{
    if (!m_kept) {
        unlink(m_path.c_str());
        unlink((m_path + kJournal).c_str());
    }
    // Closed last: SQLite's own locks on the file are gone by now.
    if (m_lock >= 0)
        ::close(m_lock);
}

void Temporary::replace(const std::string& target)
{
    if (rename(m_path.c_str(), target.c_str()) != 0)
        throw Exception(false, translated("Failed to create file: %s (%s)"), target.c_str(),
                        strerror(errno));
    m_kept = true;
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

Exception Temporary::failure(const char* reason, const std::string& source,
                             const std::string& base) const
{
    std::string text = reason;
    for (size_t at = text.find(m_path); at != std::string::npos;
         at = text.find(m_path, at + base.size()))
        text.replace(at, m_path.size(), base);
    if (g_pLog)
        g_pLog->write(1, Log::Error, "Import of %s failed: %s", source.c_str(), text.c_str());
    return Exception(false, translated("Failed to import %s into %s: %s"), source.c_str(),
                     base.c_str(), text.c_str());
}

int openScratch(const std::string& folder, const char* name, std::string* path)
{
    std::string pattern = folder + "/." + name + "-XXXXXX";
    const int fd = mkostemp(&pattern[0], O_CLOEXEC);
    if (fd < 0)
        throw Exception(false, translated("Failed to create file: %s (%s)"), pattern.c_str(),
                        strerror(errno));
    unlink(pattern.c_str());
    *path = pattern;
    return fd;
}

void writeAll(int fd, const char* data, size_t length, const std::string& path)
{
    while (length > 0) {
        const ssize_t done = ::write(fd, data, length);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            throw Exception(false, translated("Failed to create file: %s (%s)"), path.c_str(),
                            strerror(errno));
        data += done;
        length -= static_cast<size_t>(done);
    }
}

} // namespace basefile
