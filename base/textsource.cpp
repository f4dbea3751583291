#include "base/textsource.h"

#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr size_t kChunk = 1u << 18;
// A longer line is skipped: the memory for a line is bounded.
constexpr size_t kMaxLine = 1u << 20;
const unsigned char kZstdMagic[4] = {0x28, 0xB5, 0x2F, 0xFD};

} // namespace

TextSource::~TextSource()
{
    ZSTD_freeDCtx(m_zstd);
    if (m_file && m_ownsFile)
        fclose(m_file);
}

bool TextSource::open(const std::string& path)
{
    if (path == "-") {
        m_file = stdin;
    } else {
        struct stat info;
        // The mode is read only after stat() succeeded.
        if (stat(path.c_str(), &info) != 0) {
            m_error = strerror(errno);
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            m_error = strerror(EISDIR);
            return false;
        }
        m_file = fopen(path.c_str(), "rb");
        if (!m_file) {
            m_error = strerror(errno);
            return false;
        }
        m_ownsFile = true;
        m_size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
        m_device = static_cast<uint64_t>(info.st_dev);
        m_inode = static_cast<uint64_t>(info.st_ino);
        m_haveInode = true;
    }
    m_in.resize(kChunk);
    m_buffer.resize(kChunk);
    // The first bytes tell a zstd frame from text.
    while (m_inEnd < sizeof kZstdMagic) {
        size_t got = 0;
        if (!readRaw(m_in.data() + m_inEnd, m_in.size() - m_inEnd, &got))
            return m_error.empty();
        if (got == 0)
            break;
        m_inEnd += got;
    }
    if (m_inEnd >= sizeof kZstdMagic && memcmp(m_in.data(), kZstdMagic, sizeof kZstdMagic) == 0) {
        m_zstd = ZSTD_createDCtx();
        if (!m_zstd) {
            m_error = strerror(ENOMEM);
            return false;
        }
    } else {
        memcpy(m_buffer.data(), m_in.data(), m_inEnd);
        m_end = m_inEnd;
        m_inEnd = 0;
    }
    return true;
}

bool TextSource::sameFile(const std::string& path) const
{
    struct stat info;
    return m_haveInode && stat(path.c_str(), &info) == 0 &&
           static_cast<uint64_t>(info.st_dev) == m_device &&
           static_cast<uint64_t>(info.st_ino) == m_inode;
}

bool TextSource::readRaw(char* out, size_t capacity, size_t* got)
{
    *got = fread(out, 1, capacity, m_file);
    m_consumed += *got;
    if (*got == 0 && ferror(m_file)) {
        m_error = strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

bool TextSource::fill()
{
    if (m_eof)
        return false;
    char* out = m_buffer.data() + m_end;
    const size_t room = m_buffer.size() - m_end;
    if (!m_zstd) {
        size_t got = 0;
        if (!readRaw(out, room, &got) || got == 0) {
            m_eof = true;
            return false;
        }
        m_end += got;
        return true;
    }
    for (;;) {
        if (m_inPos == m_inEnd) {
            size_t got = 0;
            if (!readRaw(m_in.data(), m_in.size(), &got))
                return m_eof = true, false;
            m_inPos = 0;
            m_inEnd = got;
            if (got == 0) {
                // The input may end between frames, never inside one.
                if (m_inFrame)
                    m_error = "the compressed data ends inside a frame: the file is cut off";
                m_eof = true;
                return false;
            }
        }
        ZSTD_inBuffer input = {m_in.data(), m_inEnd, m_inPos};
        ZSTD_outBuffer output = {out, room, 0};
        const size_t status = ZSTD_decompressStream(m_zstd, &output, &input);
        m_inPos = input.pos;
        m_inFrame = status != 0;
        if (ZSTD_isError(status)) {
            m_error = ZSTD_getErrorName(status);
            m_eof = true;
            return false;
        }
        if (output.pos > 0) {
            m_end += output.pos;
            return true;
        }
    }
}

bool TextSource::readLine(const char** text, size_t* length)
{
    m_overlong = false;
    size_t searched = m_start;
    for (;;) {
        const char* begin = m_buffer.data() + m_start;
        const void* lf = memchr(m_buffer.data() + searched, '\n', m_end - searched);
        if (lf) {
            const char* stop = static_cast<const char*>(lf);
            m_start = static_cast<size_t>(stop - m_buffer.data()) + 1;
            *text = begin;
            *length = m_overlong ? 0 : static_cast<size_t>(stop - begin);
            if (*length > 0 && begin[*length - 1] == '\r')
                --*length;
            return true;
        }
        // Keep the partial line at the front, then read more behind it.
        const size_t partial = m_end - m_start;
        if (m_start > 0) {
            memmove(m_buffer.data(), m_buffer.data() + m_start, partial);
            m_start = 0;
            m_end = partial;
        }
        if (m_end == m_buffer.size()) {
            if (m_buffer.size() >= kMaxLine) {
                // Too long to keep: the rest of the line is read and dropped.
                m_overlong = true;
                m_end = 0;
            } else {
                m_buffer.resize(m_buffer.size() * 2);
            }
        }
        searched = m_end;
        if (!fill()) {
            if (!m_error.empty() || (m_end == 0 && !m_overlong))
                return false;
            // The last line without an end.
            *text = m_buffer.data();
            *length = m_overlong ? 0 : m_end;
            if (*length > 0 && m_buffer[*length - 1] == '\r')
                --*length;
            m_start = m_end = 0;
            return true;
        }
    }
}
