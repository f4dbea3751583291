#include "core/log.h"

#include "core/exception.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

Log* g_pLog = nullptr;

namespace {
constexpr size_t kLineBuffer = 1024;
const char kTypeLetters[] = "IWEF";
} // namespace

Log::Log(const std::string& path, int fileThreshold, int consoleThreshold)
    : m_file(path, std::ios::out | std::ios::app), m_fileThreshold(fileThreshold),
      m_consoleThreshold(consoleThreshold)
{
    if (m_file.fail())
        throw Exception(true, "Couldn't open log file: %s", path.c_str());
}

void Log::write(int level, MsgType type, const char* format, ...)
{
    if (level > m_fileThreshold)
        return;
    char message[kLineBuffer];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    message[kLineBuffer - 1] = '\0';

    char stamp[20];
    getCurrentTime(stamp);
    const char letter = (type >= Info && type <= Fatal) ? kTypeLetters[type] : '?';
    m_file << '[' << stamp << "]\t" << letter << '\t' << message << '\n';
    m_file.flush();
    if (level <= m_consoleThreshold) {
        printf("[%s]\t%c\t%s\n", stamp, letter, message);
        fflush(stdout);
    }
}

void Log::getCurrentTime(char* buffer) const
{
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    memcpy(buffer, text, 19);
    buffer[19] = '\0';
}
