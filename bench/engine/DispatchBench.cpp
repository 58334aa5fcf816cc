// Message dispatch throughput: broadcasts delivered at once or through the queues to many handlers,
// and messages sent to single handlers.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/EventHandler.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"

namespace {

struct Counter : EventHandler {
    long long received = 0;
};

// `handlers` handlers in one event system, each registered for type 7; a few other types alongside so
// that the lookups are not trivially the only entry.
struct Scene {
    explicit Scene(int handlers) {
        for (int i = 0; i < handlers; ++i) {
            counters.push_back(std::make_unique<Counter>());
            Counter* counter = counters.back().get();
            EventHandler::registerHandler<KeyboardMessage>(
                &system, 7, counter, [](Counter& self, KeyboardMessage& m) { self.received += m.key; });
            EventHandler::registerHandler<Message>(&system, 13 + i % 4, counter,
                                                   [](Counter& self, Message&) { ++self.received; });
        }
    }
    ~Scene() { shutdownMessaging(); }

    long long total() const {
        long long sum = 0;
        for (const auto& counter : counters) sum += counter->received;
        return sum;
    }

    EventSystem system;
    std::vector<std::unique_ptr<Counter>> counters;
};

void ImmediateBroadcast(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) sendMessage(new KeyboardMessage(7, 1), true);
    benchmark::DoNotOptimize(scene.total());
    state.SetItemsProcessed(state.iterations());
    state.counters["deliveries/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * state.range(0), benchmark::Counter::kIsRate);
}
BENCHMARK(ImmediateBroadcast)->Arg(1)->Arg(16)->Arg(256)->Arg(2048);

// One frame's worth of queued input: 32 messages queued, then one updateMessageQueues.
void QueuedBroadcast(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    constexpr int perFrame = 32;
    currentTime = 1.0;
    for (auto _ : state) {
        for (int i = 0; i < perFrame; ++i) sendMessage(new KeyboardMessage(7, 1));
        updateMessageQueues();
    }
    currentTime = 0.0;
    benchmark::DoNotOptimize(scene.total());
    state.SetItemsProcessed(state.iterations() * perFrame);
    const double deliveries = static_cast<double>(state.iterations()) * perFrame * state.range(0);
    state.counters["deliveries/s"] = benchmark::Counter(deliveries, benchmark::Counter::kIsRate);
}
BENCHMARK(QueuedBroadcast)->Arg(1)->Arg(16)->Arg(256)->Arg(2048);

// Collision-style traffic: one queued message to each of many handlers' direct registrations per frame.
void QueuedToEachHandler(benchmark::State& state) {
    const int handlers = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<Counter>> counters;
    for (int i = 0; i < handlers; ++i) {
        counters.push_back(std::make_unique<Counter>());
        EventHandler::registerDirectHandler<Message>(13, counters.back().get(),
                                                     [](Counter& self, Message&) { ++self.received; });
    }
    currentTime = 1.0;
    for (auto _ : state) {
        for (auto& counter : counters) sendMessageToHandler(new Message(13), counter.get());
        updateMessageQueues();
    }
    currentTime = 0.0;
    state.SetItemsProcessed(state.iterations() * handlers);
    shutdownMessaging();
}
BENCHMARK(QueuedToEachHandler)->Arg(16)->Arg(256)->Arg(2048);

// A frame with nothing to deliver, among many live handlers (the cost every frame pays).
void IdleFrame(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    currentTime = 1.0;
    for (auto _ : state) updateMessageQueues();
    currentTime = 0.0;
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(IdleFrame)->Arg(256)->Arg(2048);

}  // namespace

BENCHMARK_MAIN();
