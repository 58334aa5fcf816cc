// Base behaviour of entity components and the text of their base part.
#include "engine/Component.h"

#include "core/TextFormat.h"

Component::Component(const Component& other) : owner(other.owner), disabled(other.disabled) {}

Component& Component::operator=(const Component& other) {
    owner = other.owner;
    disabled = other.disabled;
    return *this;
}

Component::~Component() = default;

void Component::read(BaseInStream& in, int) { readComponentFields(in, *this); }

void Component::write(BaseOutStream& out, int) { writeComponentFields(out, *this); }

void Component::initialize() { initialised = true; }

void Component::update(float) {}

void Component::onDisabledChanged(bool) {}

void Component::copyBase(const Component& other) {
    owner = other.owner;
    disabled = other.disabled;
}

void readDisabledPart(BaseInStream& in, bool& disabled) {
    std::string key;
    while (readKey(in, key)) {
        if (key == "disabled") {
            readValue(in, disabled);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void writeDisabledPart(BaseOutStream& out, const bool& disabled) {
    writeField(out, "disabled", disabled);
    writeEnd(out);
}

void readComponentFields(BaseInStream& in, Component& component) { readDisabledPart(in, component.disabled); }

void writeComponentFields(BaseOutStream& out, const Component& component) {
    writeDisabledPart(out, component.disabled);
}
