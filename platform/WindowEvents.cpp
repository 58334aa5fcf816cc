// SDL events to game input: keys without auto-repeat, typed characters, client-pixel mouse input
// with the captured-mouse filter, activation, resizing and the close request.
#include "platform/WindowEvents.h"

#include "platform/KeyMap.h"

namespace {

// Keys that type a character the property bars use but SDL reports no text for.
int characterOfKey(SDL_Keycode symbol) {
    switch (symbol) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_ESCAPE: return 27;
    default: return 0;
    }
}

int buttonCode(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return -1;
    case SDL_BUTTON_MIDDLE: return -2;
    case SDL_BUTTON_RIGHT: return -3;
    default: return 0;
    }
}

// UTF-8 to code points; a broken sequence yields nothing for its bytes.
void appendCharacters(const char* text, std::vector<WindowInput>& out) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        unsigned int lead = *p++;
        int extra = 0;
        unsigned int code = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            code = lead & 0x07;
        } else {
            continue;  // a stray continuation byte
        }
        bool broken = false;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) {  // the terminating zero stops here too
                broken = true;
                break;
            }
            code = (code << 6) | (*p++ & 0x3F);
        }
        if (broken || code < 32 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) continue;
        WindowInput input{WindowInput::Character};
        input.code = int(code);
        out.push_back(input);
    }
}

}  // namespace

void translateWindowEvent(const SDL_Event& event, const WindowInputState& state, std::vector<WindowInput>& out) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool down = event.type == SDL_KEYDOWN;
        // Characters repeat while their key is held, as typed text does; key messages do not.
        if (down) {
            if (int c = characterOfKey(event.key.keysym.sym)) {
                WindowInput input{WindowInput::Character};
                input.code = c;
                out.push_back(input);
            }
            if (event.key.repeat) return;
        }
        int virtualKey = virtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
        if (virtualKey == 0) return;
        WindowInput input{down ? WindowInput::KeyDown : WindowInput::KeyUp};
        input.code = translateVirtualKey(virtualKey);
        out.push_back(input);
        return;
    }
    case SDL_TEXTINPUT:
        appendCharacters(event.text.text, out);
        return;
    case SDL_MOUSEMOTION: {
        // With the mouse captured the cursor is put back to the centre after every motion; that
        // return trip is not a motion of the player's.
        if (state.mouseCaptured && event.motion.x == state.clientWidth / 2 && event.motion.y == state.clientHeight / 2)
            return;
        WindowInput input{WindowInput::MouseMove};
        input.x = event.motion.x;
        input.y = event.motion.y;
        out.push_back(input);
        return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int code = buttonCode(event.button.button);
        if (code == 0) return;
        WindowInput input{event.type == SDL_MOUSEBUTTONDOWN ? WindowInput::ButtonDown : WindowInput::ButtonUp};
        input.code = code;
        input.x = event.button.x;
        input.y = event.button.y;
        out.push_back(input);
        return;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (notches == 0) return;  // sideways scrolling only
        WindowInput input{WindowInput::Wheel};
        input.amount = float(notches);
        out.push_back(input);
        return;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_RESTORED:
            out.push_back(WindowInput{WindowInput::Activated});
            return;
        case SDL_WINDOWEVENT_MINIMIZED:
            out.push_back(WindowInput{WindowInput::Minimised});
            return;
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.push_back(WindowInput{WindowInput::MovedOrResized});
            return;
        case SDL_WINDOWEVENT_CLOSE:
            out.push_back(WindowInput{WindowInput::CloseRequest});
            return;
        default:
            return;
        }
    case SDL_QUIT:
        out.push_back(WindowInput{WindowInput::CloseRequest});
        return;
    default:
        return;
    }
}
