#include "editor/shell/support/bin_reader.h"
#include "editor/shell/support/bin_writer.h"

#include "file_helpers.h"
#include "support_fixture.h"

#include <QProgressBar>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

using BinFilesTest = SupportTest;

TEST_F(BinFilesTest, ValuesRoundTripLittleEndian)
{
    {
        TBinWriter writer;
        ASSERT_TRUE(writer.Open(file("v.bin"), false));
        EXPECT_TRUE(writer.WriteInteger(-2));
        EXPECT_TRUE(writer.WriteLongWord(0x0A270000u)); // 9994 turned big-endian by the caller
        EXPECT_TRUE(writer.WriteDouble(0.5));
        EXPECT_TRUE(writer.WriteDouble(-123456.75));
        EXPECT_TRUE(writer.WriteDouble(3.25));
        EXPECT_TRUE(writer.WriteZeros(3));
        const unsigned char tail[] = {0xAB, 0xCD};
        EXPECT_TRUE(writer.WriteBytes(tail, sizeof tail));
    }
    const std::string bytes = ReadFile(file("v.bin"));
    ASSERT_EQ(bytes.size(), 4u + 4 + 24 + 3 + 2);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xFE\xFF\xFF\xFF\x00\x00\x27\x0A", 8));
    EXPECT_EQ(bytes.substr(8, 8), std::string("\x00\x00\x00\x00\x00\x00\xE0\x3F", 8));

    TBinReader reader;
    ASSERT_TRUE(reader.Open(file("v.bin")));
    int32_t i = 0;
    double x = 0, y = 0;
    EXPECT_TRUE(reader.ReadInteger(i));
    EXPECT_EQ(i, -2);
    EXPECT_TRUE(reader.ReadInteger(i));
    EXPECT_EQ(i, 0x0A270000);
    EXPECT_TRUE(reader.ReadDouble(x));
    EXPECT_EQ(x, 0.5);
    EXPECT_TRUE(reader.ReadPoint(x, y));
    EXPECT_EQ(x, -123456.75);
    EXPECT_EQ(y, 3.25);
    EXPECT_TRUE(reader.Skip(3));
    EXPECT_EQ(static_cast<unsigned char>(reader.DataPtr()[0]), 0xAB);
    EXPECT_FALSE(reader.Eof());
    // Two bytes left: a value cut off by the end is not read.
    i = 77;
    EXPECT_FALSE(reader.ReadInteger(i));
    EXPECT_EQ(i, 77);
    EXPECT_FALSE(reader.ReadDouble(x));
    EXPECT_TRUE(reader.Skip(2));
    EXPECT_TRUE(reader.Eof());
    EXPECT_FALSE(reader.Skip(1));
}

TEST_F(BinFilesTest, BadFilesAreRefusedOrEndAtOnce)
{
    TBinReader reader;
    EXPECT_FALSE(reader.Open(file("missing.bin")));
    EXPECT_FALSE(reader.Open(root()));
    int32_t i = 5;
    EXPECT_FALSE(reader.ReadInteger(i));
    EXPECT_FALSE(reader.Skip(4));

    WriteFile(file("empty.bin"), "");
    ASSERT_TRUE(reader.Open(file("empty.bin")));
    EXPECT_TRUE(reader.Eof());
    EXPECT_FALSE(reader.ReadInteger(i));
    EXPECT_EQ(i, 5);
}

TEST_F(BinFilesTest, ValuesAcrossTheBufferAndSkips)
{
    const int count = 400000; // 3.2 MB of doubles: three refills
    {
        TBinWriter writer;
        ASSERT_TRUE(writer.Open(file("d.bin"), false));
        for (int k = 0; k < count; ++k)
            ASSERT_TRUE(writer.WriteDouble(k * 1.1 + 0.3));
        EXPECT_TRUE(writer.Flush());
        EXPECT_EQ(writer.Total(), int64_t(count) * 8);
    }
    QProgressBar bar;
    TBinReader reader;
    reader.SetProgressBar(&bar);
    ASSERT_TRUE(reader.Open(file("d.bin")));
    EXPECT_EQ(bar.value(), 33); // the first 1 MiB of 3.2 MB
    // An odd step puts values across every refill point.
    ASSERT_TRUE(reader.Skip(3));
    for (int k = 0; k < count - 1; ++k) {
        char raw[8];
        const double expected = k * 1.1 + 0.3;
        std::memcpy(raw, &expected, 8);
        int32_t part = 0;
        ASSERT_TRUE(reader.ReadInteger(part)) << k;
        ASSERT_EQ(std::memcmp(&part, raw + 3, 4), 0) << k;
        ASSERT_TRUE(reader.Skip(4)) << k;
    }
    EXPECT_FALSE(reader.Eof());
    EXPECT_TRUE(reader.Skip(5));
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(bar.value(), 100);

    // Long skips move through the file in both directions of the buffer.
    ASSERT_TRUE(reader.Open(file("d.bin")));
    ASSERT_TRUE(reader.Skip(int64_t(300000) * 8));
    double v = 0;
    ASSERT_TRUE(reader.ReadDouble(v));
    EXPECT_EQ(v, 300000 * 1.1 + 0.3);
    ASSERT_TRUE(reader.Skip(8));
    ASSERT_TRUE(reader.ReadDouble(v));
    EXPECT_EQ(v, 300002 * 1.1 + 0.3);
    EXPECT_FALSE(reader.Skip(int64_t(count) * 8)); // past the end
    EXPECT_TRUE(reader.Eof());

    // Skipping past the end from the first block leaves the reader at the
    // end too, not somewhere inside the file.
    ASSERT_TRUE(reader.Open(file("d.bin")));
    EXPECT_FALSE(reader.Skip(int64_t(count) * 8 + 1));
    EXPECT_TRUE(reader.Eof());
    EXPECT_FALSE(reader.ReadDouble(v));
    EXPECT_EQ(bar.value(), 100);
}

// A sparse file of more than 4 GiB costs no disk space; the reader skips to
// its far end (reading 4 GiB would take minutes under the sanitizers) and
// reads what lies beyond 4 GiB, with sizes and progress that do not wrap.
TEST_F(BinFilesTest, FilesOverFourGibibytes)
{
    const int64_t size = (int64_t(1) << 32) + (int64_t(1) << 20) + 64;
    const int64_t far = (int64_t(1) << 32) + 12345;
    {
        const int fd = ::open(file("huge.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(size)), 0);
        const double values[2] = {1.25, -7.5};
        ASSERT_EQ(::pwrite(fd, values, sizeof values, off_t(far)), ssize_t(sizeof values));
        const int32_t first = 42;
        ASSERT_EQ(::pwrite(fd, &first, sizeof first, 0), ssize_t(sizeof first));
        ::close(fd);
    }
    QProgressBar bar;
    TBinReader reader;
    reader.SetProgressBar(&bar);
    ASSERT_TRUE(reader.Open(file("huge.bin")));
    EXPECT_EQ(reader.FileSize(), size);
    EXPECT_EQ(bar.value(), 0);
    int32_t first = 0;
    ASSERT_TRUE(reader.ReadInteger(first));
    EXPECT_EQ(first, 42);
    ASSERT_TRUE(reader.Skip(far - 4));
    double x = 0, y = 0;
    ASSERT_TRUE(reader.ReadPoint(x, y));
    EXPECT_EQ(x, 1.25);
    EXPECT_EQ(y, -7.5);
    const int64_t rest = size - far - 16;
    ASSERT_TRUE(reader.Skip(rest - 8));
    ASSERT_TRUE(reader.ReadDouble(x));
    EXPECT_EQ(x, 0.0);
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(reader.Total(), size);
    EXPECT_EQ(bar.value(), 100);
}

TEST_F(BinFilesTest, WriterFlushesWhenMoreThan768BytesAreHeld)
{
    TBinWriter writer;
    ASSERT_TRUE(writer.Open(file("w.bin"), false));
    int firstFlushAt = -1;
    for (int k = 1; k <= 250; ++k) { // 1,000 bytes in 4-byte steps
        ASSERT_TRUE(writer.WriteInteger(k));
        if (firstFlushAt < 0 && SizeOf(file("w.bin")) > 0)
            firstFlushAt = k * 4;
    }
    EXPECT_EQ(firstFlushAt, 772);
    EXPECT_EQ(SizeOf(file("w.bin")), 772);
    EXPECT_EQ(writer.Buffered(), 228u);
}

TEST_F(BinFilesTest, WriterOpenRespectsOverwrite)
{
    WriteFile(file("old.bin"), "old contents");
    TBinWriter writer;
    EXPECT_FALSE(writer.Open(file("old.bin"), false));
    EXPECT_EQ(ReadFile(file("old.bin")), "old contents");
    EXPECT_FALSE(writer.Open(root(), true)); // a folder is never replaced
    {
        TBinWriter over;
        ASSERT_TRUE(over.Open(file("old.bin"), true));
        over.WriteBytes("new", 3);
    }
    EXPECT_EQ(ReadFile(file("old.bin")), "new");
}

TEST_F(BinFilesTest, FailedWritesKeepTheBufferAndStopAppending)
{
    QProgressBar bar;
    std::string expected;
    {
        TBinWriter writer;
        writer.SetProgressBar(&bar);
        writer.SetExpectedSize(4000);
        ASSERT_TRUE(writer.Open(file("full.bin"), false));
        auto write = [&](char c) { return writer.WriteBytes(std::string(200, c).data(), 200); };
        {
            FileSizeLimit limit(1000); // as a disk that fills up after 1,000 bytes
            for (char c : std::string("ABCDEFG")) {
                EXPECT_TRUE(write(c)) << c;
            }
            EXPECT_EQ(bar.value(), 20); // 800 of 4,000 bytes
            EXPECT_FALSE(write('H'));   // the file takes E only
            EXPECT_EQ(writer.Buffered(), 600u);
            EXPECT_FALSE(write('I')); // added, but not written
            EXPECT_EQ(writer.Buffered(), 800u);
            EXPECT_FALSE(write('J')); // refused: the buffer must not overflow
            EXPECT_EQ(writer.Buffered(), 800u);
            EXPECT_EQ(SizeOf(file("full.bin")), 1000);
        }
        EXPECT_TRUE(write('K'));
        EXPECT_EQ(writer.Total(), 1800);
    }
    for (char c : std::string("ABCDEFGHIK"))
        expected += std::string(200, c);
    EXPECT_EQ(ReadFile(file("full.bin")), expected);
}

} // namespace
