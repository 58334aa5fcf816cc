// The platform in use, the null one by default.
#include "engine/Platform.h"

#include "engine/NullPlatform.h"

namespace {

Platform*& installedPlatform() {
    static Platform* installed = nullptr;
    return installed;
}

}  // namespace

Platform::~Platform() = default;

Platform& platform() {
    if (Platform* installed = installedPlatform()) return *installed;
    static NullPlatform* fallback = new NullPlatform;  // kept for static destructors that still ask
    return *fallback;
}

void setPlatform(Platform* platform) { installedPlatform() = platform; }

void pumpWindowMessages() { platform().pumpWindowMessages(); }
