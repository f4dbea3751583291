#include "core/exception.h"

#include <cstdio>

namespace {
constexpr size_t kMessageBuffer = 8192;
}

Exception::Exception(bool critical, std::string message)
    : m_critical(critical), m_message(std::move(message))
{
}

Exception::Exception(bool critical, const char* format, ...) : m_critical(critical)
{
    va_list args;
    va_start(args, format);
    formatMessage(format, args);
    va_end(args);
}

void Exception::formatMessage(const char* format, va_list args)
{
    char buffer[kMessageBuffer];
    vsnprintf(buffer, sizeof buffer, format, args);
    buffer[kMessageBuffer - 1] = '\0';
    m_message = buffer;
}

void Exception::formatMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatMessage(format, args);
    va_end(args);
}
