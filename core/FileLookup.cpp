// The three-place file lookup and the folders it looks in.
#include "core/FileLookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

std::string toNativePath(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string getExecutableDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(length));
            size_t slash = path.rfind('/');
            return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        }
        // The link may have been cut short: try again with more room.
        buffer.resize(buffer.size() * 2);
    }
}

std::string getSettingsFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string base;
    // Relative values are to be ignored, as the XDG rules say.
    if (dataHome && dataHome[0] == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] == '\0') return std::string();
        base = home;
        if (base.back() != '/') base += '/';
        base += ".local/share";
    }
    if (base.back() != '/') base += '/';
    return base + "Kestrum/Tovik/";
}

namespace {

// Opens for reading and is not a folder (a folder opens on Linux, but nothing can be read from it).
bool opensAsFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool isFile = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return isFile;
}

}  // namespace

bool findFile(const std::string& name, std::string& outPath) {
    std::string native = toNativePath(name);
    if (opensAsFile(native)) {
        outPath = native;
        return true;
    }
    // An absolute path names one place only.
    if (!native.empty() && native[0] != '/') {
        for (const std::string& folder : {getExecutableDirectory(), getSettingsFolder()}) {
            if (folder.empty()) continue;
            std::string candidate = folder + native;
            if (opensAsFile(candidate)) {
                outPath = candidate;
                return true;
            }
        }
    }
    outPath = native;
    return false;
}

std::string readFileToString(std::istream& in) {
    // A folder opens like a file and throws on the first read: it reads as nothing, and the stream
    // is left failed for the caller to report.
    try {
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios::failbit);
        return std::string();
    }
}
