#pragma once

#include "base/puzzleimport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The kept puzzles of an import, waiting to be stored by rating (ties in the
// order they came). Rows are gathered in a block of fixed size; a full block
// is sorted and written as one run to an unlinked temporary file, and the
// runs are merged as they are read back, so the memory stays the same
// whatever the number of rows. Rows that fit in one block never reach a file.
class PuzzleStage {
public:
    // A staged row; the views stay valid until the next call of next().
    struct Row {
        int rating = 0;
        std::string_view event;
        std::string_view site;
        std::string_view round;
        std::string_view fen;
        std::string_view moveText;
        std::string_view themes;
        std::string_view opening;
        int result = 0;
        unsigned flags = 0;
        int deviation = 0;
        int popularity = 0;
        int plays = 0;
        uint64_t themeLo = 0;
        uint64_t themeHi = 0;
        int64_t line = 0;
    };

    // folder: where the runs are written (beside the base: a reader's system
    // temporary folder may have no room); blockBytes: the rows gathered before
    // a run is written; readBytes: the read-back buffer of each run, at most
    // (the runs share about blockBytes).
    explicit PuzzleStage(const std::string& folder, size_t blockBytes = size_t(16) << 20,
                         size_t readBytes = size_t(256) << 10);
    ~PuzzleStage();
    PuzzleStage(const PuzzleStage&) = delete;
    PuzzleStage& operator=(const PuzzleStage&) = delete;

    // Throws Exception when the temporary file cannot be made or written.
    void add(const PuzzleImport::Puzzle& puzzle);
    // Ends the adding; then next() gives the rows by rating.
    void finish();
    // False after the last row; throws Exception on a read error.
    bool next(Row* row);
    int64_t size() const { return m_count; }

private:
    struct Key {
        int32_t rating;
        uint32_t length;
        uint64_t offset;
    };
    struct Run {
        uint64_t position;
        uint64_t end;
        std::vector<char> buffer;
        size_t at = 0;
        size_t filled = 0;
    };

    void sortBlock();
    void writeRun();
    void write(const char* data, size_t length);
    // The run's current row, read whole into its buffer; null at its end.
    const char* peek(Run& run);

    std::string m_folder;
    size_t m_blockBytes;
    size_t m_readBytes;
    int m_fd = -1;
    // The temporary file's name, for messages.
    std::string m_path;
    int64_t m_count = 0;
    std::vector<char> m_block;
    std::vector<Key> m_keys;
    uint64_t m_written = 0;
    std::vector<Run> m_runs;
    // Reading: the position in m_keys, or the run whose row was given last.
    size_t m_next = 0;
    Run* m_current = nullptr;
    bool m_finished = false;
};
