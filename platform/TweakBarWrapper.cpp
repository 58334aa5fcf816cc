// Property-bar start-up, input forwarding and shut-down.
#include "platform/TweakBarWrapper.h"

#include "engine/ClickMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseMoveMessage.h"
#include "engine/MouseWheelMessage.h"

TweakBarWrapper::TweakBarWrapperEventHandler* tweakBarEventHandler = nullptr;
TwType vector4Type = TW_TYPE_UNDEF;
bool vector4StructDefined = false;

void TweakBarWrapper::initialize() {
    TwInit(TW_OPENGL, nullptr);
    tweakBarEventHandler = new TweakBarWrapperEventHandler;
    TwCopyStdStringToClientFunc(copyStdStringToClient);
    TwWindowSize(viewportWidth, viewportHeight);
}

TweakBarWrapper::TweakBarWrapperEventHandler::TweakBarWrapperEventHandler() {
    registerGlobalHandler<ClickMessage>(MessageType::MouseDown, this, &TweakBarWrapperEventHandler::onMouseButtonDown);
    registerGlobalHandler<ClickMessage>(MessageType::MouseUp, this, &TweakBarWrapperEventHandler::onMouseButtonUp);
    registerGlobalHandler<MouseMoveMessage>(MessageType::MouseMove, this, &TweakBarWrapperEventHandler::onMouseMove);
    registerGlobalHandler<MouseWheelMessage>(MessageType::MouseWheel, this, &TweakBarWrapperEventHandler::onMouseWheel);
    registerGlobalHandler<Message>(MessageType::WindowResized, this, &TweakBarWrapperEventHandler::onWindowResize);
    registerGlobalHandler<Message>(MessageType::Shutdown, this, &TweakBarWrapperEventHandler::onShutdown);
    registerGlobalHandler<Message>(MessageType::PlayMode, this, [](TweakBarWrapperEventHandler& h, Message&) { h.enabled = false; });
    registerGlobalHandler<Message>(MessageType::EditMode, this, [](TweakBarWrapperEventHandler& h, Message&) { h.enabled = true; });
}

TweakBarWrapper::TweakBarWrapperEventHandler::~TweakBarWrapperEventHandler() = default;

namespace {

TwMouseButtonID barButton(int engineButton) {
    switch (engineButton) {
    case -1: return TW_MOUSE_LEFT;
    case -3: return TW_MOUSE_RIGHT;
    default: return TW_MOUSE_MIDDLE;
    }
}

}  // namespace

// While the mouse is captured the cursor is hidden and held at the centre, so a press there is aimed
// at the editor, not at whatever bar happens to lie under the centre. Releases always go through,
// so that no button stays held in the bars.
void TweakBarWrapper::TweakBarWrapperEventHandler::onMouseButtonDown(ClickMessage& message) {
    if (enabled && !mouseCaptured) TwMouseButton(TW_MOUSE_PRESSED, barButton(message.button));
}

void TweakBarWrapper::TweakBarWrapperEventHandler::onMouseButtonUp(ClickMessage& message) {
    if (enabled) TwMouseButton(TW_MOUSE_RELEASED, barButton(message.button));
}

void TweakBarWrapper::TweakBarWrapperEventHandler::onMouseMove(MouseMoveMessage& message) {
    if (enabled) TwMouseMotion(message.newX, message.newY);
}

void TweakBarWrapper::TweakBarWrapperEventHandler::onMouseWheel(MouseWheelMessage& message) {
    if (!enabled) return;
    wheelPosition += message.delta;
    TwMouseWheel(static_cast<int>(wheelPosition));
}

void TweakBarWrapper::TweakBarWrapperEventHandler::onWindowResize(Message&) {
    TwWindowSize(viewportWidth, viewportHeight);
}

void TweakBarWrapper::TweakBarWrapperEventHandler::onShutdown(Message&) {
    if (tweakBarEventHandler) {
        TweakBarWrapperEventHandler* handler = tweakBarEventHandler;
        tweakBarEventHandler = nullptr;
        delete handler;
    }
    TwTerminate();
    // The layer dropped every struct type with the bars.
    vector4StructDefined = false;
}

TwType getVector4Type() {
    if (vector4StructDefined) return vector4Type;
    std::string options = getDefaultVarOptions(TW_TYPE_FLOAT);
    TwStructMember members[] = {
        {"x", TW_TYPE_FLOAT, 0, options.c_str()},
        {"y", TW_TYPE_FLOAT, 4, options.c_str()},
        {"z", TW_TYPE_FLOAT, 8, options.c_str()},
        {"w", TW_TYPE_FLOAT, 12, options.c_str()},
    };
    vector4Type = TwDefineStruct("Vector4", members, 4, 16, nullptr, nullptr);
    // A refused definition is tried again next time rather than handed out as a valid type.
    vector4StructDefined = vector4Type != TW_TYPE_UNDEF;
    return vector4Type;
}

std::string getDefaultVarOptions(TwType type) {
    return type == TW_TYPE_FLOAT || type == TW_TYPE_DOUBLE ? " step=0.0001 " : "";
}

void copyStdStringToClient(std::string& destination, const std::string& source) { destination = source; }
