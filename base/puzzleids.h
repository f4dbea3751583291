#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Finds the repeated puzzle ids of an import in the same memory whatever the
// number of rows: each id is kept as a 64-bit hash with its line, in blocks
// sorted and written as runs to an unlinked file beside the base, merged at
// the end. Two ids with the same hash count as the same (for 5 million ids
// a false match has a chance of about one in a million).
class PuzzleIds {
public:
    // folder: where the runs are written; blockRecords: ids kept in memory.
    explicit PuzzleIds(const std::string& folder, size_t blockRecords = size_t(1) << 17);
    ~PuzzleIds();
    PuzzleIds(const PuzzleIds&) = delete;
    PuzzleIds& operator=(const PuzzleIds&) = delete;

    // Throws Exception when the temporary file cannot be made or written.
    void add(std::string_view id, int64_t line);
    // The lines whose id came before, ascending, each with the line of its
    // first appearance. Throws Exception on a read error.
    std::vector<std::pair<int64_t, int64_t>> repeats();

private:
    struct Record {
        uint64_t hash;
        int64_t line;
    };
    void writeRun();

    std::string m_folder;
    size_t m_blockRecords;
    std::vector<Record> m_block;
    int m_fd = -1;
    std::string m_path;
    // Start of each run in records, and the end of the last.
    std::vector<uint64_t> m_runs;
    uint64_t m_written = 0;
};
