// The frame around the editor's property bars: starts the bar layer once, feeds it the engine's mouse
// and window messages while editing, stops it on shut-down, and keeps the shared "Vector4" struct type.
#pragma once

#include <string>

#include "engine/EventHandler.h"
#include "platform/TweakBarLayer.h"

class ClickMessage;
class MouseMoveMessage;
class MouseWheelMessage;

class TweakBarWrapper {
public:
    // Once at start-up, after the data functions are registered.
    static void initialize();

    // The one global handler of the bars' input; it deletes itself on the shutdown message.
    class TweakBarWrapperEventHandler : public EventHandler {
    public:
        TweakBarWrapperEventHandler();
        ~TweakBarWrapperEventHandler() override;

        // Running sum of the wheel notches forwarded; the bar layer takes an absolute position.
        float wheelPosition = 0.0f;
        // Mouse input reaches the bars only while set: off in play mode (20), on in edit mode (21).
        bool enabled = true;

    private:
        void onMouseButtonDown(ClickMessage& message);
        void onMouseButtonUp(ClickMessage& message);
        void onMouseMove(MouseMoveMessage& message);
        void onMouseWheel(MouseWheelMessage& message);
        void onWindowResize(Message& message);
        void onShutdown(Message& message);
    };
};

// Null before initialize and after shut-down.
extern TweakBarWrapper::TweakBarWrapperEventHandler* tweakBarEventHandler;
// The "Vector4" struct type, valid while vector4StructDefined is set; whoever clears every struct
// type (TwClearAllStructs) clears the flag too.
extern TwType vector4Type;
extern bool vector4StructDefined;

// The "Vector4" struct type (x, y, z, w floats), defined on first use after every clearing.
TwType getVector4Type();
// Options for a member of this type: " step=0.0001 " for floats and doubles, "" for the rest.
std::string getDefaultVarOptions(TwType type);
// The bars' string copy: the whole source becomes the destination.
void copyStdStringToClient(std::string& destination, const std::string& source);
