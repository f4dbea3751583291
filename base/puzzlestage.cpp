#include "base/puzzlestage.h"

#include "base/basefile.h"
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

// A row: rating and total length, the text lengths, result, flags,
// deviation, popularity, plays, the two halves of each theme mask and of the
// line, then the texts.
constexpr size_t kTexts = 7;
constexpr size_t kHeader = (2 + kTexts + 11) * sizeof(uint32_t);
// The least read-back buffer of a run.
constexpr size_t kMinReadBytes = size_t(16) << 10;
// Bytes written to the file at once.
constexpr size_t kWriteBuffer = size_t(256) << 10;

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

uint32_t length_of(const char* row)
{
    const char* in = row + sizeof(uint32_t);
    return get(in);
}

int32_t rating_of(const char* row)
{
    const char* in = row;
    return static_cast<int32_t>(get(in));
}

[[noreturn]] void raise(const char* format, const std::string& path)
{
    throw Exception(false, format, path.c_str(), strerror(errno));
}

} // namespace

PuzzleStage::PuzzleStage(const std::string& folder, size_t blockBytes, size_t readBytes)
    : m_folder(folder), m_blockBytes(blockBytes), m_readBytes(std::max<size_t>(readBytes, 1))
{
    m_block.reserve(m_blockBytes);
}

PuzzleStage::~PuzzleStage()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void PuzzleStage::add(const PuzzleImport::Puzzle& puzzle)
{
    const std::string* texts[kTexts] = {&puzzle.event,  &puzzle.site,     &puzzle.round,
                                        &puzzle.fen,    &puzzle.moveText, &puzzle.themes,
                                        &puzzle.opening};
    size_t length = kHeader;
    for (const std::string* text : texts)
        length += text->size();
    if (length > UINT32_MAX)
        throw Exception(false, translated("The move text is too long"));
    if (!m_block.empty() && m_block.size() + length > m_blockBytes)
        writeRun();
    const size_t at = m_block.size();
    m_block.resize(at + length);
    char* out = m_block.data() + at;
    put(out, static_cast<uint32_t>(puzzle.rating));
    put(out, static_cast<uint32_t>(length));
    for (const std::string* text : texts)
        put(out, static_cast<uint32_t>(text->size()));
    put(out, static_cast<uint32_t>(puzzle.result));
    put(out, puzzle.flags);
    put(out, static_cast<uint32_t>(puzzle.deviation));
    put(out, static_cast<uint32_t>(puzzle.popularity));
    put(out, static_cast<uint32_t>(puzzle.plays));
    for (uint64_t mask : {puzzle.themeLo, puzzle.themeHi, static_cast<uint64_t>(puzzle.line)}) {
        put(out, static_cast<uint32_t>(mask));
        put(out, static_cast<uint32_t>(mask >> 32));
    }
    for (const std::string* text : texts) {
        memcpy(out, text->data(), text->size());
        out += text->size();
    }
    m_keys.push_back(Key{puzzle.rating, static_cast<uint32_t>(length), at});
    ++m_count;
}

void PuzzleStage::sortBlock()
{
    // The offsets follow the order of add(): they break the ties.
    std::sort(m_keys.begin(), m_keys.end(), [](const Key& a, const Key& b) {
        return a.rating != b.rating ? a.rating < b.rating : a.offset < b.offset;
    });
}

void PuzzleStage::write(const char* data, size_t length)
{
    basefile::writeAll(m_fd, data, length, m_path);
}

void PuzzleStage::writeRun()
{
    if (m_fd < 0)
        m_fd = basefile::openScratch(m_folder, "inkmate-stage", &m_path);
    sortBlock();
    std::vector<char> out;
    out.reserve(kWriteBuffer);
    Run run;
    run.position = m_written;
    for (const Key& key : m_keys) {
        if (out.size() + key.length > kWriteBuffer && !out.empty()) {
            write(out.data(), out.size());
            out.clear();
        }
        out.insert(out.end(), m_block.data() + key.offset,
                   m_block.data() + key.offset + key.length);
        m_written += key.length;
    }
    write(out.data(), out.size());
    run.end = m_written;
    m_runs.push_back(std::move(run));
    m_block.clear();
    m_keys.clear();
}

void PuzzleStage::finish()
{
    if (!m_runs.empty() && !m_block.empty())
        writeRun();
    else
        sortBlock();
    if (!m_runs.empty()) {
        // The block's memory goes to the runs' read buffers: the total stays
        // the same however many runs there are.
        std::vector<char>().swap(m_block);
        std::vector<Key>().swap(m_keys);
        m_readBytes = std::min(m_readBytes, std::max(kMinReadBytes, m_blockBytes / m_runs.size()));
    }
    m_finished = true;
}

const char* PuzzleStage::peek(Run& run)
{
    auto available = [&run] { return run.filled - run.at; };
    const auto whole = [&run, &available] {
        return available() >= kHeader && available() >= length_of(run.buffer.data() + run.at);
    };
    while (!whole()) {
        if (run.position == run.end)
            return nullptr;
        // Keep the partial row at the front and read behind it.
        if (available() > 0)
            memmove(run.buffer.data(), run.buffer.data() + run.at, available());
        run.filled -= run.at;
        run.at = 0;
        size_t need = std::max(m_readBytes, kHeader);
        if (run.filled >= kHeader)
            need = std::max<size_t>(need, length_of(run.buffer.data()));
        if (run.buffer.size() < need)
            run.buffer.resize(need);
        const size_t room =
            std::min<uint64_t>(run.buffer.size() - run.filled, run.end - run.position);
        const ssize_t done =
            pread(m_fd, run.buffer.data() + run.filled, room, static_cast<off_t>(run.position));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            raise(translated("Failed to read %s: %s"), m_path);
        }
        run.filled += static_cast<size_t>(done);
        run.position += static_cast<uint64_t>(done);
    }
    return run.buffer.data() + run.at;
}

bool PuzzleStage::next(Row* row)
{
    if (!m_finished)
        finish();
    const char* data = nullptr;
    if (m_runs.empty()) {
        if (m_next == m_keys.size())
            return false;
        data = m_block.data() + m_keys[m_next++].offset;
    } else {
        // The row given last is done with; then the least rating among the
        // runs' current rows, the earlier run on a tie.
        if (m_current)
            m_current->at += length_of(m_current->buffer.data() + m_current->at);
        m_current = nullptr;
        for (Run& run : m_runs) {
            const char* candidate = peek(run);
            if (candidate && (!data || rating_of(candidate) < rating_of(data))) {
                data = candidate;
                m_current = &run;
            }
        }
        if (!data)
            return false;
    }
    const char* in = data;
    row->rating = static_cast<int32_t>(get(in));
    get(in);
    uint32_t lengths[kTexts];
    for (uint32_t& length : lengths)
        length = get(in);
    row->result = static_cast<int>(get(in));
    row->flags = get(in);
    row->deviation = static_cast<int32_t>(get(in));
    row->popularity = static_cast<int32_t>(get(in));
    row->plays = static_cast<int32_t>(get(in));
    uint64_t line = 0;
    for (uint64_t* mask : {&row->themeLo, &row->themeHi, &line}) {
        const uint64_t low = get(in);
        *mask = low | uint64_t(get(in)) << 32;
    }
    row->line = static_cast<int64_t>(line);
    std::string_view* texts[kTexts] = {&row->event,    &row->site,   &row->round,  &row->fen,
                                       &row->moveText, &row->themes, &row->opening};
    for (size_t i = 0; i < kTexts; ++i) {
        *texts[i] = std::string_view(in, lengths[i]);
        in += lengths[i];
    }
    return true;
}
