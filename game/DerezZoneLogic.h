// A zone that sends the hero back to its respawn point; it only gives its entity the logic type the
// hero reacts to.
#pragma once

#include "engine/Logic.h"

class DerezZoneLogic : public Logic {
public:
    DerezZoneLogic() : Logic("DEREZ_ZONE") {}
    DerezZoneLogic(const DerezZoneLogic& other) = default;

    Component* clone() const override { return new DerezZoneLogic(*this); }
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override { readLogicSection(in, *this); }
    void write(BaseOutStream& out, int version) override { writeLogicSection(out, *this); }
};
