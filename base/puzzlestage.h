#pragma once

#include "base/puzzleimport.h"

#include <cstdint>
#include <string_view>
#include <vector>

// The kept puzzles of an import waiting to be stored by rating. The rows go
// in file order into an unlinked temporary file, written in large blocks;
// memory holds a key of 16 bytes per row (rating, place in the file).
class PuzzleStage {
public:
    // A staged row; the views stay valid until the next read().
    struct Row {
        int rating = 0;
        std::string_view event;
        std::string_view site;
        std::string_view round;
        std::string_view fen;
        std::string_view moveText;
        int result = 0;
        unsigned flags = 0;
    };

    // Throws Exception when no temporary file can be made.
    PuzzleStage();
    ~PuzzleStage();
    PuzzleStage(const PuzzleStage&) = delete;
    PuzzleStage& operator=(const PuzzleStage&) = delete;

    // Throws Exception when the file cannot be written.
    void add(const PuzzleImport::Puzzle& puzzle);
    // Orders the rows by rating, ties in the order they were added.
    void sort();
    size_t size() const { return m_keys.size(); }
    // Row index in the order of sort(); throws Exception on a read error.
    void read(size_t index, Row* row);

private:
    struct Key {
        uint64_t offset;
        int32_t rating;
        uint32_t length;
    };

    void flush();

    int m_fd = -1;
    std::vector<Key> m_keys;
    std::vector<char> m_block;
    uint64_t m_written = 0;
    std::vector<char> m_row;
};
