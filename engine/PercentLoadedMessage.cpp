// Loading progress messages; every position the readers post is delivered at once.
#include "engine/PercentLoadedMessage.h"

#include "core/TextFormat.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"

PercentLoadedMessage::PercentLoadedMessage(float percent) : Message(MessageType::PercentLoaded), percent(percent) {}

PercentLoadedMessage::~PercentLoadedMessage() = default;

void postLoadProgress(float position) { sendMessage(new PercentLoadedMessage(position), true); }

namespace {

const bool progressListenerInstalled = (setLoadProgressListener(&postLoadProgress), true);

}  // namespace
