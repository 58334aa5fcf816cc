// Costs of text work that happens while playing: the HUD timer rebuilds its glyph quads once a second,
// labels re-render their text into textures, and a font sheet is built once per font and size.
#include <benchmark/benchmark.h>

#include "graphics/FontSheetGraphics.h"
#include "graphics/FreetypeFont.h"

namespace {

const FreetypeFont& boldFont() {
    static const FreetypeFont font("Fonts/DejaVuSans-Bold.ttf", 0);
    return font;
}

void timerTextQuads(benchmark::State& state) {
    const FreetypeFont& font = boldFont();
    FontSheet sheet;
    sheet.glyphRects = font.buildFontSheetImage(fontSheetText()).glyphRects;
    for (auto _ : state) {
        MeshData mesh = buildTextMeshData(L" Time:\n01:23", sheet, font);
        benchmark::DoNotOptimize(mesh.vertices.data);
    }
}
BENCHMARK(timerTextQuads);

void labelTextPixels(benchmark::State& state) {
    FreetypeFont font = boldFont();
    for (auto _ : state) {
        PixelImage image = font.renderToImage(L"Speed: 12.5");
        benchmark::DoNotOptimize(image.pixels.get());
    }
}
BENCHMARK(labelTextPixels);

void fontSheetPixels(benchmark::State& state) {
    const FreetypeFont& font = boldFont();
    const std::wstring text = fontSheetText();
    for (auto _ : state) {
        FontSheetImage sheet = font.buildFontSheetImage(text);
        benchmark::DoNotOptimize(sheet.image.pixels.get());
    }
}
BENCHMARK(fontSheetPixels)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
