// Token input over one whole data file, found by the file lookup; a PNG level file is read through the
// level text it carries. A file that cannot be opened is reported and reads as empty input.
#pragma once

#include <memory>
#include <string>

#include "core/TextInStream.h"

class FileReader : public TextInStream {
public:
    // Opens the file at once (see open); the file itself is closed before the constructor returns.
    explicit FileReader(const std::string& fileName);
    // A reader over text already in memory; name is used in messages only.
    FileReader(const std::string& name, std::string text);

    // Finds the file, reads all of it (or the "levelData" text of a PNG level file) into memory.
    // On failure reports "Could not open file \"<path>\": <reason>" and reads as empty input.
    void open(const std::string& fileName);

    // The path the lookup resolved.
    const std::string& getPath() const { return path; }
    // Whether the file was found and read.
    bool isOpen() const { return opened; }
    // The whole text being read.
    const std::string& getText() const { return text; }

    BaseInStream& readToken(std::string& token) override;

    // Files larger than this are refused (data files are small; this keeps odd paths harmless).
    static constexpr std::size_t maxFileSize = 512u << 20;

protected:
    int peekChar() override { return position < text.size() ? static_cast<unsigned char>(text[position]) : -1; }
    int takeChar() override {
        return position < text.size() ? static_cast<unsigned char>(text[position++]) : -1;
    }

private:
    std::string path;
    std::string text;
    std::size_t position = 0;
    bool opened = false;
};

// A new reader over the file (never null; an unopenable file gives a reader over empty input).
std::unique_ptr<FileReader> openFile(const std::string& fileName);
