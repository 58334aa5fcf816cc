// The best-times screen and its lines.
#include "ui/BestTimesScreen.h"

#include <GL/glew.h>

#include <algorithm>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/KeyboardMessage.h"
#include "engine/MessageTypes.h"
#include "game/BestTimesLists.h"
#include "ui/TextureTextComponent.h"

namespace {

const auto& bestTimesScreenType = registerType<BestTimesScreen>("BestTimesScreen");

}  // namespace

BestTimesScreen::BestTimesScreen() : Menu(1) { loadFile(file); }

BestTimesScreen::BestTimesScreen(const BestTimesScreen& other) : Menu(other), linesPerList(other.linesPerList) {
    for (Entity* line : other.extraTexs) extraTexs.push_back(line->clone());
}

BestTimesScreen::~BestTimesScreen() { deleteEntities(extraTexs); }

Menu* BestTimesScreen::clone() const {
    auto* copy = new BestTimesScreen(*this);
    copy->bindActions();
    return copy;
}

void BestTimesScreen::read(BaseInStream& in, int) {
    readMenuWithExtras(in, extraTexs);
    bindActions();
}

void BestTimesScreen::write(BaseOutStream& out, int) {
    writeMenuWithExtras(out, extraTexs);
}

void BestTimesScreen::bindActions() { bindAction(0, menuBack); }

void BestTimesScreen::initialize() {
    Menu::initialize();
    listen<KeyboardMessage>(MessageType::KeyDown, [](Menu&, KeyboardMessage&) {});
    listen<KeyboardMessage>(MessageType::KeyUp, [this](Menu&, KeyboardMessage& message) { onActivationKey(message); });
    for (Entity* line : extraTexs) initializeScreenEntity(*line);
    fillLines(bestTimesLists().atkMode, bestTimesLists().superAtk);
}

void BestTimesScreen::fillLines(const std::vector<BestTime>& timeAttack, const std::vector<BestTime>& superTimeAttack) {
    auto fill = [this](const std::vector<BestTime>& entries, std::size_t first, std::size_t last) {
        std::size_t index = first;
        for (const BestTime& entry : entries) {
            if (index > last || index >= extraTexs.size()) break;
            if (TextureTextComponent* text = extraTexs[index]->getComponent<TextureTextComponent>()) {
                text->text = bestTimeLine(entry);
                text->renderText();
            }
            ++index;
        }
    };
    const std::size_t lines = static_cast<std::size_t>(std::max(linesPerList, 0));
    fill(timeAttack, 1, lines);
    fill(superTimeAttack, lines + 2, extraTexs.size());
}

void BestTimesScreen::update(float dt) {
    Menu::update(dt);
    for (Entity* line : extraTexs) line->update(dt);
}

void BestTimesScreen::draw(Camera& camera) {
    Menu::draw(camera);
    glClear(GL_DEPTH_BUFFER_BIT);
    drawScreenEntities(extraTexs, camera);
}
