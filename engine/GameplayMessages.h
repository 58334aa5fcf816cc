// The messages the gameplay components send one another and the HUD: info lines, power-ups, size
// changes, the time-attack clock's stop and the end of a level's first part.
#pragma once

#include <string>

#include "core/Vector4.h"
#include "engine/Message.h"
#include "engine/MessageTypes.h"

class InfoMessage : public Message {
public:
    explicit InfoMessage(std::string text) : Message(MessageType::Info), text(std::move(text)) {}
    std::string text;  // one line of information text; may hold line breaks
};

class PowerUpMessage : public Message {
public:
    PowerUpMessage(float minSize, float maxSize, float growFactor)
        : Message(MessageType::PowerUp), minSize(minSize), maxSize(maxSize), growFactor(growFactor) {}
    float minSize;
    float maxSize;
    float growFactor;
};

class SizeChangeMessage : public Message {
public:
    SizeChangeMessage(float oldSize, float newSize)
        : Message(MessageType::SizeChange), oldSize(oldSize), newSize(newSize) {}
    float oldSize;
    float newSize;
};

class TimerOffMessage : public Message {
public:
    explicit TimerOffMessage(int mode) : Message(MessageType::TimerOff), mode(mode) {}
    int mode;  // the time-attack mode of the trigger that fired
};

class EndOfFirstPartMessage : public Message {
public:
    EndOfFirstPartMessage(const Vector4& diffuseColor, const Vector4& specularColor)
        : Message(MessageType::EndOfFirstPart), diffuseColor(diffuseColor), specularColor(specularColor) {}
    Vector4 diffuseColor;
    Vector4 specularColor;
};
