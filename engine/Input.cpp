// Held keys and the input handler that records them from delivered messages.
#include "engine/Input.h"

#include <unordered_map>

#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseMoveMessage.h"
#include "engine/Platform.h"

namespace {

// Outlives the handler: components may still ask during shut-down.
std::unordered_map<int, bool>& keyStates() {
    static std::unordered_map<int, bool>* states = new std::unordered_map<int, bool>;
    return *states;
}

}  // namespace

bool& Input::isKeyDown(int key) { return keyStates()[key]; }

Input::InputEventHandler::InputEventHandler() {
    registerGlobalHandler<KeyboardMessage>(MessageType::KeyDown, this, &InputEventHandler::onKeyDown);
    registerGlobalHandler<KeyboardMessage>(MessageType::KeyUp, this, &InputEventHandler::onKeyUp);
    registerGlobalHandler<MouseMoveMessage>(MessageType::MouseMove, this, &InputEventHandler::onMouseMove);
    // Button presses change nothing that is read, but the handler follows them like the other input.
    registerGlobalHandler<Message>(MessageType::MouseDown, this, [](InputEventHandler&, Message&) {});
    registerGlobalHandler<Message>(MessageType::MouseUp, this, [](InputEventHandler&, Message&) {});
    registerGlobalHandler<Message>(MessageType::Shutdown, this, &InputEventHandler::onShutdown);
    registerGlobalHandler<Message>(MessageType::WindowActive, this, &InputEventHandler::onWindowShown);
    registerGlobalHandler<Message>(MessageType::WindowInactive, this, &InputEventHandler::onWindowMinimised);
}

Input::InputEventHandler::~InputEventHandler() = default;

void Input::InputEventHandler::onKeyDown(KeyboardMessage& message) { keyStates()[message.key] = true; }

void Input::InputEventHandler::onKeyUp(KeyboardMessage& message) { keyStates()[message.key] = false; }

void Input::InputEventHandler::onMouseMove(MouseMoveMessage& message) {
    if (mouseCaptured) {
        centerCursor();
    } else {
        lastCursorPosition.x = message.newX;
        lastCursorPosition.y = message.newY;
    }
}

void Input::InputEventHandler::onWindowShown(Message&) { recaptureMouse(); }

void Input::InputEventHandler::onWindowMinimised(Message&) {
    // Free the cursor while the window is away; capture stays on so that showing the window takes it again.
    if (!mouseCaptured) return;
    platform().setCursorVisible(true);
    platform().setMouseGrab(false);
}

void Input::InputEventHandler::onShutdown(Message&) { delete this; }
