// The backdrop of a level: a textured mesh (a sphere) drawn round the eye at the far end of the depth
// range, so the level stands before a sky instead of black. Level data, but no entity: nothing collides
// with it, nothing picks it in the editor and nothing culls it.
#pragma once

#include "engine/GameStateComponent.h"
#include "graphics/Graphics.h"

class BaseInStream;
class BaseOutStream;
class Camera;

class alignas(16) Sky : public GameStateComponent {
public:
    Sky() = default;
    Sky(const Sky& other) = default;
    Sky& operator=(const Sky&) = delete;
    ~Sky() override = default;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 0; }
    // The "GameStateComponent" part, then "graphics": the texture, model, program and colour drawn.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    static const auto& fields();

    // Draws the mesh centred on the eye, halfway between the near and far planes so that it is never
    // clipped, with both faces shown (it is seen from inside). Its depth is the far end of the range and
    // it writes none: it shows only where nothing was drawn yet (shading no pixel twice under what the
    // opaque scene covers), and whatever is drawn afterwards lies in front of it. Nothing while disabled.
    void drawBehind(Camera& camera);
    // The world matrix drawBehind uses for this camera.
    static Matrix placement(const Camera& camera);

    Graphics graphics;
};
