// Shared set-up of the fuzz targets that read whole game files: a quiet error stream, a private work
// folder per process, a hidden GL context for the readers that make textures and programs, and a
// sound system that runs without an output.
#pragma once

#include <cstdint>
#include <string>

namespace fuzzsupport {

// Silences std::cerr (the readers report every rejected input) and makes the work folder; once.
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
