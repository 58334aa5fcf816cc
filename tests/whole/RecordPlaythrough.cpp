// Makes the recorded input of the first level's playthrough: an autopilot rolls the hero along a
// route through the level (every score sphere, the barrier grown, the patrol ridden, the drop, the end
// lines), pressing only the keys and the wheel a player would, and writes what it pressed. Run by hand
// when the level changes:
//   record_playthrough Content/Levels/level1.lvl tests/whole/data/firstlevel.input
//   record_playthrough Content/Levels/level1.lvl tests/whole/data/timeattack.input timeattack
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "Playthrough.h"
#include "core/Quaternion.h"
#include "editor/Editor.h"
#include "engine/Entity.h"
#include "game/PatrollingComponent.h"
#include "game/ScoreSphereLogic.h"
#include "physics/Body.h"

namespace {

struct Step {
    enum Kind { Go, Collect, Wheel, Wait, BoardPatrol, RidePatrol } kind;
    float x = 0, z = 0;    // Go, Collect (the sphere nearest to it), RidePatrol (leave past z)
    float tolerance = 0.8f;
    float speed = 6.0f;
    int count = 0;         // Wheel steps (negative shrinks), Wait frames
    std::uint32_t target = 0;
};

Step go(float x, float z, float speed = 6.0f, float tolerance = 0.8f) { return {Step::Go, x, z, tolerance, speed}; }
Step collect(float x, float z, float speed = 5.0f) { return {Step::Collect, x, z, 0.0f, speed}; }
Step wheel(int steps) { return {Step::Wheel, 0, 0, 0, 0, steps}; }
Step wait(int frames) { return {Step::Wait, 0, 0, 0, 0, frames}; }

// A Time Attack run: from the start straight to the mode's end trigger.
std::vector<Step> timeAttackRoute() { return {wait(30), go(12, 12, 6.0f, 0.5f), wait(120)}; }

// The route through the first level.
std::vector<Step> route() {
    return {
        wait(30),
        collect(0, -4), go(7, 0), collect(8, 4), go(0, 3), collect(-8, -2), go(-6, -10),
        collect(-3, -17), collect(3, -18),
        go(0, -21, 4.0f), collect(0, -26, 4.0f), collect(-2, -32, 4.0f), collect(2, -38, 4.0f),
        collect(0, -44, 4.0f), collect(-2, -50, 4.0f), collect(2, -56, 4.0f),
        go(0, -56.5f, 2.0f, 0.4f), wait(30), wheel(6), wait(60), go(0, -66, 4.0f), wheel(-8), wait(60),
        go(0, -74), go(5, -76.5f, 4.0f), collect(5, -79, 3.0f), go(0, -78, 4.0f), go(0, -90.5f, 4.0f),
        collect(5, -89, 3.0f), go(0, -90.5f, 4.0f), collect(-6, -91, 3.0f), go(-11, -91, 4.0f),
        go(-11, -101, 4.0f), collect(-8, -101, 3.0f), collect(0, -104, 4.0f),
        {Step::BoardPatrol, 0, -107.5f, 0.5f, 3.0f}, {Step::RidePatrol, 0, -150.0f, 0, 0},
        go(0, -157, 4.0f), collect(-4, -160, 4.0f), collect(4, -163, 4.0f), go(0, -156, 4.0f, 0.5f),
        go(0, -180, 10.0f, 2.0f), collect(-6, -183, 4.0f), collect(6, -186, 4.0f), collect(3, -192, 4.0f),
        collect(-3, -192, 4.0f), go(0, -194, 3.0f), go(0, -204, 3.0f, 0.6f), wait(300),
    };
}

Vector4 flat(const Vector4& v) { return Vector4(v.x(), 0.0f, v.z(), 0.0f); }

class Autopilot {
public:
    Autopilot(Playthrough& play, std::vector<RecordedInput>& out) : play(play), out(out) {}

    void press(int key, bool down) {
        bool& held = keys[key];
        if (held == down) return;
        held = down;
        emit({play.frameNumber, down ? RecordedInput::KeyDown : RecordedInput::KeyUp, key});
    }
    void emit(RecordedInput input) {
        input.frame = play.frameNumber;
        out.push_back(input);
        play.send(input);
    }
    void release() {
        for (int key : {'W', 'A', 'S', 'D', ' '}) press(key, false);
    }

    // Presses the steering keys that bring the hero's speed toward `wanted` (a flat world vector).
    void steer(const Vector4& wanted) {
        Body* body = play.hero()->body;
        Vector4 error = wanted - flat(body->velocity);
        const Quaternion back = quaternionFromAxisAngle(Vector4(0.0f, 1.0f, 0.0f, 0.0f), -play.cameraTurn());
        const Vector4 keysWay = quaternionRotate(back, error);
        const float deadBand = 0.25f;
        press('W', keysWay.z() < -deadBand);
        press('S', keysWay.z() > deadBand);
        press('A', keysWay.x() < -deadBand);
        press('D', keysWay.x() > deadBand);
    }
    // Steers toward a point; true once within the tolerance and slow.
    bool steerTo(const Vector4& point, float speed, float tolerance) {
        Body* body = play.hero()->body;
        const Vector4 way = flat(point - body->position);
        const float distance = std::sqrt(dot4(way, way));
        const float wanted = std::min(speed, 1.2f * distance);
        steer(distance > 1e-4f ? way * (wanted / distance) : Vector4());
        const Vector4 v = flat(body->velocity);
        return distance < tolerance && std::sqrt(dot4(v, v)) < std::max(1.0f, speed * 0.5f);
    }

    Playthrough& play;
    std::vector<RecordedInput>& out;
    std::map<int, bool> keys;
};

Entity* nearestSphere(Editor& level, float x, float z) {
    Entity* best = nullptr;
    float bestDistance = std::numeric_limits<float>::max();
    for (Entity* e : level.entities) {
        if (!e->getComponent<ScoreSphereLogic>() || !e->body) continue;
        const Vector4 d = flat(e->body->position - Vector4(x, 0, z, 1));
        const float distance = dot4(d, d);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = e;
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <level file> <recording to write>\n", argv[0]);
        return 2;
    }
    const auto settings = std::filesystem::temp_directory_path() / "tovik-record-settings";
    std::filesystem::remove_all(settings);
    std::filesystem::create_directories(settings);
    std::vector<RecordedInput> inputs;
    {
        const bool timeAttack = argc > 3 && std::string(argv[3]) == "timeattack";
        Playthrough play(argv[1], settings.string(), timeAttack ? 1 : 0);
        Autopilot pilot(play, inputs);
        std::vector<Step> steps = timeAttack ? timeAttackRoute() : route();
        std::size_t at = 0;
        int waited = 0, wheelWait = 0;
        const int spheresAtStart = play.liveScoreSpheres();
        std::printf("spheres at start: %d\n", spheresAtStart);
        pilot.emit({0, RecordedInput::MouseMove, 0, 0, 30, 0});
        while (at < steps.size() && play.frameNumber < 60 * 60 * 8) {
            Step& step = steps[at];
            Entity* hero = play.hero();
            bool done = false;
            if (play.frameNumber == 120) pilot.emit({0, RecordedInput::MouseMove, 0, 0, -30, 0});
            switch (step.kind) {
                case Step::Go:
                    done = pilot.steerTo(Vector4(step.x, 0, step.z, 1), step.speed, step.tolerance);
                    break;
                case Step::Collect: {
                    if (!step.target) {
                        Entity* sphere = nearestSphere(*play.level, step.x, step.z);
                        step.target = sphere ? sphere->id : 0;
                    }
                    auto found = play.level->entityIdMap.find(step.target);
                    ScoreSphereLogic* logic = found == play.level->entityIdMap.end() ? nullptr
                                                                                     : found->second->getComponent<ScoreSphereLogic>();
                    if (!logic || logic->counted) {
                        done = true;
                    } else {
                        pilot.steerTo(found->second->body->position, step.speed, 0.0f);
                    }
                    break;
                }
                case Step::Wheel:
                    pilot.release();
                    if (++wheelWait >= 8) {
                        wheelWait = 0;
                        pilot.emit({0, RecordedInput::Wheel, 0, step.count > 0 ? 1.0f : -1.0f});
                        step.count += step.count > 0 ? -1 : 1;
                    }
                    done = step.count == 0;
                    break;
                case Step::Wait:
                    pilot.steer(Vector4());
                    done = ++waited >= step.count;
                    if (done) waited = 0;
                    break;
                case Step::BoardPatrol:
                case Step::RidePatrol: {
                    Entity* platform = nullptr;
                    for (Entity* e : play.level->entities)
                        if (e->getComponent<PatrollingComponent>()) platform = e;
                    if (!platform) {
                        std::fprintf(stderr, "no patrol\n");
                        return 1;
                    }
                    const Vector4 on = platform->body->position;
                    if (step.kind == Step::BoardPatrol) {
                        // Waits at the edge until the platform is at this end, then rolls onto it.
                        const bool here = on.z() > step.z - 6.5f;
                        if (!here || waited == 0) {
                            pilot.steerTo(Vector4(step.x, 0, step.z, 1), 3.0f, 0.3f);
                            if (here) waited = 1;
                        }
                        if (waited) {
                            pilot.steerTo(on, 3.0f, 0.5f);
                            const Vector4 d = flat(on - hero->body->position);
                            done = dot4(d, d) < 1.0f;
                            if (done) waited = 0;
                        }
                    } else {
                        pilot.steerTo(on, 4.0f, 0.0f);
                        // Keeps pace with the platform's own motion.
                        done = on.z() < step.z;
                    }
                    break;
                }
            }
            if (done) {
                std::printf("frame %5d: step %zu done; hero at %.1f %.1f %.1f, %d spheres left\n", play.frameNumber,
                            at, hero->body->position.x(), hero->body->position.y(), hero->body->position.z(),
                            play.liveScoreSpheres());
                ++at;
            }
            if (std::getenv("TOVIK_RECORD_TRACE") && play.frameNumber % 30 == 0)
                std::printf("  frame %5d step %zu: hero %.2f %.2f %.2f v %.2f %.2f %.2f\n", play.frameNumber, at,
                            hero->body->position.x(), hero->body->position.y(), hero->body->position.z(),
                            hero->body->velocity.x(), hero->body->velocity.y(), hero->body->velocity.z());
            play.frame();
        }
        pilot.release();
        play.frame();
        std::printf("end: frame %d, spheres left %d, first part %d, game %d, reward %d\n", play.frameNumber,
                    play.liveScoreSpheres(), play.firstPartEnded(), play.gameEnded(), play.rewardTaken());
        for (const std::string& text : play.infoTexts) std::printf("info: %s\n", text.c_str());
        inputs.push_back(RecordedInput{play.frameNumber, RecordedInput::KeyUp, 'W'});
    }
    writeRecording(argv[2], inputs,
                   "Recorded input of the first level's playthrough, made by record_playthrough: one message\n"
                   "a line, sent before the frame of its number (60 frames a second).");
    return 0;
}
