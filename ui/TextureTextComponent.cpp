// Text rendered into its entity's texture, and the editor's live re-rendering.
#include "ui/TextureTextComponent.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/FreetypeFont.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "physics/Body.h"

namespace {

constexpr int maxLineHeight = 512;

const auto& textureTextType = registerType<TextureTextComponent>("TextureTextComponent");

const Field<TextureTextComponent> textFields[] = {
    field<&TextureTextComponent::fontName>("fontName"),
    field<&TextureTextComponent::text>("text"),
    field<&TextureTextComponent::lineHeight>("lineHeight"),
};

// Replaces every pair (escape, what) by `by`. After a replacement the search goes on one character
// before it, where a new pair may have formed, which gives what searching again from the start gives.
void replacePairs(std::wstring& text, wchar_t what, wchar_t by) {
    std::size_t at = 0;
    while ((at = text.find(L'\\', at)) != std::wstring::npos) {
        if (at + 1 < text.size() && text[at + 1] == what) {
            text.replace(at, 2, 1, by);
            at = at > 0 ? at - 1 : 0;
        } else {
            ++at;
        }
    }
}

}  // namespace

std::wstring expandTextEscapes(const std::string& text) {
    std::wstring wide = widenText(text);
    replacePairs(wide, L'n', L'\n');
    replacePairs(wide, L'"', L'"');
    return wide;
}

TextureTextComponent::TextureTextComponent(const TextureTextComponent& other)
    : Component(other),
      fontName(other.fontName),
      lineHeight(other.lineHeight),
      renderedText(other.renderedText),
      text(other.text),
      liveUpdate(other.liveUpdate) {}

TextureTextComponent::~TextureTextComponent() {
    liveUpdateOffHandle.release();
    liveUpdateOnHandle.release();
}

Component* TextureTextComponent::clone() const { return new TextureTextComponent(*this); }

void TextureTextComponent::read(BaseInStream& in, int) {
    const int baseVersion = readBaseHeader(in);
    Component::read(in, baseVersion);
    readFields(in, *this, textFields);
}

void TextureTextComponent::write(BaseOutStream& out, int) {
    writeBaseHeader(out, Component::getVersion(), "Component");
    Component::write(out, Component::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, textFields);
}

void TextureTextComponent::initialize() {
    Component::initialize();
    Entity* entity = getOwner();
    if (!entity) return;
    if (entity->body) entity->body->resolve = false;
    // Assigning releases the pair an earlier initialisation made, so there is only ever one pair.
    liveUpdateOnHandle = registerMessageHandler(liveUpdateOnMessage, entity, [this](Entity&, Message&) {
        liveUpdate = true;
    });
    liveUpdateOffHandle = registerMessageHandler(liveUpdateOffMessage, entity, [this](Entity&, Message&) {
        liveUpdate = false;
    });
    liveUpdateOnHandle.setActive(true);
    liveUpdateOffHandle.setActive(true);
    renderText();
}

void TextureTextComponent::update(float) {
    if (liveUpdate && text != renderedText) renderText();
}

void TextureTextComponent::renderText() {
    renderedText = text;
    Entity* entity = getOwner();
    Graphics* graphics = entity ? entity->graphics : nullptr;
    if (!graphics) return;
    FreetypeFont font = currentGameState ? currentGameState->get<FreetypeFont>(fontName) : FreetypeFont();
    // A line height from a file is only trusted within what a texture can hold.
    font.setSize(lineHeight < 1 ? 1 : lineHeight > maxLineHeight ? maxLineHeight : lineHeight);
    graphics->setTexture(font.renderToTexture(expandTextEscapes(text)));
}
