#include "base/puzzleids.h"

#include "base/basefile.h"
#include "core/exception.h"
#include "core/trans.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

// Records read back at once from each run.
constexpr size_t kReadRecords = 4096;

[[noreturn]] void raise(const char* format, const std::string& path)
{
    throw Exception(false, format, path.c_str(), strerror(errno));
}

} // namespace

PuzzleIds::PuzzleIds(const std::string& folder, size_t blockRecords)
    : m_folder(folder), m_blockRecords(std::max<size_t>(blockRecords, 1))
{
    m_block.reserve(m_blockRecords);
}

PuzzleIds::~PuzzleIds()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void PuzzleIds::add(std::string_view id, int64_t line)
{
    if (m_block.size() == m_blockRecords)
        writeRun();
    m_block.push_back(Record{std::hash<std::string_view>()(id), line});
}

void PuzzleIds::writeRun()
{
    if (m_fd < 0)
        m_fd = basefile::openScratch(m_folder, "inkmate-ids", &m_path);
    std::sort(m_block.begin(), m_block.end(), [](const Record& a, const Record& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.line < b.line;
    });
    basefile::writeAll(m_fd, reinterpret_cast<const char*>(m_block.data()),
                       m_block.size() * sizeof(Record), m_path);
    m_runs.push_back(m_written);
    m_written += m_block.size();
    m_block.clear();
}

std::vector<std::pair<int64_t, int64_t>> PuzzleIds::repeats()
{
    std::vector<std::pair<int64_t, int64_t>> out;
    if (!m_block.empty())
        writeRun();
    struct Run {
        uint64_t next;
        uint64_t end;
        std::vector<Record> buffer;
        size_t at = 0;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < m_runs.size(); ++i)
        runs.push_back(Run{m_runs[i], i + 1 < m_runs.size() ? m_runs[i + 1] : m_written, {}, 0});
    // The run's current record; null at its end.
    auto peek = [this](Run& run) -> const Record* {
        if (run.at < run.buffer.size())
            return &run.buffer[run.at];
        if (run.next == run.end)
            return nullptr;
        run.buffer.resize(std::min<uint64_t>(kReadRecords, run.end - run.next));
        run.at = 0;
        char* into = reinterpret_cast<char*>(run.buffer.data());
        size_t want = run.buffer.size() * sizeof(Record);
        off_t from = static_cast<off_t>(run.next * sizeof(Record));
        while (want > 0) {
            const ssize_t done = pread(m_fd, into, want, from);
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                if (done == 0)
                    errno = EIO;
                raise(translated("Failed to read %s: %s"), m_path);
            }
            into += done;
            from += done;
            want -= static_cast<size_t>(done);
        }
        run.next += run.buffer.size();
        return &run.buffer[0];
    };
    // Every record in (hash, line) order: a record with the hash of the one
    // before repeats the first of its group.
    bool any = false;
    Record first = {0, 0};
    for (;;) {
        Run* least = nullptr;
        const Record* record = nullptr;
        for (Run& run : runs) {
            const Record* candidate = peek(run);
            if (candidate &&
                (!record || candidate->hash < record->hash ||
                 (candidate->hash == record->hash && candidate->line < record->line))) {
                record = candidate;
                least = &run;
            }
        }
        if (!least)
            break;
        if (any && record->hash == first.hash)
            out.emplace_back(record->line, first.line);
        else
            first = *record;
        any = true;
        ++least->at;
    }
    std::sort(out.begin(), out.end());
    return out;
}
