// A Graphics with no look of its own: it draws another entity's Graphics (found by id at every draw) at
// its own entity's place, turned as that entity's body is turned.
#pragma once

#include "graphics/Graphics.h"

class alignas(16) CopyEntityGraphics : public Graphics {
public:
    CopyEntityGraphics() = default;
    CopyEntityGraphics(const CopyEntityGraphics& other) = default;

    // A copy copies the id as well.
    CopyEntityGraphics* clone() const override;
    int getVersion() const override { return 0; }
    // "idToCopy" and "end"; no Graphics fields are stored.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();
    // Attaches, then installs an empty program, model and texture of its own.
    void setOwner(Entity* owner) override;
    // Nothing when the id names no entity, an entity without Graphics or Body, or leads back to this
    // object (directly or through other copies).
    void draw(const Matrix& world, Camera& camera) override;

    int idToCopy = 0;

private:
    // Set while this object's copy is being drawn, so that a cycle of copies ends.
    bool drawing = false;
};
