#pragma once

#include <cstdarg>
#include <exception>
#include <string>

// The program's one error type: a formatted message and whether the error
// ends the program (critical) or lets the user go on.
class Exception : public std::exception {
public:
    Exception(bool critical, std::string message);
    Exception(bool critical, const char* format, ...) __attribute__((format(printf, 3, 4)));
    ~Exception() override = default;

    void formatMessage(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
    void formatMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool isCritical() const { return m_critical; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    bool m_critical;
    std::string m_message;
};
