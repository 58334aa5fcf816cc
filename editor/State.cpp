// The state machine that runs the editor's modes, and the text of states and machines.
#include "editor/State.h"

#include "core/TextFormat.h"
#include "editor/EditorState.h"

namespace {

// Only editor modes may stand in a machine: another class named in the text is reported and read as
// null, never used as a state.
void readStatePointer(BaseInStream& in, State*& state) {
    EditorState* read = nullptr;
    readValue(in, read);
    if (read == state) return;
    delete state;
    state = read;
}

void writeStatePointer(BaseOutStream& out, State* state) { writeValue(out, state); }

}  // namespace

State::~State() = default;

State& State::copyBase(const State& other) {
    machine = other.machine;
    return *this;
}

void State::read(BaseInStream& in, int version) {
    if (version == 0) {
        float dropped = 0.0f;
        readValue(in, dropped);
        return;
    }
    std::string key;
    while (readKey(in, key)) {
        if (key == "timeInState" && version == 1) {
            float dropped = 0.0f;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void State::write(BaseOutStream& out, int) { writeEnd(out); }

StateMachine::~StateMachine() { deleteStates(); }

void StateMachine::deleteStates() {
    State* current = currentState;
    State* next = nextState;
    currentState = nullptr;
    nextState = nullptr;
    if (next && next != current) delete next;
    delete current;
}

void StateMachine::setNextState(State* state) {
    if (nextState && nextState != currentState && nextState != state) delete nextState;
    nextState = state;
}

void StateMachine::step(float dt) {
    // A machine left without a next state keeps running the state it has.
    if (nextState && nextState != currentState) {
        delete currentState;
        currentState = nextState;
        currentState->machine = this;
        currentState->enter();
    }
    if (currentState) currentState->update(dt);
}

void StateMachine::readMachine(BaseInStream& in, int version) {
    const bool wasEmpty = currentState == nullptr;
    if (nextState == currentState) nextState = nullptr;
    if (version == 0) {
        readStatePointer(in, currentState);
        readStatePointer(in, nextState);
    } else {
        std::string key;
        while (readKey(in, key)) {
            if (key == "currentState") {
                readStatePointer(in, currentState);
            } else if (key == "nextState") {
                readStatePointer(in, nextState);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    // "NULL" as the next state means no switch of its own; a fresh machine then switches to the state
    // read, so that its first step enters it.
    if (!nextState) nextState = currentState;
    if (wasEmpty && currentState == nextState) currentState = nullptr;
    if (currentState) currentState->machine = this;
    if (nextState) nextState->machine = this;
}

void StateMachine::writeMachine(BaseOutStream& out, int version) {
    State* next = nextState == currentState ? nullptr : nextState;
    if (version == 0) {
        writeStatePointer(out, currentState);
        writeStatePointer(out, next);
        return;
    }
    writeStringToken(out, "currentState");
    writeCode(out, BaseOutStream::indent);
    writeStatePointer(out, currentState);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    out.attributes.clear();
    writeStringToken(out, "nextState");
    writeCode(out, BaseOutStream::indent);
    writeStatePointer(out, next);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    out.attributes.clear();
    writeEnd(out);
}
