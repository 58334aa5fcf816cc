// The score-sphere count.
#include "ui/SpheresRemaining.h"

#include "core/SerializeType.h"
#include "editor/Editor.h"
#include "game/ScoreSphereLogic.h"
#include "ui/HudLabel.h"

namespace {
const auto& spheresRemainingType = registerType<SpheresRemaining>("SpheresRemaining");
}

Component* SpheresRemaining::clone() const { return new SpheresRemaining(*this); }

void SpheresRemaining::read(BaseInStream& in, int) { readLabelPart(in, *this); }

void SpheresRemaining::write(BaseOutStream& out, int) { writeLabelPart(out, *this); }

void SpheresRemaining::update(float) {
    const int total = scoreSpheresAtPlayStart;
    const int collected = total - static_cast<int>(liveScoreSpheres.count);
    if (collected == shownCollected && total == shownTotal) return;
    shownCollected = collected;
    shownTotal = total;
    text = std::to_string(collected) + "/" + std::to_string(total);
    renderText();
}
