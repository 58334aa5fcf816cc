// Under AddressSanitizer, keeps every loaded shared library mapped until the process ends, so that the
// leak check at exit can name the library a leak comes from (the GL driver is unloaded at shutdown).
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>

inline void keepLibrariesLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
#else
inline void keepLibrariesLoaded() {}
#endif
