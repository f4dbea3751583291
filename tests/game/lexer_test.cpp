#include "core/exception.h"
#include "game/pgnlexscanner.h"
#include "game/pgnlexscannerfactory.h"
#include "game/pgntokentype.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using T = PGNTokenType;

// "type:text" per token, space separated; the message on a scan error.
std::string lex_text(const std::string& text)
{
    std::vector<lex::Token> tokens;
    try {
        PGNLexScannerFactory::instanse()->scan(text.c_str(), &tokens);
    } catch (const Exception& e) {
        return std::string("error: ") + e.what();
    }
    std::string out;
    for (const lex::Token& t : tokens) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(t.type) + ":" + t.text;
    }
    return out;
}

TEST(PGNLexer, EmptyAndWhitespaceGiveNoTokens)
{
    EXPECT_EQ(lex_text(""), "");
    EXPECT_EQ(lex_text(" \t\r\n  \n"), "");
}

TEST(PGNLexer, TokenKindsOfATypicalGame)
{
    EXPECT_EQ(lex_text("1. e4 e5 2. Nf3 {good move} Nc6 1-0"),
              "8:1 9:e4 9:e5 8:2 9:Nf3 4:{ 6:good 6:move 5:} 9:Nc6 0:1-0");
    EXPECT_EQ(lex_text("1... e5"), "7:1 9:e5");
    EXPECT_EQ(lex_text("1.e4"), "8:1 9:e4");
    EXPECT_EQ(lex_text("e4 $1 $14 e5"), "9:e4 3:$1 3:$14 9:e5");
    EXPECT_EQ(lex_text("e4 $ e5"), "9:e4 3:$ 9:e5");
    EXPECT_EQ(lex_text("{1-0}"), "4:{ 6:1-0 5:}");
    EXPECT_EQ(lex_text("1. e4"), "8:1 9:e4");
    EXPECT_EQ(lex_text("e4 (d4 d5) e5 *"), "9:e4 1:( 9:d4 9:d5 2:) 9:e5 0:*");
    EXPECT_EQ(lex_text("Nxf3+ e8=Q O-O-O 0-0 e4!? 1/2-1/2"),
              "9:Nxf3+ 9:e8=Q 9:O-O-O 9:0-0 9:e4!? 0:1/2-1/2");
    // A result is taken as a prefix, then nothing may follow it.
    EXPECT_EQ(lex_text("e4 1-0x"), "error: PGN parsing error. Context: x");
    // Digits without a dot are a move.
    EXPECT_EQ(lex_text("5 e4"), "9:5 9:e4");
    // Comment words keep brackets, dollars and digits as text.
    EXPECT_EQ(lex_text("e4 {a (b) $1 2. *}"), "9:e4 4:{ 6:a 6:(b) 6:$1 6:2. 6:* 5:}");
    EXPECT_EQ(static_cast<int>(T::Move), 9);
}

TEST(PGNLexer, ContextRulesRejectMalformedText)
{
    EXPECT_EQ(lex_text("{a {b} c}"), "error: PGN parsing error. Context: {b} c}");
    EXPECT_EQ(lex_text("1-0 e4"), "error: PGN parsing error. Context: e4");
    EXPECT_EQ(lex_text("e4 ( ) e5"), "error: PGN parsing error. Context: ) e5");
    EXPECT_EQ(lex_text("(e4)"), "error: PGN parsing error. Context: (e4)");
    // "2" after a move number is read as a move; its dot is left over.
    EXPECT_EQ(lex_text("1. 2. e4"), "error: PGN parsing error. Context: . e4");
    EXPECT_EQ(lex_text("1. {c} e4"), "error: PGN parsing error. Context: {c} e4");
    EXPECT_EQ(lex_text("1. $1 e4"), "error: PGN parsing error. Context: $1 e4");
    EXPECT_EQ(lex_text("5.. e4"), "error: PGN parsing error. Context: . e4");
    EXPECT_EQ(lex_text("e4 ( $1 d4 )"), "error: PGN parsing error. Context: $1 d4 )");
    EXPECT_EQ(lex_text("e4 [%clk 0:01]"), "error: PGN parsing error. Context: [%clk 0:01]");
    // A comment may open the text, and a variation may follow it.
    EXPECT_EQ(lex_text("{c} (e4) *"), "4:{ 6:c 5:} 1:( 9:e4 2:) 0:*");
}

TEST(PGNLexer, ErrorContextRunsToTheLineEndOrTwentyCharacters)
{
    EXPECT_EQ(lex_text("e4 ]abc def\nnext line"), "error: PGN parsing error. Context: ]abc def");
    EXPECT_EQ(lex_text("e4 ]abc\tdef"), "error: PGN parsing error. Context: ]abc");
    EXPECT_EQ(lex_text("e4 ]abc\r\n"), "error: PGN parsing error. Context: ]abc");
    EXPECT_EQ(lex_text("e4 ]1234567890123456789012345"),
              "error: PGN parsing error. Context: ]1234567890123456789");
    const std::string longLine(500, 'x');
    EXPECT_EQ(lex_text("e4 ]" + longLine + "\n"),
              "error: PGN parsing error. Context: ]" + longLine);
    // Twenty bytes would cut the euro sign: the context stops before it.
    EXPECT_EQ(lex_text("e4 ]123456789012345678\xE2\x82\xAC"),
              "error: PGN parsing error. Context: ]123456789012345678");
}

TEST(PGNLexer, ScanContinuesAfterTokensAlreadyInTheVector)
{
    std::vector<lex::Token> tokens;
    lex::Scanner* scanner = PGNLexScannerFactory::instanse();
    scanner->scan("e4 {", &tokens);
    // The open comment of the first call is the context of the second.
    scanner->scan("1-0 }", &tokens);
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[2].type, static_cast<int>(T::CommentElement));
    EXPECT_EQ(tokens[2].text, "1-0");
    EXPECT_EQ(tokens[3].type, static_cast<int>(T::CommentEnd));
}

TEST(PGNLexer, FactoryKeepsOneScannerUntilDestroyed)
{
    lex::Scanner* first = PGNLexScannerFactory::instanse();
    EXPECT_EQ(PGNLexScannerFactory::instanse(), first);
    EXPECT_NE(dynamic_cast<PGNLexScanner*>(first), nullptr);
    PGNLexScannerFactory::destroy();
    lex::Scanner* second = PGNLexScannerFactory::instanse();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(lex_text("e4 *"), "9:e4 0:*");
}

TEST(PGNLexer, HugeAndHostileTextsScanWithoutTrouble)
{
    // A 10 MB comment, deep brackets and bytes that are no text.
    std::string big = "e4 {" + std::string(10 * 1024 * 1024, 'a') + "} *";
    std::vector<lex::Token> tokens;
    PGNLexScannerFactory::instanse()->scan(big.c_str(), &tokens);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[2].text.size(), 10u * 1024 * 1024);

    std::string deep = "e4";
    for (int i = 0; i < 1000; ++i)
        deep += " (e4";
    for (int i = 0; i < 1000; ++i)
        deep += ")";
    deep += " *";
    tokens.clear();
    PGNLexScannerFactory::instanse()->scan(deep.c_str(), &tokens);
    EXPECT_EQ(tokens.size(), 1u + 2000u + 1000u + 1u);

    // Control characters are not quoted as they are.
    EXPECT_EQ(lex_text("e4 \x01\x02"), "error: PGN parsing error. Context: ??");
    EXPECT_EQ(lex_text("e4 {\xff\xfe} *"), "9:e4 4:{ 6:\xff\xfe 5:} 0:*");
}

} // namespace
