#include "base/puzzleinfowriter.h"

PuzzleInfoWriter::PuzzleInfoWriter(sqlite3* db) : m_db(db)
{
    execute(R"(create table if not exists "puzzle_info"(
  "game" integer primary key, "puzzle" text not null, "rating" integer not null,
  "deviation" integer not null, "popularity" integer not null, "plays" integer not null,
  "themes" text not null, "theme_lo" integer not null, "theme_hi" integer not null,
  "opening" text not null))");
    execute(R"(create table if not exists "puzzle_themes"(
  "bit" integer primary key, "name" text not null unique))");
}

void PuzzleInfoWriter::execute(const char* sql)
{
    SQLiteStatement statement(m_db, sql);
    statement.step();
}

void PuzzleInfoWriter::themeBits(std::string_view themes, uint64_t* lo, uint64_t* hi)
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

void PuzzleInfoWriter::beginStoring()
{
    std::string sql = R"(insert into "puzzle_info" values)";
    for (size_t i = 0; i < kBatchRows; ++i)
        sql += i == 0 ? "(?,?,?,?,?,?,?,?,?,?)" : ",(?,?,?,?,?,?,?,?,?,?)";
    m_batch.prepare(m_db, sql.c_str());
    m_insert.prepare(m_db, R"(insert into "puzzle_info" values(?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
}

void PuzzleInfoWriter::add(int64_t game, const Info& info)
{
    Pending pending;
    pending.game = game;
    pending.numbers[0] = info.rating;
    pending.numbers[1] = info.deviation;
    pending.numbers[2] = info.popularity;
    pending.numbers[3] = info.plays;
    pending.themeLo = info.themeLo;
    pending.themeHi = info.themeHi;
    const std::string_view texts[3] = {info.id, info.themes, info.opening};
    for (size_t i = 0; i < 3; ++i) {
        pending.texts[i][0] = m_texts.size();
        pending.texts[i][1] = texts[i].size();
        m_texts.insert(m_texts.end(), texts[i].begin(), texts[i].end());
    }
    m_pending.push_back(pending);
    if (m_pending.size() == kBatchRows)
        write(m_batch, m_pending.size());
}

void PuzzleInfoWriter::write(SQLiteStatement& statement, size_t count)
{
    // Rows one by one with the single-row statement, else all in one.
    for (size_t first = 0; first < m_pending.size(); first += count) {
        SQLiteStatement::Use use(statement);
        for (size_t r = 0; r < count; ++r) {
            const Pending& row = m_pending[first + r];
            const int at = static_cast<int>(r * 10) + 1;
            auto text = [&](size_t i) {
                return std::string_view(m_texts.data() + row.texts[i][0], row.texts[i][1]);
            };
            statement.bind(at, row.game);
            statement.bind(at + 1, text(0));
            for (int i = 0; i < 4; ++i)
                statement.bind(at + 2 + i, row.numbers[i]);
            statement.bind(at + 6, text(1));
            // Stored as the signed 64-bit integers SQLite holds.
            statement.bind(at + 7, static_cast<int64_t>(row.themeLo));
            statement.bind(at + 8, static_cast<int64_t>(row.themeHi));
            statement.bind(at + 9, text(2));
        }
        statement.step();
    }
    m_pending.clear();
    m_texts.clear();
}

void PuzzleInfoWriter::finish()
{
    write(m_insert, 1);
    m_batch.finalize();
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
