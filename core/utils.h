#pragma once

#include <string>
#include <vector>

// Text and path helpers used by every description format of the configuration.

// Without leading and trailing " \n\r\t".
std::string vacuum(const std::string& s);
// Appends the non-empty pieces between runs of any of the separator characters.
void splitInVector(const std::string& text, const std::string& separators,
                   std::vector<std::string>& out);
// The part before the last slash or backslash; the whole text when there is none.
std::string get_path(const std::string& s);
// The part before the last "."; the whole text when there is none.
std::string get_base(const std::string& s);
// Appends the UTF-8 bytes of the code point code (up to U+10FFFF).
void append_utf8(std::string& out, unsigned code);
// At most maxBytes of text for quoting it in a message, cut before a UTF-8
// sequence and followed by "..." when cut.
std::string excerpt(const std::string& text, size_t maxBytes);
