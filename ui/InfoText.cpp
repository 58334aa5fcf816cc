// Information lines: the queue, the timing and the fades.
#include "ui/InfoText.h"

#include <algorithm>

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "graphics/Graphics.h"
#include "ui/HudLabel.h"

namespace {

const auto& infoTextType = registerType<InfoText>("InfoText");

const char* const timeAttackIntro = "Time Attack Mode\nGet to the \"You Win\" platform\nas fast as possible!";
const char* const superTimeAttackIntro = "Super Time Attack Mode\nGet to the Golden Sphere\nas fast as possible!";

}  // namespace

float infoLineTime(const std::string& line) {
    const double words = static_cast<double>(std::count(line.begin(), line.end(), ' ')) + 1.0;
    return static_cast<float>(std::min(words * 0.75, 2.75));
}

Component* InfoText::clone() const { return new InfoText(*this); }

void InfoText::read(BaseInStream& in, int) { readLabelPart(in, *this); }

void InfoText::write(BaseOutStream& out, int) { writeLabelPart(out, *this); }

void InfoText::initialize() {
    const bool first = !initialised;
    TextureTextComponent::initialize();
    resetLines();
    if (!first) return;
    registerHandler(MessageType::GameStart, this, [](InfoText& info, Message&) { info.resetLines(); });
    registerHandler<InfoMessage>(MessageType::Info, this,
                                 [](InfoText& info, InfoMessage& message) { info.pushLine(message.text); });
}

void InfoText::pushLine(std::string line) {
    const float time = infoLineTime(line);
    lines.push_back(InfoLine{std::move(line), time});
    if (lines.size() == 1) {
        text = lines.front().text;
        renderText();
    }
}

void InfoText::resetLines() {
    lines.clear();
    const int mode = configuration.intSetting("timerMode");
    if (mode == 1) pushLine(timeAttackIntro);
    if (mode == 2) pushLine(superTimeAttackIntro);
}

void InfoText::update(float dt) {
    Entity* entity = getOwner();
    if (lines.empty() || !entity || !entity->graphics) return;
    Graphics& graphics = *entity->graphics;
    Vector4 color = getDrawColor(graphics);
    InfoLine& front = lines.front();
    if (front.secondsLeft > 0.0f) {
        if (color.w() < 1.0f) {
            color.setW(color.w() + 4.0f * dt);
            graphics.diffuseColor = color;
        } else {
            front.secondsLeft -= dt;
        }
        return;
    }
    if (color.w() > 0.0f) {
        color.setW(color.w() - 4.0f * dt);
        graphics.diffuseColor = color;
        return;
    }
    lines.pop_front();
    if (!lines.empty()) {
        text = lines.front().text;
        renderText();
    }
}
