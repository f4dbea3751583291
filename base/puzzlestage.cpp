#include "base/puzzlestage.h"

#include "core/exception.h"
#include "core/trans.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kBlock = 1u << 20;

// A row: five text lengths, result and flags, then the five texts.
constexpr size_t kTexts = 5;
constexpr size_t kFixed = (kTexts + 2) * sizeof(uint32_t);

std::string temporary_folder()
{
    const char* folder = getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

void put(char*& out, uint32_t value)
{
    memcpy(out, &value, sizeof value);
    out += sizeof value;
}

uint32_t get(const char*& in)
{
    uint32_t value = 0;
    memcpy(&value, in, sizeof value);
    in += sizeof value;
    return value;
}

[[noreturn]] void raise(const char* what)
{
    throw Exception(false, translated("Failed to %s the puzzle stage: %s"), what, strerror(errno));
}

} // namespace

PuzzleStage::PuzzleStage()
{
    std::string pattern = temporary_folder() + "/inkmate-stage-XXXXXX";
    m_fd = mkostemp(&pattern[0], O_CLOEXEC);
    if (m_fd < 0)
        raise("create");
    // Gone with the descriptor, also when the process dies.
    unlink(pattern.c_str());
    m_block.reserve(kBlock);
}

PuzzleStage::~PuzzleStage()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void PuzzleStage::add(const PuzzleImport::Puzzle& puzzle)
{
    const std::string* texts[kTexts] = {&puzzle.event, &puzzle.site, &puzzle.round, &puzzle.fen,
                                        &puzzle.moveText};
    size_t length = kFixed;
    for (const std::string* text : texts)
        length += text->size();
    if (length > UINT32_MAX)
        throw Exception(false, translated("The puzzle is too long"));
    if (m_block.size() + length > kBlock)
        flush();
    const size_t at = m_block.size();
    m_block.resize(at + length);
    char* out = m_block.data() + at;
    for (const std::string* text : texts)
        put(out, static_cast<uint32_t>(text->size()));
    put(out, static_cast<uint32_t>(puzzle.result));
    put(out, puzzle.flags);
    for (const std::string* text : texts) {
        memcpy(out, text->data(), text->size());
        out += text->size();
    }
    m_keys.push_back(Key{m_written + at, puzzle.rating, static_cast<uint32_t>(length)});
}

void PuzzleStage::flush()
{
    const char* data = m_block.data();
    size_t left = m_block.size();
    while (left > 0) {
        const ssize_t done = ::write(m_fd, data, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            raise("write");
        data += done;
        left -= static_cast<size_t>(done);
    }
    m_written += m_block.size();
    m_block.clear();
}

void PuzzleStage::sort()
{
    // The offsets follow the order of add(): they break the ties.
    std::sort(m_keys.begin(), m_keys.end(), [](const Key& a, const Key& b) {
        return a.rating != b.rating ? a.rating < b.rating : a.offset < b.offset;
    });
}

void PuzzleStage::read(size_t index, Row* row)
{
    const Key& key = m_keys[index];
    const char* in = nullptr;
    if (key.offset >= m_written) {
        // Still in the block that was never written out.
        in = m_block.data() + (key.offset - m_written);
    } else {
        m_row.resize(key.length);
        size_t got = 0;
        while (got < key.length) {
            const ssize_t done = pread(m_fd, m_row.data() + got, key.length - got,
                                       static_cast<off_t>(key.offset + got));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                if (done == 0)
                    errno = EIO;
                raise("read");
            }
            got += static_cast<size_t>(done);
        }
        in = m_row.data();
    }
    uint32_t lengths[kTexts];
    for (uint32_t& length : lengths)
        length = get(in);
    row->rating = key.rating;
    row->result = static_cast<int>(get(in));
    row->flags = get(in);
    std::string_view* texts[kTexts] = {&row->event, &row->site, &row->round, &row->fen,
                                       &row->moveText};
    for (size_t i = 0; i < kTexts; ++i) {
        *texts[i] = std::string_view(in, lengths[i]);
        in += lengths[i];
    }
}
