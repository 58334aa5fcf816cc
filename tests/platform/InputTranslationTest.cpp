// Window input translation: key codes, typed characters, the captured-mouse filter, buttons, wheel
// and window events, from SDL events built by hand.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>

#include "platform/KeyMap.h"
#include "platform/WindowEvents.h"

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode symbol, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = symbol;
    e.key.keysym.scancode = scancode;
    return e;
}

SDL_Event textEvent(const char* text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, text, sizeof e.text.text - 1);
    return e;
}

SDL_Event motionEvent(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event windowEvent(Uint8 which) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    return e;
}

std::vector<WindowInput> translate(const SDL_Event& e, WindowInputState state = {}) {
    std::vector<WindowInput> out;
    translateWindowEvent(e, state, out);
    return out;
}

}  // namespace

TEST(KeyMap, VirtualKeysBecomeTheEngineCodes) {
    EXPECT_EQ(translateVirtualKey(116), -39);  // F5
    EXPECT_EQ(translateVirtualKey('A'), 65);
    EXPECT_EQ(translateVirtualKey(27), -24);   // Escape
    EXPECT_EQ(translateVirtualKey(16), -28);   // Shift
    EXPECT_EQ(translateVirtualKey(9), -27);
    EXPECT_EQ(translateVirtualKey(13), -25);
    EXPECT_EQ(translateVirtualKey(17), -29);
    EXPECT_EQ(translateVirtualKey(18), -30);
    EXPECT_EQ(translateVirtualKey(20), -31);
    EXPECT_EQ(translateVirtualKey(37), -21);
    EXPECT_EQ(translateVirtualKey(38), -20);
    EXPECT_EQ(translateVirtualKey(39), -23);
    EXPECT_EQ(translateVirtualKey(40), -22);
    EXPECT_EQ(translateVirtualKey(46), -26);
    for (int f = 0; f < 12; ++f) EXPECT_EQ(translateVirtualKey(112 + f), -43 + f) << "F" << f + 1;
    // Everything else passes through, including the neighbours of the mapped ranges.
    for (int code : {8, 32, 48, 57, 90, 111, 124, 36, 41, 45, 47})
        EXPECT_EQ(translateVirtualKey(code), code);
}

TEST(KeyMap, SdlKeysBecomeVirtualKeys) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 65);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 90);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), 48);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), 57);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LCTRL, SDL_SCANCODE_LCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LALT, SDL_SCANCODE_LALT), 18);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RALT, SDL_SCANCODE_RALT), 18);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DELETE, SDL_SCANCODE_DELETE), 46);
    // A layout without Latin letters still gives the letter of the key's place.
    EXPECT_EQ(virtualKeyFromSdl(0x444, SDL_SCANCODE_A), 65);
    EXPECT_EQ(virtualKeyFromSdl('&', SDL_SCANCODE_1), 49);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(WindowEvents, KeysGiveOneDownAndOneUpWithoutRepeats) {
    auto down = translate(keyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].kind, WindowInput::KeyDown);
    EXPECT_EQ(down[0].code, 65);
    EXPECT_TRUE(translate(keyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A, true)).empty());
    auto up = translate(keyEvent(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].kind, WindowInput::KeyUp);
    EXPECT_EQ(up[0].code, 65);

    auto f5 = translate(keyEvent(SDL_KEYDOWN, SDLK_F5, SDL_SCANCODE_F5));
    ASSERT_EQ(f5.size(), 1u);
    EXPECT_EQ(f5[0].code, -39);
    auto rightShift = translate(keyEvent(SDL_KEYUP, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT));
    ASSERT_EQ(rightShift.size(), 1u);
    EXPECT_EQ(rightShift[0].code, -28);
    EXPECT_TRUE(translate(keyEvent(SDL_KEYDOWN, SDLK_UNKNOWN)).empty());
}

TEST(WindowEvents, EditingKeysAlsoTypeTheirCharacterEvenWhenRepeated) {
    struct Case {
        SDL_Keycode symbol;
        int character;
        int engineCode;
    } cases[] = {{SDLK_BACKSPACE, 8, 8}, {SDLK_TAB, 9, -27}, {SDLK_RETURN, 13, -25}, {SDLK_ESCAPE, 27, -24}};
    for (const Case& c : cases) {
        auto first = translate(keyEvent(SDL_KEYDOWN, c.symbol));
        ASSERT_EQ(first.size(), 2u) << c.character;
        EXPECT_EQ(first[0].kind, WindowInput::Character);
        EXPECT_EQ(first[0].code, c.character);
        EXPECT_EQ(first[1].kind, WindowInput::KeyDown);
        EXPECT_EQ(first[1].code, c.engineCode);
        auto repeated = translate(keyEvent(SDL_KEYDOWN, c.symbol, SDL_SCANCODE_UNKNOWN, true));
        ASSERT_EQ(repeated.size(), 1u);
        EXPECT_EQ(repeated[0].kind, WindowInput::Character);
        auto released = translate(keyEvent(SDL_KEYUP, c.symbol));
        ASSERT_EQ(released.size(), 1u);
        EXPECT_EQ(released[0].kind, WindowInput::KeyUp);
    }
}

TEST(WindowEvents, TextBecomesOneCharacterPerCodePoint) {
    auto text = translate(textEvent("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));  // a, e acute, euro, emoji
    ASSERT_EQ(text.size(), 4u);
    EXPECT_EQ(text[0].code, 'a');
    EXPECT_EQ(text[1].code, 0xE9);
    EXPECT_EQ(text[2].code, 0x20AC);
    EXPECT_EQ(text[3].code, 0x1F600);
    for (const WindowInput& input : text) EXPECT_EQ(input.kind, WindowInput::Character);
    // Broken sequences are skipped without swallowing what follows them.
    auto broken = translate(textEvent("\xC3" "b\x80" "c\xE2\x82"));
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(broken[0].code, 'b');
    EXPECT_EQ(broken[1].code, 'c');
}

TEST(WindowEvents, MotionAtTheCentreIsDroppedOnlyWhileCaptured) {
    WindowInputState captured{true, 801, 601};
    WindowInputState free{false, 801, 601};
    EXPECT_TRUE(translate(motionEvent(400, 300), captured).empty());
    auto off = translate(motionEvent(401, 300), captured);
    ASSERT_EQ(off.size(), 1u);
    EXPECT_EQ(off[0].kind, WindowInput::MouseMove);
    EXPECT_EQ(off[0].x, 401);
    EXPECT_EQ(off[0].y, 300);
    EXPECT_EQ(translate(motionEvent(400, 301), captured).size(), 1u);
    auto centre = translate(motionEvent(400, 300), free);
    ASSERT_EQ(centre.size(), 1u);
    EXPECT_EQ(centre[0].x, 400);
}

TEST(WindowEvents, ButtonsAndWheel) {
    struct Case {
        Uint8 button;
        int code;
    } cases[] = {{SDL_BUTTON_LEFT, -1}, {SDL_BUTTON_MIDDLE, -2}, {SDL_BUTTON_RIGHT, -3}};
    for (const Case& c : cases) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = c.button;
        auto down = translate(e);
        ASSERT_EQ(down.size(), 1u);
        EXPECT_EQ(down[0].kind, WindowInput::ButtonDown);
        EXPECT_EQ(down[0].code, c.code);
        e.type = SDL_MOUSEBUTTONUP;
        auto up = translate(e);
        ASSERT_EQ(up.size(), 1u);
        EXPECT_EQ(up[0].kind, WindowInput::ButtonUp);
        EXPECT_EQ(up[0].code, c.code);
    }
    SDL_Event side{};
    side.type = SDL_MOUSEBUTTONDOWN;
    side.button.button = SDL_BUTTON_X1;
    EXPECT_TRUE(translate(side).empty());

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    ASSERT_EQ(translate(wheel).size(), 1u);
    EXPECT_FLOAT_EQ(translate(wheel)[0].amount, 1.0f);
    wheel.wheel.y = -1;
    EXPECT_FLOAT_EQ(translate(wheel)[0].amount, -1.0f);
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    EXPECT_FLOAT_EQ(translate(wheel)[0].amount, 1.0f);
    wheel.wheel.y = 0;
    wheel.wheel.x = 1;
    EXPECT_TRUE(translate(wheel).empty());
}

TEST(WindowEvents, WindowChangesAndTheCloseRequest) {
    for (Uint8 shown : {SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_RESTORED}) {
        auto out = translate(windowEvent(shown));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].kind, WindowInput::Activated);
    }
    auto minimised = translate(windowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(minimised.size(), 1u);
    EXPECT_EQ(minimised[0].kind, WindowInput::Minimised);
    for (Uint8 changed : {SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_MOVED}) {
        auto out = translate(windowEvent(changed));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].kind, WindowInput::MovedOrResized);
    }
    // An outside resize also reports its size change; one message for it is enough.
    EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_RESIZED)).empty());
    EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).empty());
    auto close = translate(windowEvent(SDL_WINDOWEVENT_CLOSE));
    ASSERT_EQ(close.size(), 1u);
    EXPECT_EQ(close[0].kind, WindowInput::CloseRequest);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(translate(quit).size(), 1u);
    EXPECT_EQ(translate(quit)[0].kind, WindowInput::CloseRequest);
}
