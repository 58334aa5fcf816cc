// The time-attack clock: counting, holding, showing and ending a run.
#include "game/TimerLabel.h"

#include <string>

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameplayMessages.h"
#include "engine/MessageDispatcher.h"
#include "engine/PauseMessage.h"
#include "game/BestTimesLists.h"
#include "game/GameplayHelpers.h"
#include "graphics/FontSheetGraphics.h"
#include "physics/Body.h"

namespace {

const auto& timerLabelType = registerType<TimerLabel>("TimerLabel");

void appendTwoDigits(std::string& text, int value) {
    if (value <= 0) {
        text += "00";
        return;
    }
    if (value < 10) text.push_back('0');
    text += std::to_string(value);
}

}  // namespace

std::string clockTime(int hours, int minutes, int seconds) {
    std::string text;
    if (hours > 0) text += std::to_string(hours) + ":";
    appendTwoDigits(text, minutes);
    text.push_back(':');
    appendTwoDigits(text, seconds);
    return text;
}

std::string timerText(int hours, int minutes, int seconds) { return " Time:\n" + clockTime(hours, minutes, seconds); }

TimerLabel::TimerLabel(const TimerLabel& other)
    : Component(other),
      EventHandler(other),
      stopped(other.stopped),
      fraction(other.fraction),
      seconds(other.seconds),
      minutes(other.minutes),
      hours(other.hours),
      textGraphics(other.textGraphics),
      mode(other.mode) {}

TimerLabel* TimerLabel::clone() const { return new TimerLabel(*this); }

void TimerLabel::read(BaseInStream& in, int) {
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void TimerLabel::write(BaseOutStream& out, int) { writeEnd(out); }

void TimerLabel::initialize() {
    const bool first = !initialised;
    Component::initialize();
    Entity* entity = getOwner();
    textGraphics = entity ? entity->getComponent<FontSheetGraphics>() : nullptr;
    if (first) {
        registerHandler(MessageType::EditMode, this, [](TimerLabel& self, Message&) { self.setDisabled(true); });
        registerHandler(MessageType::PlayMode, this, [](TimerLabel& self, Message&) { self.resume(); });
        registerHandler(MessageType::GameStart, this, [](TimerLabel& self, Message&) { self.onGameStart(); });
        registerHandler<TimerOffMessage>(MessageType::TimerOff, this,
                                         [](TimerLabel& self, TimerOffMessage& m) { self.onTimerOff(m); });
        registerHandler<PauseMessage>(MessageType::Pause, this, [](TimerLabel& self, PauseMessage& m) {
            if (m.paused)
                self.setDisabled(true);
            else
                self.resume();
        });
    }
    onGameStart();
}

void TimerLabel::update(float dt) {
    if (disabled) return;
    fraction += dt;
    if (fraction < 1.0f) return;
    fraction -= 1.0f;
    if (++seconds >= 60) {
        ++minutes;
        seconds -= 60;
    }
    if (minutes >= 60) {
        ++hours;
        minutes -= 60;
    }
    updateText();
}

void TimerLabel::onGameStart() {
    mode = configuration.intSetting("timerMode");
    if (mode == 0) {
        setDisabled(true);
        setAlpha(0.0f);
        return;
    }
    if (textGraphics) {
        textGraphics->text = " Time:\n00:00";
        textGraphics->buildTextMesh();
    }
}

void TimerLabel::resume() {
    mode = configuration.intSetting("timerMode");
    if (mode == 0 || stopped) return;
    setDisabled(false);
    setAlpha(1.0f);
}

void TimerLabel::onTimerOff(TimerOffMessage& message) {
    // A second trigger of the same mode would offer the same run again (and enter it twice).
    if (message.mode != mode || stopped) return;
    stopped = true;
    setDisabled(true);
    if (mode == 1) {
        Entity* hero = heroEntity();
        if (hero && hero->body) playSoundAt("timeAttackOver", hero->body->position);
    }
    if (hours != 0) return;
    const BestTime run("", minutes, seconds);
    if (mode == 1 && bestTimesLists().submitTimeAttack(run)) sendMessage(new InfoMessage("New Time Attack record!"));
    if (mode == 2 && bestTimesLists().submitSuperTimeAttack(run))
        sendMessage(new InfoMessage("New Super Time Attack record!"));
}

void TimerLabel::updateText() {
    if (!textGraphics) return;
    textGraphics->text = timerText(hours, minutes, seconds);
    textGraphics->buildTextMesh();
}

void TimerLabel::setDisabled(bool value) {
    disabled = value;
    onDisabledChanged(value);
}

void TimerLabel::setAlpha(float alpha) {
    Entity* entity = getOwner();
    if (entity && entity->graphics) entity->graphics->diffuseColor.setW(alpha);
}
