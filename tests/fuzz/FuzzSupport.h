// Shared set-up of the fuzz targets that read whole game files: a quiet error stream, a private work
// folder per process, a hidden GL context for the readers that make textures and programs, and a
// sound system that runs without an output.
#pragma once

#include <cstdint>
#include <iostream>
#include <streambuf>
#include <string>

namespace fuzzsupport {

// Drops every character: the readers report each rejected input, and a fuzz run of millions of inputs
// must not keep those reports.
template <class Char>
struct Discard : std::basic_streambuf<Char> {
    typename std::basic_streambuf<Char>::int_type overflow(typename std::basic_streambuf<Char>::int_type c) override {
        return std::basic_streambuf<Char>::traits_type::not_eof(c);
    }
};

// Points the error and log streams, narrow and wide, at buffers that drop what they get; once. Header
// only, so that targets without a GL context or sound need not link the rest of this set-up.
inline void discardErrorOutput() {
    static const bool done = [] {
        // Never destroyed: the standard streams are flushed after every static object is gone.
        auto* narrow = new Discard<char>;
        auto* wide = new Discard<wchar_t>;
        std::cerr.rdbuf(narrow);
        std::clog.rdbuf(narrow);
        std::wcerr.rdbuf(wide);
        std::wclog.rdbuf(wide);
        return true;
    }();
    (void)done;
}

// Discards the error output (see above) and makes the work folder; once.
void quietStart();
// The process's own folder, ending in '/', removed at exit.
const std::string& workFolder();
// Writes the bytes to a file of the work folder and returns its path.
std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size);
// The whole text of a file; empty when it cannot be read.
std::string fileText(const std::string& path);
// A hidden window with a current GL context and GLEW loaded; aborts when none can be made.
void ensureGl();
// The game's sound system started on no output device; once.
void ensureSound();
// Stops the run with a line on the real error stream.
[[noreturn]] void fail(const std::string& what);

}  // namespace fuzzsupport
