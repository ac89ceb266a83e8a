#include "editor/shell/support/asc_reader.h"
#include "editor/shell/support/asc_writer.h"
#include "editor/shell/support/numbers.h"
#include "editor/shell/support/parser.h"

#include "comma_locale.h"
#include "file_helpers.h"
#include "support_fixture.h"

#include <QProgressBar>

#include <system_error>
#include <vector>

namespace {

using AscWriterTest = SupportTest;

TEST_F(AscWriterTest, LinesEndWithCrLfAndEmptyOnesAreRefused)
{
    QProgressBar bar;
    TASCWriter writer;
    writer.SetProgressBar(&bar);
    writer.SetExpectedLines(4);
    ASSERT_TRUE(writer.Open(file("out.txt"), false));
    EXPECT_TRUE(writer.WriteLine("first"));
    EXPECT_FALSE(writer.WriteLine(""));
    EXPECT_EQ(writer.LinesWritten(), 1);
    EXPECT_EQ(bar.value(), 25);
    const std::string longLine(10000, 'x'); // longer lines are written whole
    EXPECT_TRUE(writer.WriteLine(longLine));
    EXPECT_TRUE(writer.WriteLine("Pen\xA0Parking"));
    EXPECT_EQ(ReadFile(file("out.txt")), "first\r\n" + longLine + "\r\nPen\xA0Parking\r\n");
    EXPECT_EQ(bar.value(), 75);

    TASCWriter again;
    EXPECT_FALSE(again.Open(file("out.txt"), false));
    ASSERT_TRUE(again.Open(file("out.txt"), true));
    EXPECT_EQ(ReadFile(file("out.txt")), "");
}

TEST_F(AscWriterTest, AFailedWriteThrowsAndIsNotCounted)
{
    TASCWriter writer;
    EXPECT_THROW(writer.WriteLine("never opened"), std::system_error);
    ASSERT_TRUE(writer.Open(file("full.txt"), false));
    EXPECT_TRUE(writer.WriteLine("fits"));
    {
        FileSizeLimit limit(10);
        EXPECT_THROW(writer.WriteLine("does not fit"), std::system_error);
    }
    EXPECT_EQ(writer.LinesWritten(), 1);
}

struct Token {
    std::string text;
    bool number;
    double value;
    bool operator==(const Token &) const = default;
};

std::vector<Token> Tokens(TParser &parser, const std::string &text)
{
    std::vector<Token> tokens;
    parser.SetText(text);
    for (int guard = 0; parser.Next() && guard < 1000; ++guard)
        tokens.push_back({parser.Token(), parser.IsNumber(), parser.Value()});
    return tokens;
}

TEST(ParserTest, TokensOfDelimitedText)
{
    struct Case {
        char separator;
        const char *text;
        std::vector<Token> tokens;
    };
    const Case cases[] = {
        {' ', "   12    3.5  ", {{"12", true, 12}, {"3.5", true, 3.5}}},
        {',', "a, b,,c", {{"a", false, 0}, {"b", false, 0}, {"", false, 0}, {"c", false, 0}}},
        {',', "1,2,", {{"1", true, 1}, {"2", true, 2}, {"", false, 0}}},
        {',', "\"x, y\" dropped,z", {{"x, y", false, 0}, {"z", false, 0}}},
        {',', "\"open, to the end", {{"open, to the end,", false, 0}}},
        {',',
         "-1.5e3,+.5,5.,1.2.3,1e,inf,0x10",
         {{"-1.5e3", true, -1500},
          {"+.5", true, 0.5},
          {"5.", true, 5},
          {"1.2.3", false, 0},
          {"1e", false, 0},
          {"inf", false, 0},
          {"0x10", false, 0}}},
        {';', "caf\xE9;\xA0", {{"caf\xE9", false, 0}, {"\xA0", false, 0}}},
        {',', "", {{"", false, 0}}},
        {' ', "   ", {{"", false, 0}}},
    };
    CommaLocale comma; // numbers take a point whatever the locale
    EXPECT_TRUE(comma.active());
    TParser parser;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        parser.SetSeparator(c.separator);
        EXPECT_EQ(Tokens(parser, c.text), c.tokens);
        EXPECT_FALSE(parser.Next()); // stays used up
    }
}

TEST(ParserTest, QuotesCanBeIgnored)
{
    TParser parser;
    parser.SetSeparator(',');
    parser.SetHonourQuotes(false);
    const std::vector<Token> expected = {{"\"x", false, 0}, {"y\"", false, 0}};
    EXPECT_EQ(Tokens(parser, "\"x, y\""), expected);
    // The same parser serves the next line from its start.
    EXPECT_EQ(Tokens(parser, "7"), std::vector<Token>({{"7", true, 7}}));
}

TEST(NumbersTest, FormatAndParseWithAPoint)
{
    CommaLocale comma;
    EXPECT_TRUE(comma.active());
    EXPECT_EQ(FormatFixed(1234.5678, 2), "1234.57");
    EXPECT_EQ(FormatFixed(-0.5, 0), "-0");
    double v = 1;
    EXPECT_TRUE(ParseDecimal("2.5", v));
    EXPECT_EQ(v, 2.5);
    EXPECT_FALSE(ParseDecimal("2,5", v));
    EXPECT_FALSE(ParseDecimal("1e400", v)); // out of range
    EXPECT_FALSE(ParseDecimal("", v));
    EXPECT_FALSE(ParseDecimal(" 1", v));
    EXPECT_EQ(v, 0);
}

} // namespace

namespace {

// Bytes that Windows-1252 leaves undefined, the no-break space and letters
// above 127 pass through the writer, the reader and the tokenizer unchanged:
// the files are bytes, and only the screen converts them.
TEST_F(AscWriterTest, TextOutsideWindows1252PassesUnchanged)
{
    const std::string odd = "\x81\x8D\x8F\x90\x9D";
    const std::vector<std::string> lines = {"Pen\xA0Parking", "caf\xE9;" + odd, odd + ";\xFF"};
    {
        TASCWriter writer;
        ASSERT_TRUE(writer.Open(file("odd.txt"), false));
        for (const std::string &line : lines)
            ASSERT_TRUE(writer.WriteLine(line));
    }
    TASCReader reader;
    ASSERT_TRUE(reader.Open(file("odd.txt")));
    std::vector<std::string> read;
    std::string line;
    while (!reader.Eof()) {
        reader.ReadLine(line);
        read.push_back(line);
    }
    EXPECT_EQ(read, lines);

    TParser parser;
    parser.SetSeparator(';');
    parser.SetText(lines[2]);
    ASSERT_TRUE(parser.Next());
    EXPECT_EQ(parser.Token(), odd);
    ASSERT_TRUE(parser.Next());
    EXPECT_EQ(parser.Token(), "\xFF");
    EXPECT_FALSE(parser.IsNumber());
}

} // namespace
