// The numbers of every message type the game sends, in one table: senders and handlers name them
// instead of writing the bare number.
#pragma once

namespace MessageType {
enum : int {
    Generic = 0,
    StateEntered = 1,         // GameStateMessage
    StateLeft = 2,            // GameStateMessage
    StateReentered = 3,       // GameStateMessage, after a restart
    WindowActive = 4,         // restored or focused
    WindowInactive = 5,       // minimised
    WindowResized = 6,        // moved or resized
    KeyDown = 7,              // KeyboardMessage
    KeyUp = 8,                // KeyboardMessage
    MouseMove = 9,            // MouseMoveMessage
    MouseDown = 10,           // ClickMessage
    MouseUp = 11,             // ClickMessage
    MouseWheel = 12,          // MouseWheelMessage
    Collision = 13,           // CollisionMessage
    EndGameReward = 14,       // plain
    EndOfFirstPart = 15,      // EndOfFirstPartMessage
    Info = 16,                // InfoMessage
    PowerUp = 17,             // PowerUpMessage
    SizeChange = 18,          // SizeChangeMessage
    TimerOff = 19,            // TimerOffMessage
    PlayMode = 20,            // plain: edit mode off
    EditMode = 21,            // plain: edit mode on
    LiveTextOn = 22,          // plain, to one entity: the editor works on it
    LiveTextOff = 23,         // plain, to one entity
    SavingLevel = 24,         // plain: the level is about to be written
    LevelSaved = 25,          // plain: the level was written
    Pause = 26,               // PauseMessage
    MenuItemChosen = 27,      // plain, to one item entity
    IntroFinished = 28,       // plain
    GameStart = 29,           // plain, dispatched at once
    PercentLoaded = 30,       // PercentLoadedMessage
    Shutdown = 31,            // plain
};
}
