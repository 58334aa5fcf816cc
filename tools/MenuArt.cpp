// Draws the menus' pictures at build time: backdrops, the how-to-play and credits pages, and the
// option indicators. Lettering is laid out with the game's own font code in DejaVu Sans Bold, which
// is installed with the system and never committed.
//
//   menu_art pictures <folder>          writes every picture into the folder
//   menu_art measure <pixels> <text>... prints "width height" of each text as the game renders it
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/PngFile.h"
#include "graphics/FreetypeFont.h"

namespace {

const char* const fontFile = "Fonts/DejaVuSans-Bold.ttf";

struct Color {
    float r, g, b, a;
};

// An RGBA canvas, rows from the bottom, drawn on with "over" blending.
class Canvas {
public:
    Canvas(int width, int height) : width(width), height(height), pixels(static_cast<std::size_t>(width * height) * 4, 0.0f) {}

    void blend(int x, int y, Color c) {
        if (x < 0 || y < 0 || x >= width || y >= height || c.a <= 0.0f) return;
        float* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        const float a = c.a + p[3] * (1.0f - c.a);
        if (a <= 0.0f) return;
        p[0] = (c.r * c.a + p[0] * p[3] * (1.0f - c.a)) / a;
        p[1] = (c.g * c.a + p[1] * p[3] * (1.0f - c.a)) / a;
        p[2] = (c.b * c.a + p[2] * p[3] * (1.0f - c.a)) / a;
        p[3] = a;
    }

    // A rectangle with rounded corners, its alpha softened over the last pixel of its edge.
    void panel(float x0, float y0, float x1, float y1, float radius, Color top, Color bottom) {
        for (int y = static_cast<int>(y0); y <= static_cast<int>(y1); ++y) {
            const float t = (static_cast<float>(y) - y0) / std::max(1.0f, y1 - y0);
            const Color c{bottom.r + (top.r - bottom.r) * t, bottom.g + (top.g - bottom.g) * t,
                          bottom.b + (top.b - bottom.b) * t, bottom.a + (top.a - bottom.a) * t};
            for (int x = static_cast<int>(x0); x <= static_cast<int>(x1); ++x) {
                const float dx = std::max({x0 + radius - static_cast<float>(x), static_cast<float>(x) - (x1 - radius), 0.0f});
                const float dy = std::max({y0 + radius - static_cast<float>(y), static_cast<float>(y) - (y1 - radius), 0.0f});
                const float inside = std::clamp(radius - std::sqrt(dx * dx + dy * dy) + 0.5f, 0.0f, 1.0f);
                blend(x, y, Color{c.r, c.g, c.b, c.a * inside});
            }
        }
    }

    // A ring between two radii, antialiased.
    void ring(float cx, float cy, float inner, float outer, Color c) {
        for (int y = static_cast<int>(cy - outer - 1); y <= static_cast<int>(cy + outer + 1); ++y)
            for (int x = static_cast<int>(cx - outer - 1); x <= static_cast<int>(cx + outer + 1); ++x) {
                const float d = std::hypot(static_cast<float>(x) - cx, static_cast<float>(y) - cy);
                const float cover = std::clamp(outer - d + 0.5f, 0.0f, 1.0f) * std::clamp(d - inner + 0.5f, 0.0f, 1.0f);
                blend(x, y, Color{c.r, c.g, c.b, c.a * cover});
            }
    }

    // Text at a pixel height; (x, y) is the left (or centre) of its baseline.
    void text(const std::string& line, int pixels, float x, float y, Color c, bool centred = false) {
        FreetypeFont font(fontFile, 0);
        font.setSize(pixels);
        const std::wstring wide = widenText(line);
        const PixelImage image = font.renderToImage(wide);
        if (image.empty()) return;
        const int left = static_cast<int>(centred ? x - static_cast<float>(image.width) / 2.0f : x);
        y -= static_cast<float>(font.measureText(wide).lastLineDescent + font.getBorder());
        for (std::uint32_t row = 0; row < image.height; ++row)
            for (std::uint32_t column = 0; column < image.width; ++column) {
                const unsigned char coverage = image.pixels[image.offset(column, row) + 1];
                blend(left + static_cast<int>(column), static_cast<int>(y) + static_cast<int>(row),
                      Color{c.r, c.g, c.b, c.a * static_cast<float>(coverage) / 255.0f});
            }
    }

    // Lines of text from the top y downwards, `gap` pixels apart. A line whose words are set apart by a
    // run of three or more spaces is a table row: what follows the run starts at x + tabStop, so that the
    // rows line up although the lettering's widths differ.
    void paragraph(const std::vector<std::string>& lines, int pixels, float x, float top, float gap, Color c,
                   float tabStop = 0.0f) {
        float y = top;
        for (const std::string& line : lines) {
            y -= gap;
            if (line.empty()) continue;
            const std::size_t run = line.find("   ");
            if (tabStop <= 0.0f || run == std::string::npos) {
                text(line, pixels, x, y, c);
                continue;
            }
            text(line.substr(0, run), pixels, x, y, c);
            const std::size_t rest = line.find_first_not_of(' ', run);
            if (rest != std::string::npos) text(line.substr(rest), pixels, x + tabStop, y, c);
        }
    }

    bool save(const std::string& path) const {
        PixelImage image;
        image.width = static_cast<std::uint32_t>(width);
        image.height = static_cast<std::uint32_t>(height);
        image.channels = 4;
        image.bitDepth = 8;
        image.rowBytes = static_cast<std::size_t>(width) * 4;
        image.format = 0x1908;  // GL_RGBA
        image.pixels = std::shared_ptr<unsigned char[]>(new unsigned char[image.rowBytes * height]);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            image.pixels[i] = static_cast<unsigned char>(std::lround(std::clamp(pixels[i], 0.0f, 1.0f) * 255.0f));
        return writePngImage(path, image, "");
    }

    const int width, height;

private:
    std::vector<float> pixels;
};

// Backdrops are 1024 x 512: the quad they are drawn on is twice as wide as it is high, and a 4:3
// window shows its middle 700 columns, a 16:9 window its middle 940.
constexpr int backdropWidth = 1024;
constexpr int backdropHeight = 512;
constexpr float middle = backdropWidth / 2.0f;

const Color white{1.0f, 1.0f, 1.0f, 1.0f};
const Color gold{1.0f, 0.78f, 0.3f, 1.0f};
const Color soft{0.85f, 0.9f, 1.0f, 1.0f};
const Color panelTop{0.08f, 0.12f, 0.22f, 0.86f};
const Color panelBottom{0.02f, 0.03f, 0.08f, 0.9f};

// A centred panel with a heading: the frame of every screen but the title menu.
Canvas framedBackdrop(const std::string& heading, float halfWidth = 300.0f) {
    Canvas canvas(backdropWidth, backdropHeight);
    canvas.panel(middle - halfWidth, 24.0f, middle + halfWidth, 488.0f, 28.0f, panelTop, panelBottom);
    canvas.panel(middle - halfWidth + 24.0f, 414.0f, middle + halfWidth - 24.0f, 417.0f, 1.5f, gold, gold);
    canvas.text(heading, 44, middle, 426.0f, gold, true);
    return canvas;
}

Canvas page(const std::string& heading, const std::vector<std::string>& lines, int number, int count) {
    Canvas canvas = framedBackdrop(heading, 330.0f);
    canvas.paragraph(lines, 20, middle - 290.0f, 404.0f, 29.0f, soft, 112.0f);
    canvas.text("page " + std::to_string(number) + " of " + std::to_string(count), 16, middle + 230.0f, 94.0f,
                Color{0.6f, 0.65f, 0.8f, 1.0f}, true);
    return canvas;
}

bool writeAll(const std::string& folder) {
    std::filesystem::create_directories(folder);
    bool ok = true;
    auto save = [&](const Canvas& canvas, const char* name) { ok = canvas.save(folder + "/" + name) && ok; };

    // The title menu: the name over the circling sphere and a shade behind the items on the left.
    Canvas title(backdropWidth, backdropHeight);
    // Shade and lettering are dark enough to read over the level's bright sky.
    title.panel(middle - 330.0f, 40.0f, middle - 90.0f, 356.0f, 22.0f, Color{0.05f, 0.08f, 0.16f, 0.72f},
                Color{0.02f, 0.03f, 0.08f, 0.8f});
    title.text("TOVIK", 96, middle + 4.0f, 386.0f, Color{0.0f, 0.0f, 0.0f, 0.5f}, true);
    title.text("TOVIK", 96, middle, 390.0f, gold, true);
    title.text("roll, grow, collect", 22, middle + 1.5f, 368.5f, Color{0.0f, 0.0f, 0.0f, 0.8f}, true);
    title.text("roll, grow, collect", 22, middle, 370.0f, soft, true);
    save(title, "title.png");

    save(framedBackdrop("Paused"), "pause.png");
    save(framedBackdrop("Options"), "options.png");
    save(framedBackdrop("Are you sure?", 240.0f), "quit.png");
    save(framedBackdrop("Best Times", 320.0f), "bestTimes.png");

    const std::vector<std::vector<std::string>> howToPlay = {
        {"Roll the hero sphere through the level and collect",
         "the score spheres on your way to the end.", "", "W A S D     roll the way the camera looks",
         "Space        jump from the ground", "Mouse        turn the camera",
         "Wheel        grow and shrink the sphere", "Shift         show the guidance arrow",
         "Escape      pause the game"},
        {"Every tenth score sphere makes you able to grow", "larger and shrink smaller: barriers open for",
         "a sphere big enough to pass them.", "", "Bumpers throw you back, force fields push you",
         "down, and derez zones send you back to your", "last checkpoint. Fire zones heat you: do not",
         "stay in them until you burn."},
        {"Reach a time trigger to unlock the time-attack", "modes on the title menu. A run against the",
         "clock ends at the finish line; the five best", "times of each mode are kept under your name.", "",
         "F1 switches the level between playing and", "editing."},
    };
    for (std::size_t i = 0; i < howToPlay.size(); ++i) {
        const std::string name = "howToPlay" + std::to_string(i + 1) + ".png";
        save(page("How to Play", howToPlay[i], static_cast<int>(i + 1), static_cast<int>(howToPlay.size())), name.c_str());
    }

    const std::vector<std::vector<std::string>> credits = {
        {"Tovik", "", "A game by the Tovik team at Kestrum,", "written with its own level editor.", "",
         "Design, code, levels, sounds and pictures", "by the team."},
        {"Built with", "", "SDL2, OpenGL and GLEW", "OpenAL Soft and libsndfile", "FreeType and libpng",
         "Dear ImGui", "", "Lettering in DejaVu Sans Bold."},
    };
    for (std::size_t i = 0; i < credits.size(); ++i) {
        const std::string name = "credits" + std::to_string(i + 1) + ".png";
        save(page("Credits", credits[i], static_cast<int>(i + 1), static_cast<int>(credits.size())), name.c_str());
    }

    // The option indicators: a lit disc in a ring for "on", the empty ring for "off".
    Canvas selected(64, 64);
    selected.ring(32.0f, 32.0f, 22.0f, 28.0f, white);
    selected.ring(32.0f, 32.0f, 0.0f, 15.0f, gold);
    save(selected, "selected.png");
    Canvas unselected(64, 64);
    unselected.ring(32.0f, 32.0f, 22.0f, 28.0f, Color{1.0f, 1.0f, 1.0f, 0.7f});
    save(unselected, "unselected.png");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "pictures") == 0) return writeAll(argv[2]) ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "measure") == 0) {
        FreetypeFont font(fontFile, 0);
        font.setSize(std::atoi(argv[2]));
        for (int i = 3; i < argc; ++i) {
            const PixelImage image = font.renderToImage(widenText(argv[i]));
            std::cout << image.width << ' ' << image.height << '\n';
        }
        return 0;
    }
    std::cerr << "usage: menu_art pictures <folder> | menu_art measure <pixels> <text>...\n";
    return 2;
}
