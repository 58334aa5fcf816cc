// The property bars' layout pass for a large object (without GL) and the translation of window
// events, both of which run inside the frame loop.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/TweakBarLayer.h"
#include "platform/WindowEvents.h"

namespace {

// A bar as big as a busy entity's: `fields` floats in nested groups of eight, plus buttons.
void barFrame(benchmark::State& state) {
    const int fields = int(state.range(0));
    std::vector<float> values(std::size_t(fields), 1.0f);
    TwInit(TW_OPENGL, nullptr);
    TwWindowSize(1280, 1024);
    std::vector<TwStructMember> group;
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) names.push_back("field" + std::to_string(i));
    for (int i = 0; i < 8; ++i)
        group.push_back(TwStructMember{names[i].c_str(), TW_TYPE_FLOAT, std::size_t(i) * sizeof(float), " step=0.0001 "});
    TwType groupType = TwDefineStruct("Group", group.data(), 8, 8 * sizeof(float), nullptr, nullptr);
    std::vector<TwStructMember> outer;
    std::vector<std::string> groupNames;
    for (int g = 0; g < fields / 8; ++g) groupNames.push_back("group" + std::to_string(g));
    for (int g = 0; g < fields / 8; ++g)
        outer.push_back(TwStructMember{groupNames[g].c_str(), groupType, std::size_t(g) * 8 * sizeof(float), ""});
    TwType outerType = TwDefineStruct("Object", outer.data(), unsigned(outer.size()), SIZE_MAX, nullptr, nullptr);
    TwBar* bar = TwNewBar("Object");
    TwAddVarRW(bar, "Object", outerType, values.data(), "");
    TwAddSeparator(bar, nullptr, "");
    for (const char* label : {"Add Component", "Delete Component", "Add Logic", "Delete Logic"})
        TwAddButton(bar, label, [](void*) {}, nullptr, "");
    for (auto _ : state) benchmark::DoNotOptimize(TwDraw());
    TwTerminate();
}
BENCHMARK(barFrame)->Arg(64)->Arg(512)->Unit(benchmark::kMicrosecond);

void translateEvents(benchmark::State& state) {
    std::vector<SDL_Event> events(4);
    events[0].type = SDL_MOUSEMOTION;
    events[0].motion.x = 100;
    events[1].type = SDL_KEYDOWN;
    events[1].key.keysym.sym = SDLK_F5;
    events[2].type = SDL_TEXTINPUT;
    SDL_strlcpy(events[2].text.text, "ab", sizeof events[2].text.text);
    events[3].type = SDL_MOUSEWHEEL;
    events[3].wheel.y = 1;
    WindowInputState windowState{true, 800, 600};
    std::vector<WindowInput> out;
    for (auto _ : state) {
        out.clear();
        for (const SDL_Event& e : events) translateWindowEvent(e, windowState, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(events.size()));
}
BENCHMARK(translateEvents);

}  // namespace

BENCHMARK_MAIN();
