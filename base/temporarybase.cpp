#include "base/temporarybase.h"

#include "core/exception.h"
#include "core/trans.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

TemporaryBase::TemporaryBase(const std::string& target)
{
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern =
        folder + (folder.empty() || folder.back() == '/' ? "" : "/") + "." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0)
        throw Exception(false, translated("Failed to create file: %s (%s)"), target.c_str(),
                        strerror(errno));
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    ::close(fd);
    m_path = buffer.data();
}

TemporaryBase::~TemporaryBase()
{
    if (!m_kept) {
        unlink(m_path.c_str());
        unlink((m_path + "-journal").c_str());
    }
}

void TemporaryBase::replace(const std::string& target)
{
    if (rename(m_path.c_str(), target.c_str()) != 0)
        throw Exception(false, translated("Failed to create file: %s (%s)"), target.c_str(),
                        strerror(errno));
    m_kept = true;
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}
