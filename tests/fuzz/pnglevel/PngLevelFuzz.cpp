// Feeds arbitrary bytes to the PNG level reader as a file; whatever decodes must also survive being
// written back as a level file and read again unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/PngFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// One private folder per process, removed at exit; the name outlives every exit handler.
const std::string& workFolder() {
    static const std::string* folder = [] {
        char pattern[] = "/tmp/tovik-pngfuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return new std::string(std::string(made) + "/");
    }();
    return *folder;
}

void removeWorkFolder() {
    for (const char* name : {"input.png", "again.png"}) std::remove((workFolder() + name).c_str());
    rmdir(workFolder().c_str());
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pnglevel fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        // Rejected inputs report a line each; keep the fuzzer's own output readable.
        fuzzsupport::discardErrorOutput();
        std::atexit(removeWorkFolder);
        return true;
    }();
    (void)ready;

    const std::string input = workFolder() + "input.png";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    std::string text = "\x01unset";
    PixelImage image = readPngImage(input, &text);
    bool hasText = readPngText(input);

    if (image.empty()) {
        check(!image.pixels || image.width == 0 || image.height == 0, "empty record with pixels");
        return 0;
    }
    check(image.rowBytes > 0 && image.width > 0 && image.height > 0, "decoded image without size");
    // A level chunk before the image data is always found by the full reader too.
    if (hasText) check(text != "\x01unset", "chunk seen by readPngText but not by readPngImage");
    // Touch every pixel byte, so the sanitizer sees any short block.
    unsigned sum = 0;
    for (size_t i = 0; i < image.rowBytes * image.height; ++i) sum += image.pixels[i];
    (void)sum;

    // Round trip of what the game itself can write: 8-bit images, text without zero bytes.
    bool writable = image.bitDepth == 8 && image.channels >= 1 && image.channels <= 4;
    std::string levelText = text == "\x01unset" ? std::string() : text;
    if (!writable || levelText.find('\0') != std::string::npos) return 0;
    const std::string again = workFolder() + "again.png";
    check(writePngImage(again, image, levelText), "decoded image could not be written back");
    std::string textAgain;
    PixelImage imageAgain = readPngImage(again, &textAgain);
    check(!imageAgain.empty(), "written image does not read back");
    check(imageAgain.width == image.width && imageAgain.height == image.height, "size changed");
    check(imageAgain.channels == image.channels && imageAgain.format == image.format, "layout changed");
    check(imageAgain.rowBytes == image.rowBytes, "row size changed");
    check(std::memcmp(imageAgain.pixels.get(), image.pixels.get(), image.rowBytes * image.height) == 0,
          "pixels changed");
    check(textAgain == levelText, "text changed");
    check(readPngText(again) == !levelText.empty(), "level chunk presence changed");
    return 0;
}
