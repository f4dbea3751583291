#include "core/exception.h"
#include "tests/views/boardfont_support.h"
#include "views/bmpboarddisplayer.h"
#include "views/boardfontdescriptor.h"
#include "views/boardfontfactory.h"
#include "views/ttfboarddisplayer.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

// Settings in memory, for reading many keys fast.
class MapConfig : public ConfigFileAbstract {
public:
    int readInt(const char* key, int defaultValue) const override
    {
        const auto it = m_values.find(key);
        return it == m_values.end() ? defaultValue : std::atoi(it->second.c_str());
    }
    void writeInt(const char* key, int value) override { m_values[key] = std::to_string(value); }
    std::string readString(const char* key, const char* defaultValue) const override
    {
        const auto it = m_values.find(key);
        return it == m_values.end() ? defaultValue : it->second;
    }
    void writeString(const char* key, const char* value) override { m_values[key] = value; }
    std::string getRootPath() const override { return "/root"; }
    std::string getDataPath() const override { return "/root/chess"; }

private:
    std::map<std::string, std::string> m_values;
};

std::string errorOf(const std::string& description)
{
    try {
        BoardFontDescriptor d(description, ".");
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        return e.what();
    }
    return std::string();
}

std::string invalid(const std::string& description, int line)
{
    return "Invalid font description: " + description +
           " [File: BoardFontDescriptor, Line: " + std::to_string(line) + "]";
}

class BoardFontFactoryTest : public ::testing::Test {
protected:
    void TearDown() override { BoardFontFactory::destroy(); }
    ScopedConfig m_cfg;
};

} // namespace

TEST_F(BoardFontFactoryTest, DescriptionFieldsAreTrimmedAndRooted)
{
    BoardFontDescriptor ttf(" TTF |  Chess Font\t| Inkmate Chess |fonts/chess.ttf\r\n",
                            m_cfg.root());
    EXPECT_EQ(ttf.kind, BoardFontDescriptor::TrueType);
    EXPECT_EQ(ttf.name, "Chess Font");
    EXPECT_EQ(ttf.family, "Inkmate Chess");
    EXPECT_EQ(ttf.file, m_cfg.root() + "/fonts/chess.ttf");

    // A fifth field is ignored; the family of a bitmap entry is kept.
    BoardFontDescriptor bmp("BMP|Pieces 75|-|fonts/pieces.png|extra", m_cfg.root());
    EXPECT_EQ(bmp.kind, BoardFontDescriptor::Bitmap);
    EXPECT_EQ(bmp.name, "Pieces 75");
    EXPECT_EQ(bmp.family, "-");
    EXPECT_EQ(bmp.file, m_cfg.root() + "/fonts/pieces.png");
}

TEST_F(BoardFontFactoryTest, MalformedDescriptionsNameTheirText)
{
    // Fewer than four fields after dropping empty ones: 16.
    EXPECT_EQ(errorOf("TTF|name|family"), invalid("TTF|name|family", 16));
    EXPECT_EQ(errorOf("BMP||-|pieces.png"), invalid("BMP||-|pieces.png", 16));
    EXPECT_EQ(errorOf("||||"), invalid("||||", 16));
    // A kind other than exactly TTF or BMP: 31.
    EXPECT_EQ(errorOf("ttf|name|family|file"), invalid("ttf|name|family|file", 31));
    EXPECT_EQ(errorOf("PNG|name|family|file"), invalid("PNG|name|family|file", 31));
    EXPECT_EQ(errorOf("T TF|name|family|file"), invalid("T TF|name|family|file", 31));
}

TEST_F(BoardFontFactoryTest, CatalogueStopsAtTheFirstEmptyEntry)
{
    m_cfg.config().writeString("board.font_00", "TTF|One|Inkmate Chess|a.ttf");
    m_cfg.config().writeString("board.font_01", "BMP|Two|-|b.png");
    m_cfg.config().writeString("board.font_03", "BMP|Four|-|d.png");
    BoardFontFactory::init(&m_cfg.config());
    const auto& fonts = BoardFontFactory::instance()->fonts();
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].name, "One");
    EXPECT_EQ(fonts[1].name, "Two");

    // Entries are numbered 00 to 99; a 100th is not read.
    MapConfig many;
    for (int i = 0; i <= 100; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "board.font_%02d", i);
        many.writeString(key, ("BMP|Font " + std::to_string(i) + "|-|f.png").c_str());
    }
    BoardFontFactory::init(&many);
    ASSERT_EQ(BoardFontFactory::instance()->fonts().size(), 100u);
    EXPECT_EQ(BoardFontFactory::instance()->fonts()[99].name, "Font 99");
}

TEST_F(BoardFontFactoryTest, EmptyOrBadCatalogueIsAnError)
{
    try {
        BoardFontFactory::init(&m_cfg.config());
        FAIL() << "no error without entries";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.isCritical());
        EXPECT_STREQ(e.what(), "No board fonts found!");
    }

    // A bad entry throws and leaves an earlier catalogue as it was.
    m_cfg.config().writeString("board.font_00", "TTF|One|Inkmate Chess|a.ttf");
    BoardFontFactory::init(&m_cfg.config());
    m_cfg.config().writeString("board.font_01", "XYZ|Bad|-|b.png");
    EXPECT_THROW(BoardFontFactory::init(&m_cfg.config()), Exception);
    EXPECT_EQ(BoardFontFactory::instance()->fonts().size(), 1u);

    // Without any catalogue a displayer cannot be made, but nothing crashes.
    BoardFontFactory::destroy();
    EXPECT_THROW(delete BoardFontFactory::instance()->createBoardDisplayer(0, 60, true), Exception);
}

TEST_F(BoardFontFactoryTest, MakesTheSelectedKindAndFallsBackToEntryZero)
{
    QFile::copy(QString::fromStdString(shippedPieces()),
                QString::fromStdString(m_cfg.file("pieces.png")));
    m_cfg.config().writeString("board.font_00", "BMP|Pieces|-|pieces.png");
    m_cfg.config().writeString("board.font_01", "TTF|Chess|Inkmate Chess|chess.ttf");
    m_cfg.config().writeString("board.font_02", "BMP|Missing|-|missing.png");
    BoardFontFactory::init(&m_cfg.config());
    const BoardFontFactory* factory = BoardFontFactory::instance();

    std::unique_ptr<AbstractBoardDisplayer> d(factory->createBoardDisplayer(0, 60, true));
    auto* bmp = dynamic_cast<BmpBoardDisplayer*>(d.get());
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->cellSize(), 60);

    d.reset(factory->createBoardDisplayer(1, 60, false));
    auto* ttf = dynamic_cast<TtfBoardDisplayer*>(d.get());
    ASSERT_NE(ttf, nullptr);
    EXPECT_EQ(ttf->font().family(), QStringLiteral("Inkmate Chess"));
    EXPECT_EQ(ttf->font().pixelSize(), 60);
    EXPECT_EQ(ttf->font().styleStrategy(), QFont::NoAntialias);
    d.reset(factory->createBoardDisplayer(1, 60, true));
    EXPECT_EQ(dynamic_cast<TtfBoardDisplayer*>(d.get())->font().styleStrategy(),
              QFont::PreferAntialias);

    // A selected bitmap that is missing gives its message.
    try {
        d.reset(factory->createBoardDisplayer(2, 60, true));
        FAIL() << "missing bitmap accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Failed to load image from file: " + m_cfg.root() + "/missing.png");
    }

    // An index past the end, or negative, uses entry 0.
    for (int index : {3, 99, -1}) {
        d.reset(factory->createBoardDisplayer(index, 60, true));
        EXPECT_NE(dynamic_cast<BmpBoardDisplayer*>(d.get()), nullptr) << index;
    }
}

TEST_F(BoardFontFactoryTest, RegistersTrueTypeFiles)
{
    QFile::copy(QString::fromStdString(shippedFont()),
                QString::fromStdString(m_cfg.file("chess.ttf")));
    m_cfg.config().writeString("board.font_00", "TTF|Chess|Inkmate Chess|chess.ttf");
    m_cfg.config().writeString("board.font_01", "BMP|Pieces|-|pieces.png");
    m_cfg.config().writeString("board.font_02", "TTF|Gone|Gone|gone.ttf");
    BoardFontFactory::init(&m_cfg.config());
    const std::vector<int> ids = BoardFontFactory::instance()->registerTrueTypeFonts();
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(QFontDatabase::applicationFontFamilies(ids[0]),
              QStringList{QStringLiteral("Inkmate Chess")});
    // The copy goes away with the temporary folder.
    for (int id : ids)
        QFontDatabase::removeApplicationFont(id);
}
