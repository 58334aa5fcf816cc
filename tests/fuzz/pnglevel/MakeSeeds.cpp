// Writes the small PNG level files that start the pnglevel fuzz corpus: make_pnglevel_seeds <folder>.
#include <cstdio>
#include <memory>
#include <string>

#include "core/PngFile.h"

namespace {

PixelImage gradient(std::uint32_t width, std::uint32_t height, int channels) {
    PixelImage image;
    image.width = width;
    image.height = height;
    image.channels = channels;
    image.bitDepth = 8;
    image.rowBytes = static_cast<std::size_t>(width) * channels;
    image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[image.rowBytes * height]);
    for (std::size_t i = 0; i < image.rowBytes * height; ++i) image.pixels[i] = static_cast<unsigned char>(i * 29);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    const std::string level =
        "GameState\n0\n\tresourceFileName \"Content\\\\Levels\\\\seed.res\"\n\tend\n"
        "\tcomponents\n\tend\n\tarchetypes\n\tend\n\tentities\n\tend\nend\n";
    bool ok = writePngImage(folder + "level-rgb.png", gradient(4, 3, 3), level);
    ok = writePngImage(folder + "no-text.png", gradient(2, 2, 3), "") && ok;
    ok = writePngImage(folder + "rgba-short-text.png", gradient(3, 2, 4), "x") && ok;
    ok = writePngImage(folder + "grey.png", gradient(5, 1, 1), "// only a comment\n") && ok;
    return ok ? 0 : 1;
}
