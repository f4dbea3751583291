#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ZSTD_DCtx_s;

// Lines of a text file, of standard input ("-") or of either compressed with
// zstd (recognised by its magic number, decompressed as a stream; input that
// ends inside a frame is an error). A line ends at LF; a CR before it is
// dropped.
class TextSource {
public:
    TextSource() = default;
    ~TextSource();
    TextSource(const TextSource&) = delete;
    TextSource& operator=(const TextSource&) = delete;

    // False (with error() set) when the file cannot be opened or read.
    bool open(const std::string& path);
    // The next line without its end; false at the end of the input or on an
    // error (see error()). The view stays valid until the next call.
    // A line longer than 1 MiB is read to its end and given empty, with
    // overlong() true.
    bool readLine(const char** text, size_t* length);
    bool overlong() const { return m_overlong; }
    const std::string& error() const { return m_error; }
    // Bytes of the file consumed so far, and its size (0 when unknown).
    uint64_t consumed() const { return m_consumed; }
    uint64_t size() const { return m_size; }
    // The file's device and inode, to tell whether another path names it.
    bool sameFile(const std::string& path) const;

private:
    // Appends decompressed or raw bytes to m_buffer; false at the end.
    bool fill();
    bool readRaw(char* out, size_t capacity, size_t* got);

    FILE* m_file = nullptr;
    bool m_ownsFile = false;
    ZSTD_DCtx_s* m_zstd = nullptr;
    std::vector<char> m_in;
    size_t m_inPos = 0;
    size_t m_inEnd = 0;
    std::vector<char> m_buffer;
    size_t m_start = 0;
    size_t m_end = 0;
    bool m_eof = false;
    // Inside a zstd frame: its magic number or part of its data was read.
    bool m_inFrame = true;
    bool m_overlong = false;
    uint64_t m_consumed = 0;
    uint64_t m_size = 0;
    uint64_t m_device = 0;
    uint64_t m_inode = 0;
    bool m_haveInode = false;
    std::string m_error;
};
