#include "editor/shell/support/asc_reader.h"

#include "file_helpers.h"
#include "support_fixture.h"

#include <QProgressBar>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

using AscReaderTest = SupportTest;

Lines ReadLines(TASCReader &reader)
{
    Lines lines;
    std::string line;
    for (int guard = 0; !reader.Eof() && guard < 1000000; ++guard) {
        reader.ReadLine(line);
        lines.push_back(line);
    }
    return lines;
}

Lines ReadTags(TASCReader &reader)
{
    Lines tokens;
    std::string token;
    for (int guard = 0; !reader.Eof() && guard < 1000000; ++guard) {
        reader.ReadTag(token);
        tokens.push_back(token);
    }
    return tokens;
}

TEST_F(AscReaderTest, LinesOfEverySeparator)
{
    struct Case {
        const char *name;
        std::string bytes;
        char separator;
        Lines lines;
    };
    const Case cases[] = {
        {"LF", "a\nb\n", '\n', {"a", "b"}},
        {"LF without the last", "a\nb", '\n', {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", '\n', {"a", "b"}},
        {"CR only", "a\rb\r", '\r', {"a", "b"}},
        {"CR only without the last", "a\rb", '\r', {"a", "b"}},
        {"empty line", "a\n\nb\n", '\n', {"a", "", "b"}},
        {"trimmed", "  a \t\n\tb\x1a\x1a", '\n', {"a", "b"}},
        {"Windows-1252 kept", "Pen\xA0Parking\ncaf\xE9\n", '\n', {"Pen\xA0Parking", "caf\xE9"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file("t.txt"), c.bytes);
        TASCReader reader;
        ASSERT_TRUE(reader.Open(file("t.txt")));
        EXPECT_EQ(reader.Separator(), c.separator);
        EXPECT_EQ(ReadLines(reader), c.lines);
        std::string line = "stale";
        reader.ReadLine(line); // the end reads as empty lines
        EXPECT_EQ(line, "");
        EXPECT_TRUE(reader.Eof());
    }
}

TEST_F(AscReaderTest, FilesWithoutALineBreakAreRefused)
{
    std::string binary;
    for (int i = 0; i < 5000; ++i) {
        const char c = char(i % 256);
        binary += c == '\n' || c == '\r' ? 'x' : c;
    }
    const std::string longFirstLine = std::string(5000, 'x') + "\nsecond\n";
    struct Case {
        const char *name;
        std::string bytes;
    };
    const Case cases[] = {{"empty", ""},
                          {"no break", "no line break"},
                          {"only break is the last byte", "one line\n"},
                          {"binary", binary},
                          {"no break in the first block", longFirstLine}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file("t.txt"), c.bytes);
        TASCReader reader;
        EXPECT_FALSE(reader.Open(file("t.txt")));
        std::string line = "stale";
        reader.ReadLine(line);
        EXPECT_EQ(line, "");
        EXPECT_TRUE(reader.Eof());
    }
    TASCReader reader;
    EXPECT_FALSE(reader.Open(file("missing.txt")));
    EXPECT_FALSE(reader.Open(root())); // a folder cannot be read
}

TEST_F(AscReaderTest, HeaderIsTheFirstBytes)
{
    std::string big;
    for (int i = 0; i < 400; ++i)
        big += char('a' + i % 26) + std::string(i % 40 == 0 ? "\n" : "");
    WriteFile(file("big.txt"), big);
    TASCReader reader;
    ASSERT_TRUE(reader.Open(file("big.txt")));
    EXPECT_EQ(reader.Header(), big.substr(0, 255));

    WriteFile(file("small.txt"), "x\ny");
    ASSERT_TRUE(reader.Open(file("small.txt")));
    EXPECT_EQ(reader.Header(), "x\ny\n");
}

// Lines of every length, a 10^4-character one and one far longer than the
// reader's blocks, so lines straddle every block end; nothing may be lost.
TEST_F(AscReaderTest, LongLinesAcrossBlocksAreReadWhole)
{
    for (const char *ending : {"\n", "\r\n"}) {
        SCOPED_TRACE(ending[0] == '\r' ? "CR LF" : "LF");
        Lines expected = {"first"};
        expected.push_back(std::string(10000, 'L'));
        uint32_t seed = 7;
        for (int i = 0; i < 400; ++i) {
            seed = seed * 1103515245u + 12345u;
            const size_t length = (seed >> 8) % 3000;
            std::string line(length, char('a' + i % 26));
            if (!line.empty())
                line.front() = line.back() = '#';
            expected.push_back(line);
        }
        expected.push_back(std::string(200000, 'H'));
        expected.push_back("last");
        std::string bytes;
        for (const std::string &line : expected)
            bytes += line + ending;
        WriteFile(file("long.txt"), bytes);

        QProgressBar bar;
        TASCReader reader;
        reader.SetProgressBar(&bar);
        ASSERT_TRUE(reader.Open(file("long.txt")));
        EXPECT_EQ(ReadLines(reader), expected);
        EXPECT_EQ(reader.Total(), int64_t(bytes.size()));
        EXPECT_EQ(bar.value(), 100);
    }
}

TEST_F(AscReaderTest, TagsAndWordsAcrossBlocks)
{
    Lines expected;
    std::string bytes;
    for (int i = 0; i < 6000; ++i) {
        const std::string tag = "<p n=\"" + std::to_string(i) + "\">";
        bytes += tag + "\n  ";
        expected.push_back(tag);
        const std::string word = "w" + std::to_string(i) + " ";
        bytes += word + "\t\n";
        expected.push_back(word);
        if (i == 3000) {
            // A tag of 10^4 characters broken over a line: the break is dropped.
            const std::string half(5000, 'x');
            bytes += "<long a=\"" + half + "\n" + half + "\">";
            expected.push_back("<long a=\"" + half + half + "\">");
            bytes += "word<b>"; // a word ended by a tag has no stop byte
            expected.push_back("word");
            expected.push_back("<b>");
        }
    }
    bytes += "</kml>  \n \r\n";
    expected.push_back("</kml>");
    expected.push_back(""); // what follows the last tag reads as one empty token
    WriteFile(file("tags.kml"), bytes);

    TASCReader reader;
    ASSERT_TRUE(reader.Open(file("tags.kml")));
    EXPECT_EQ(ReadTags(reader), expected);
    EXPECT_TRUE(reader.Eof());
}

TEST_F(AscReaderTest, TokensAtTheVeryEnd)
{
    struct Case {
        const char *bytes;
        Lines tokens;
    };
    const Case cases[] = {
        {"<a>\nword", {"<a>", "word"}},
        {"<a>\n<b x=1", {"<a>", "<b x=1"}},
        {"<a>\rtext more\r", {"<a>", "text ", "more"}},
        {"<a>\n>>> <b>\n", {"<a>", "<b>", ""}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes);
        WriteFile(file("t.xml"), c.bytes);
        TASCReader reader;
        ASSERT_TRUE(reader.Open(file("t.xml")));
        EXPECT_EQ(ReadTags(reader), c.tokens);
    }
}

} // namespace
