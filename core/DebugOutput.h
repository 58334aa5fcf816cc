// Routing of the six standard streams to the process's standard error: text collects in a string buffer
// and each flush hands the whole batch to one write(2), so a multi-line report arrives whole. A batch
// that reaches `debugBatchLimit` bytes unflushed goes out at once, so a stream nobody flushes cannot
// hold ever more text.
#pragma once

#include <sstream>
#include <string>

constexpr std::streamsize debugBatchLimit = 64 * 1024;

// Narrow stream buffer: on sync, writes everything accumulated since the last flush, then starts empty.
class WindowsOutputBufferA : public std::basic_stringbuf<char> {
protected:
    int sync() override;
    int_type overflow(int_type c) override;
};

// Wide stream buffer: the same, with the text written as UTF-8 (the limit counts characters).
class WindowsOutputBuffer : public std::basic_stringbuf<wchar_t> {
protected:
    int sync() override;
    int_type overflow(int_type c) override;
};

// Installs one buffer each into cout, wcout, cerr, wcerr, clog and wclog (in that order) and clears
// their error state. Called once at start-up; text written earlier went through the default buffers.
void redirectStdStreams();

// The wide text as UTF-8; values that are not Unicode scalar values become U+FFFD.
std::string wideToUtf8(const std::wstring& text);
