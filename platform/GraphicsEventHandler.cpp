// The window's activation and shut-down handler.
#include "platform/GraphicsEventHandler.h"

#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "platform/WindowShell.h"

GraphicsEventHandler::GraphicsEventHandler() {
    registerGlobalHandler<Message>(MessageType::WindowActive, this, [](GraphicsEventHandler&, Message&) { windowActive = true; });
    registerGlobalHandler<Message>(MessageType::WindowInactive, this, [](GraphicsEventHandler&, Message&) { windowActive = false; });
    registerGlobalHandler<Message>(MessageType::Shutdown, this, &GraphicsEventHandler::onShutdown);
}

GraphicsEventHandler::~GraphicsEventHandler() = default;

void GraphicsEventHandler::onShutdown(Message&) {
    destroyGameWindow();
    delete this;
}
