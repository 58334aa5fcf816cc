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
// The text in memory as a source of the token loop: a run is appended in one piece.
struct MemorySource {
    const char* data;
    std::size_t size;
    std::size_t& position;
    int peek() const { return position < size ? static_cast<unsigned char>(data[position]) : -1; }
    int advance() { return ++position < size ? static_cast<unsigned char>(data[position]) : -1; }
    void appendRun(std::string& token) {
        std::size_t end = position;
        while (end < size && !isBlankChar(static_cast<unsigned char>(data[end]))) ++end;
        token.append(data + position, end - position);
        position = end;
    }
};

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
    MemorySource source{text.data(), text.size(), position};
    return readTokenFrom(source, token);
}

std::unique_ptr<FileReader> openFile(const std::string& fileName) { return std::make_unique<FileReader>(fileName); }
