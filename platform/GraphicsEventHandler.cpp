// The window's activation and shut-down handler.
#include "platform/GraphicsEventHandler.h"

#include "engine/MainLoop.h"
#include "platform/WindowShell.h"

GraphicsEventHandler::GraphicsEventHandler() {
    registerGlobalHandler<Message>(4, this, [](GraphicsEventHandler&, Message&) { windowActive = true; });
    registerGlobalHandler<Message>(5, this, [](GraphicsEventHandler&, Message&) { windowActive = false; });
    registerGlobalHandler<Message>(31, this, &GraphicsEventHandler::onShutdown);
}

GraphicsEventHandler::~GraphicsEventHandler() = default;

void GraphicsEventHandler::onShutdown(Message&) {
    destroyGameWindow();
    delete this;
}
