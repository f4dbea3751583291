#include "base/puzzletables.h"

PuzzleTables::PuzzleTables(sqlite3* db) : m_db(db)
{
    execute(R"(create table if not exists "puzzle_info"(
  "game" integer primary key, "puzzle" text not null, "rating" integer not null,
  "deviation" integer not null, "popularity" integer not null, "plays" integer not null,
  "themes" text not null, "theme_lo" integer not null, "theme_hi" integer not null,
  "opening" text not null))");
    execute(R"(create table if not exists "puzzle_themes"(
  "bit" integer primary key, "name" text not null unique))");
}

void PuzzleTables::execute(const char* sql)
{
    SQLiteStatement statement(m_db, sql);
    statement.step();
}

void PuzzleTables::themeBits(std::string_view themes, uint64_t* lo, uint64_t* hi)
{
    *lo = *hi = 0;
    size_t start = 0;
    while (start < themes.size()) {
        size_t end = themes.find(' ', start);
        if (end == std::string_view::npos)
            end = themes.size();
        m_key.assign(themes.data() + start, end - start);
        start = end + 1;
        if (m_key.empty())
            continue;
        auto found = m_bits.find(m_key);
        if (found == m_bits.end()) {
            const int bit = m_names.size() < kThemeBits ? static_cast<int>(m_names.size()) : -1;
            if (bit >= 0)
                m_names.push_back(m_key);
            found = m_bits.emplace(m_key, bit).first;
        }
        const int bit = found->second;
        if (bit >= 64)
            *hi |= uint64_t(1) << (bit - 64);
        else if (bit >= 0)
            *lo |= uint64_t(1) << bit;
    }
}

void PuzzleTables::beginStoring()
{
    m_insert.prepare(m_db, R"(insert into "puzzle_info" values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
}

void PuzzleTables::add(int64_t game, const Info& info)
{
    SQLiteStatement::Use use(m_insert);
    m_insert.bind(1, game);
    m_insert.bind(2, info.id);
    m_insert.bind(3, info.rating);
    m_insert.bind(4, info.deviation);
    m_insert.bind(5, info.popularity);
    m_insert.bind(6, info.plays);
    m_insert.bind(7, info.themes);
    // Stored as the signed 64-bit integers SQLite holds.
    m_insert.bind(8, static_cast<int64_t>(info.themeLo));
    m_insert.bind(9, static_cast<int64_t>(info.themeHi));
    m_insert.bind(10, info.opening);
    m_insert.step();
}

void PuzzleTables::finish()
{
    m_insert.finalize();
    SQLiteStatement name(m_db, R"(insert into "puzzle_themes" values(?, ?))");
    for (size_t bit = 0; bit < m_names.size(); ++bit) {
        SQLiteStatement::Use use(name);
        name.bind(1, static_cast<int>(bit));
        name.bind(2, m_names[bit]);
        name.step();
    }
    execute(
        R"(create index if not exists "puzzle_info_rating" on "puzzle_info"("rating","theme_lo","theme_hi"))");
}
