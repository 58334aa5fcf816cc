// A line or block of text shown on its entity: the text is laid out with a font into a texture that
// becomes the texture of the entity's Graphics. Menu items, screen lines and the HUD labels build on
// it; while the editor works on the entity, edits of the text show at once.
#pragma once

#include <string>

#include "engine/Component.h"
#include "engine/UnregisterHandle.h"

class TextureTextComponent : public Component {
public:
    // Notices the editor sends straight to the entity it starts and stops working on.
    static constexpr int liveUpdateOnMessage = 22;
    static constexpr int liveUpdateOffMessage = 23;

    TextureTextComponent() = default;
    // Font, line height, both texts and the live flag; the copy has no registrations of its own.
    TextureTextComponent(const TextureTextComponent& other);
    TextureTextComponent& operator=(const TextureTextComponent&) = delete;
    // Ends both registrations (the one that stops live updates first).
    ~TextureTextComponent() override;

    Component* clone() const override;
    int getVersion() const override { return 0; }
    // The "Component" part, "fontName", "text", "lineHeight", "end".
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Makes the entity's body pass-through (an entity without a body has nothing to change), listens
    // for the editor's two notices on the entity (replacing any earlier pair) and renders.
    void initialize() override;
    // Renders again only while live updates are on and the text changed since the last rendering.
    void update(float dt) override;

    // Renders the current text now and hands the texture to the entity's Graphics (an entity
    // without one keeps nothing).
    void renderText();

    std::string fontName = "Verdana Bold";
    int lineHeight = 64;
    std::string renderedText;  // the text as it stood at the last rendering
    std::string text;
    bool liveUpdate = false;
    UnregisterHandle liveUpdateOnHandle;
    UnregisterHandle liveUpdateOffHandle;
};

// What a stored text shows: its characters as widenText decodes them (UTF-8, stray bytes as Latin-1),
// a backslash followed by n becomes a line break and a backslash before a double quote is dropped;
// every other backslash stays.
std::wstring expandTextEscapes(const std::string& text);
