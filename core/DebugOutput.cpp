// The debugger-output stream buffers, writing each flushed batch to standard error in one call.
#include "core/DebugOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <iostream>

namespace {

// Partial writes and interruptions are finished here, so one batch still leaves whole when it can.
void writeBatch(const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // Nowhere left to report to.
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string wideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) appendUtf8(out, static_cast<std::uint32_t>(c));
    return out;
}

int WindowsOutputBufferA::sync() {
    std::string text = str();
    str(std::string());
    if (!text.empty()) writeBatch(text);
    return 0;
}

int WindowsOutputBuffer::sync() {
    std::wstring text = str();
    str(std::wstring());
    if (!text.empty()) writeBatch(wideToUtf8(text));
    return 0;
}

// Called when the put area is full: only then can the batch have grown, so only here is it capped.
WindowsOutputBufferA::int_type WindowsOutputBufferA::overflow(int_type c) {
    if (pptr() - pbase() >= debugBatchLimit) sync();
    return std::basic_stringbuf<char>::overflow(c);
}

WindowsOutputBuffer::int_type WindowsOutputBuffer::overflow(int_type c) {
    if (pptr() - pbase() >= debugBatchLimit) sync();
    return std::basic_stringbuf<wchar_t>::overflow(c);
}

void redirectStdStreams() {
    // Never destroyed, so that text written by late exit-time code still has somewhere to go; the
    // streams are flushed at exit as usual.
    static WindowsOutputBufferA* outBuffer = new WindowsOutputBufferA;
    static WindowsOutputBuffer* wideOutBuffer = new WindowsOutputBuffer;
    static WindowsOutputBufferA* errorBuffer = new WindowsOutputBufferA;
    static WindowsOutputBuffer* wideErrorBuffer = new WindowsOutputBuffer;
    static WindowsOutputBufferA* logBuffer = new WindowsOutputBufferA;
    static WindowsOutputBuffer* wideLogBuffer = new WindowsOutputBuffer;

    // Whatever the default buffers still hold goes out first, in order.
    std::cout.flush();
    std::wcout.flush();
    std::cerr.flush();
    std::wcerr.flush();
    std::clog.flush();
    std::wclog.flush();

    std::cout.rdbuf(outBuffer);
    std::cout.clear();
    std::wcout.rdbuf(wideOutBuffer);
    std::wcout.clear();
    std::cerr.rdbuf(errorBuffer);
    std::cerr.clear();
    std::wcerr.rdbuf(wideErrorBuffer);
    std::wcerr.clear();
    std::clog.rdbuf(logBuffer);
    std::clog.clear();
    std::wclog.rdbuf(wideLogBuffer);
    std::wclog.clear();
}
