// Opening a data file for the token readers: lookup, whole-file read into memory, PNG level text.
#include "core/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "core/FileLookup.h"
#include "core/PngFile.h"

namespace {
// White space as the tokenizer sees it: blank, tab, line end, vertical tab, form feed, carriage return.
struct SpaceTable {
    bool space[256] = {};
    constexpr SpaceTable() {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) space[c] = true;
    }
};
constexpr SpaceTable spaceTable;
inline bool isSpaceChar(unsigned char c) { return spaceTable.space[c]; }

void reportOpenFailure(const std::string& path, const std::string& reason) {
    std::cerr << "Could not open file \"" << path << "\": " << reason << std::endl;
}

// Reads a whole regular file. Devices, pipes and folders are refused, so that no name can make the
// reader wait or read without end.
bool readWholeFile(const std::string& path, std::string& out, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(fd);
        return false;
    }
    if (static_cast<unsigned long long>(info.st_size) > FileReader::maxFileSize) {
        reason = std::strerror(EFBIG);
        ::close(fd);
        return false;
    }
    out.clear();
    out.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (got == 0) break;
        if (out.size() + static_cast<std::size_t>(got) > FileReader::maxFileSize) {
            reason = std::strerror(EFBIG);
            ::close(fd);
            return false;
        }
        out.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}
}  // namespace

FileReader::FileReader(const std::string& fileName) { open(fileName); }

FileReader::FileReader(const std::string& label, std::string contents) : text(std::move(contents)), opened(true) {
    name = label;
    path = label;
}

void FileReader::open(const std::string& fileName) {
    text.clear();
    position = 0;
    line = 1;
    opened = false;
    failed = false;
    findFile(fileName, path);
    name = path;
    std::string reason;
    std::string contents;
    if (!readWholeFile(path, contents, reason)) {
        reportOpenFailure(path, reason);
        // Reads as empty input; the failure is reported already.
        setFailed();
        return;
    }
    opened = true;
    if (startsWithPngSignature(contents.data(), contents.size())) {
        // A PNG level file: the level text is its "levelData" chunk (empty when it has none).
        std::string levelText;
        readPngImage(path, &levelText);
        text = std::move(levelText);
    } else {
        text = std::move(contents);
    }
}

BaseInStream& FileReader::readToken(std::string& token) {
    if (popPushedBack(token)) return *this;
    if (failed) {
        token.clear();
        return *this;
    }
    // One pass over the white space and the token, straight over the text in memory.
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t i = position;
    while (i < size && isSpaceChar(static_cast<unsigned char>(data[i]))) {
        line += data[i] == '\n';
        ++i;
    }
    const std::size_t start = i;
    while (i < size && !isSpaceChar(static_cast<unsigned char>(data[i]))) ++i;
    position = i;
    token.clear();
    token.append(data + start, i - start);
    return *this;
}

void FileReader::skipSpace() {
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t i = position;
    while (i < size && isSpaceChar(static_cast<unsigned char>(data[i]))) {
        if (data[i] == '\n') ++line;
        ++i;
    }
    position = i;
}

void FileReader::takeRun(std::string& token) {
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t end = position;
    while (end < size && !isSpaceChar(static_cast<unsigned char>(data[end]))) ++end;
    token.append(data + position, end - position);
    position = end;
}

std::unique_ptr<FileReader> openFile(const std::string& fileName) { return std::make_unique<FileReader>(fileName); }
