// User name lookup: the password database first (no terminal needed), then the environment.
#include "platform/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

std::string getUserName() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        int error = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error != ERANGE || buffer.size() >= (1u << 20)) break;
        buffer.resize(buffer.size() * 2);
    }
    if (found && found->pw_name && *found->pw_name) return found->pw_name;
    const char* user = std::getenv("USER");
    if (user && *user) return user;
    return "Username";
}
