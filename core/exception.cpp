#include "core/exception.h"

#include <cstdio>

namespace {
constexpr size_t kMessageBuffer = 8192;

// Control characters quoted from a file (an escape sequence, a bell) reach no
// terminal or dialog; line breaks and tabs stay.
std::string printable(std::string text)
{
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\t') || u == 0x7F)
            c = '?';
    }
    return text;
}
} // namespace

Exception::Exception(bool critical, std::string message)
    : m_critical(critical), m_message(printable(std::move(message)))
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
    m_message = printable(buffer);
}

void Exception::formatMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatMessage(format, args);
    va_end(args);
}
