// Checks that the standard streams' buffers send each flushed batch to standard error in exactly one
// write, and nothing before the flush.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "core/DebugOutput.h"

namespace {

// Points standard error at a datagram socket, so that every write(2) arrives as one separate message.
class WriteCapture {
public:
    WriteCapture() {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_DGRAM, 0, pair) != 0) return;
        reader = pair[0];
        writerEnd = pair[1];
        savedError = dup(STDERR_FILENO);
        dup2(writerEnd, STDERR_FILENO);
    }
    ~WriteCapture() {
        restore();
        if (reader >= 0) close(reader);
    }
    bool ok() const { return reader >= 0 && savedError >= 0; }

    // The writes made so far, one string per write(2).
    std::vector<std::string> writes() {
        std::vector<std::string> result;
        std::vector<char> buffer(1 << 20);
        for (;;) {
            ssize_t n = recv(reader, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n < 0) break;
            result.emplace_back(buffer.data(), static_cast<size_t>(n));
        }
        return result;
    }

    void restore() {
        if (savedError >= 0) {
            dup2(savedError, STDERR_FILENO);
            close(savedError);
            savedError = -1;
        }
        if (writerEnd >= 0) {
            close(writerEnd);
            writerEnd = -1;
        }
    }

private:
    int reader = -1;
    int writerEnd = -1;
    int savedError = -1;
};

// Puts the original buffers of the six streams back after a test that redirected them.
class StreamRestore {
public:
    StreamRestore()
        : out(std::cout.rdbuf()), wideOut(std::wcout.rdbuf()), error(std::cerr.rdbuf()),
          wideError(std::wcerr.rdbuf()), log(std::clog.rdbuf()), wideLog(std::wclog.rdbuf()) {}
    ~StreamRestore() {
        std::cout.rdbuf(out);
        std::wcout.rdbuf(wideOut);
        std::cerr.rdbuf(error);
        std::wcerr.rdbuf(wideError);
        std::clog.rdbuf(log);
        std::wclog.rdbuf(wideLog);
    }

private:
    std::streambuf* out;
    std::wstreambuf* wideOut;
    std::streambuf* error;
    std::wstreambuf* wideError;
    std::streambuf* log;
    std::wstreambuf* wideLog;
};

}  // namespace

TEST(DebugOutputTest, NarrowBufferHoldsTextUntilFlushThenWritesItOnce) {
    WriteCapture capture;
    ASSERT_TRUE(capture.ok());
    WindowsOutputBufferA buffer;
    std::ostream stream(&buffer);

    stream << "abc";
    EXPECT_TRUE(capture.writes().empty());
    stream.flush();
    EXPECT_EQ(capture.writes(), std::vector<std::string>{"abc"});
    // Nothing new: nothing written.
    stream.flush();
    EXPECT_TRUE(capture.writes().empty());

    stream << "first line\n" << 42 << " second line\n" << "third" << std::endl;
    EXPECT_EQ(capture.writes(), std::vector<std::string>{"first line\n42 second line\nthird\n"});

    // The buffer starts again from empty after every flush.
    stream << "x" << std::flush;
    stream << "y" << std::flush;
    EXPECT_EQ(capture.writes(), (std::vector<std::string>{"x", "y"}));
}

TEST(DebugOutputTest, LargeBatchStaysOneWriteUpToTheLimit) {
    WriteCapture capture;
    ASSERT_TRUE(capture.ok());
    WindowsOutputBufferA buffer;
    std::ostream stream(&buffer);
    std::string line(99, 'z');
    for (int i = 0; i < 500; ++i) stream << line << '\n';
    stream.flush();
    auto writes = capture.writes();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].size(), 50000u);

    // A stream nobody flushes does not hold more than the limit: the text leaves in order, in parts.
    for (int i = 0; i < 1500; ++i) stream << line << '\n';
    writes = capture.writes();
    ASSERT_FALSE(writes.empty());
    stream.flush();
    for (auto& part : capture.writes()) writes.push_back(part);
    std::string whole;
    for (auto& part : writes) {
        EXPECT_LE(part.size(), static_cast<std::size_t>(debugBatchLimit));
        whole += part;
    }
    std::string expected;
    for (int i = 0; i < 1500; ++i) expected += line + '\n';
    EXPECT_EQ(whole, expected);
}

TEST(DebugOutputTest, WideBufferWritesUtf8) {
    WriteCapture capture;
    ASSERT_TRUE(capture.ok());
    WindowsOutputBuffer buffer;
    std::wostream stream(&buffer);
    stream << L"caf\u00e9 \u20ac " << 7 << L" \U0001F600\n";
    EXPECT_TRUE(capture.writes().empty());
    stream.flush();
    EXPECT_EQ(capture.writes(), std::vector<std::string>{"caf\xC3\xA9 \xE2\x82\xAC 7 \xF0\x9F\x98\x80\n"});

    EXPECT_EQ(wideToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(wideToUtf8(std::wstring(1, wchar_t(0x110000))), "\xEF\xBF\xBD");
    EXPECT_EQ(wideToUtf8(L""), "");
}

TEST(DebugOutputTest, RedirectedStreamsBatchPerFlush) {
    StreamRestore restore;
    WriteCapture capture;
    ASSERT_TRUE(capture.ok());
    std::clog.setstate(std::ios::badbit);
    redirectStdStreams();
    EXPECT_TRUE(std::clog.good()) << "redirecting clears the error state";
    capture.writes();  // whatever the old buffers still held

    // clog is not unit-buffered: nothing leaves before the flush.
    std::clog << "abc";
    EXPECT_TRUE(capture.writes().empty());
    std::clog << "\ndef" << std::endl;
    EXPECT_EQ(capture.writes(), std::vector<std::string>{"abc\ndef\n"});

    // Standard output goes to the same place as diagnostics, batched the same way.
    std::cout << "one\ntwo\n" << std::flush;
    std::wcerr << L"wide \u00fc" << std::flush;
    std::wclog << L"log" << std::endl;
    EXPECT_EQ(capture.writes(), (std::vector<std::string>{"one\ntwo\n", "wide \xC3\xBC", "log\n"}));

    // A report line built from several insertions goes out as one write when the stream is not unit-buffered.
    std::cerr.unsetf(std::ios::unitbuf);
    std::cerr << "Could not open file \"" << "missing.txt" << "\": " << "No such file or directory" << std::endl;
    std::cerr.setf(std::ios::unitbuf);
    EXPECT_EQ(capture.writes(),
              std::vector<std::string>{"Could not open file \"missing.txt\": No such file or directory\n"});

    // Redirecting again keeps the same buffers working.
    redirectStdStreams();
    std::clog << "again" << std::endl;
    EXPECT_EQ(capture.writes(), std::vector<std::string>{"again\n"});
}
