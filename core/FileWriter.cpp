// Writing data files whole: the text collects in memory, then goes to a temporary file beside the
// target that is renamed over it. PNG targets become PNG level files.
#include "core/FileWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

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

bool isDigits(const std::string& text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// "<name>.tmpXXXXXX" as mkstemp fills it in (letters and digits), or ".<name>.tmp<pid>-<n>".
bool isTemporaryOf(const std::string& entry, const std::string& name) {
    const std::string own = name + ".tmp";
    if (entry.size() == own.size() + 6 && entry.compare(0, own.size(), own) == 0) {
        for (std::size_t i = own.size(); i < entry.size(); ++i)
            if (!std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
        return true;
    }
    const std::string older = "." + own;
    if (entry.size() <= older.size() || entry.compare(0, older.size(), older) != 0) return false;
    const std::size_t dash = entry.find('-', older.size());
    return dash != std::string::npos && isDigits(entry, older.size(), dash) && isDigits(entry, dash + 1, entry.size());
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

void removeStaleTemporaries(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return;
    DIR* listing = ::opendir(folder.c_str());
    // No folder to look in: the save itself will report why.
    if (!listing) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(listing))
        if (isTemporaryOf(entry->d_name, name)) stale.emplace_back(entry->d_name);
    const int folderFd = ::dirfd(listing);
    for (const std::string& entry : stale) {
        const int fd = ::openat(folderFd, entry.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        // A save still writing (in another copy of the game) holds its temporary locked.
        const bool inUse = regular && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (regular && !inUse) ::unlinkat(folderFd, entry.c_str(), 0);
        ::close(fd);
    }
    ::closedir(listing);
}

int createTemporaryBeside(const std::string& path, std::string& temporary) {
    removeStaleTemporaries(path);
    struct stat info {};
    const mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : newFileMode();
    for (int attempt = 0; attempt < 10; ++attempt) {
        temporary = path + ".tmpXXXXXX";
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) return -1;
        // The cleanup of another save of path may take the file between its creation and the lock: it
        // then holds the lock or has unlinked the name, and another name is made. A folder without
        // locks goes on unlocked.
        struct stat created {};
        const bool taken = (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) ||
                           (::fstat(fd, &created) == 0 && created.st_nlink == 0);
        if (taken) {
            ::close(fd);
            continue;
        }
        if (::fchmod(fd, mode) == 0) return fd;
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        errno = error;
        return -1;
    }
    errno = EEXIST;
    return -1;
}

bool writeFileAtomically(const std::string& requestedPath, const std::string& data) {
    // Write through a link to the file it names, so the link itself stays.
    std::string path = requestedPath;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) path = resolved;
    }

    std::string temporary;
    const int fd = createTemporaryBeside(path, temporary);
    if (fd < 0) {
        reportWriteFailure(requestedPath, errno);
        return false;
    }
    int error = 0;
    if (!writeAll(fd, data.data(), data.size()))
        error = errno;
    else if (::fsync(fd) != 0)
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

bool copyFileAtomically(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    const std::string contents = readFileToString(in);
    return !in.bad() && writeFileAtomically(to, contents);
}

bool backUpFileReadWithErrors(const std::string& path, const std::string& readFrom, bool& backedUp) {
    backedUp = false;
    struct stat target {};
    struct stat source {};
    const std::string nativePath = toNativePath(path);
    if (::stat(nativePath.c_str(), &target) != 0 || ::stat(toNativePath(readFrom).c_str(), &source) != 0 ||
        target.st_dev != source.st_dev || target.st_ino != source.st_ino)
        return true;
    if (!copyFileAtomically(nativePath, nativePath + ".bak")) {
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
