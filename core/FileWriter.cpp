// Writing data files whole: the text collects in memory, then goes to a temporary file beside the
// target that is renamed over it. PNG targets become PNG level files.
#include "core/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "core/FileLookup.h"
#include "core/PngFile.h"

namespace {
void reportWriteFailure(const std::string& path, int error) {
    std::cerr << "Could not open file \"" << path << "\": " << std::strerror(error) << std::endl;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
}  // namespace

bool writeFileAtomically(const std::string& requestedPath, const std::string& data) {
    // Write through a link to the file it names, so the link itself stays.
    std::string path = requestedPath;
    struct stat info {};
    mode_t mode = newFileMode();
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) path = resolved;
    }
    if (::stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;

    std::string temporary = path + ".tmpXXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        reportWriteFailure(requestedPath, errno);
        return false;
    }
    int error = 0;
    if (!writeAll(fd, data.data(), data.size()))
        error = errno;
    else if (::fsync(fd) != 0)
        error = errno;
    else if (::fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        reportWriteFailure(requestedPath, error);
        return false;
    }
    return true;
}

FileWriter::FileWriter(const std::string& target) {
    directSink = &text;
    pngMode = target.size() >= 4 && target.compare(target.size() - 4, 4, ".png") == 0;
    findFile(target, path);
}

FileWriter::~FileWriter() { close(); }

bool FileWriter::close() {
    if (closed) return succeeded;
    closed = true;
    succeeded = pngMode ? writePngFile() : writeTextFile();
    return succeeded;
}

bool FileWriter::writeTextFile() { return writeFileAtomically(path, text); }

bool FileWriter::writePngFile() { return writePngWithText(path, text); }

bool backUpFileReadWithErrors(const std::string& path, const std::string& readFrom, bool& backedUp) {
    backedUp = false;
    struct stat target {};
    struct stat source {};
    const std::string nativePath = toNativePath(path);
    if (::stat(nativePath.c_str(), &target) != 0 || ::stat(toNativePath(readFrom).c_str(), &source) != 0 ||
        target.st_dev != source.st_dev || target.st_ino != source.st_ino)
        return true;
    std::string contents;
    {
        std::ifstream in(nativePath, std::ios::binary);
        if (!in) {
            std::cerr << "\"" << nativePath << "\" was read with errors and could not be kept as \"" << nativePath
                      << ".bak\"; it is not overwritten" << std::endl;
            return false;
        }
        contents = readFileToString(in);
    }
    if (!writeFileAtomically(nativePath + ".bak", contents)) {
        std::cerr << "\"" << nativePath << "\" was read with errors and could not be kept as \"" << nativePath
                  << ".bak\"; it is not overwritten" << std::endl;
        return false;
    }
    std::cerr << "\"" << nativePath << "\" was read with errors: the file as it was is kept as \"" << nativePath
              << ".bak\"" << std::endl;
    backedUp = true;
    return true;
}

bool closeKeepingFileReadWithErrors(FileWriter& writer, std::string& readWithErrors) {
    bool backedUp = false;
    if (!readWithErrors.empty() && !backUpFileReadWithErrors(writer.getPath(), readWithErrors, backedUp)) {
        writer.discard();
        return false;
    }
    if (backedUp) readWithErrors.clear();
    return writer.close();
}
