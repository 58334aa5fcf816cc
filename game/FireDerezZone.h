// A fire zone that heats the hero until it burns and respawns; it only gives its entity the logic
// type the hero reacts to.
#pragma once

#include "engine/Logic.h"

class FireDerezZone : public Logic {
public:
    FireDerezZone() : Logic("FIRE_DEREZ_ZONE") {}
    FireDerezZone(const FireDerezZone& other) = default;

    Component* clone() const override { return new FireDerezZone(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override { readLogicSection(in, *this); }
    void write(BaseOutStream& out, int version) override { writeLogicSection(out, *this); }
};
