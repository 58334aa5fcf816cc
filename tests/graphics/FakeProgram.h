// A program that records what the draw code asks of it instead of touching GL, so that draw order,
// passes and per-frame clearing can be checked without a context.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Entity.h"
#include "graphics/Graphics.h"
#include "graphics/Program.h"

class FakeProgram : public Program {
public:
    struct Call {
        std::string what;     // "setCamera", "draw", "drawInPass", "endPass"
        unsigned program;     // the fake GL name
        std::uint32_t entity;  // the drawn Graphics' owner id (0 when none)
        Matrix world;
        bool translucent;     // the Graphics' flag when it was drawn
    };
    using Log = std::vector<Call>;

    FakeProgram(unsigned name, std::shared_ptr<Log> log) : log(std::move(log)) { glName = name; }
    FakeProgram(const FakeProgram& other) : Program(other), log(other.log) {}
    // The fake name must not reach glDeleteProgram.
    ~FakeProgram() override { glName = 0; }

    FakeProgram* clone() const override { return new FakeProgram(*this); }
    void setCamera(Camera&) override { record("setCamera", nullptr, Matrix()); }
    void drawGraphics(const Matrix& world, Camera&, Graphics& graphics) override {
        record("draw", &graphics, world);
    }
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override {
        record("drawInPass", &graphics, world);
    }
    void endPass() override { record("endPass", nullptr, Matrix()); }

    std::shared_ptr<Log> log;

private:
    void record(const char* what, Graphics* graphics, const Matrix& world) {
        log->push_back(Call{what, glName, graphics && graphics->owner ? graphics->owner->id : 0, world,
                            graphics && graphics->translucentThisFrame});
    }
};
