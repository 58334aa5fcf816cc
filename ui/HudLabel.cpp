// Shared pieces of the HUD labels.
#include "ui/HudLabel.h"

#include <sstream>

#include "core/TextFormat.h"
#include "ui/TextureTextComponent.h"

void readLabelPart(BaseInStream& in, TextureTextComponent& label) {
    const int baseVersion = readBaseHeader(in);
    label.TextureTextComponent::read(in, baseVersion);
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void writeLabelPart(BaseOutStream& out, TextureTextComponent& label) {
    writeBaseHeader(out, 0, "TextureTextComponent");
    label.TextureTextComponent::write(out, 0);
    writeBaseEnd(out);
    writeEnd(out);
}

std::string streamNumber(float value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

void showLabelText(TextureTextComponent& label, const std::string& text) {
    // A new texture per render: the text is rendered only when it changed.
    if (text == label.renderedText && label.initialised) return;
    label.text = text;
    label.renderText();
}
