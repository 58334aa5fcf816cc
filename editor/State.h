// The editor's modes are states of a small state machine: the machine owns the mode being run and the
// one it switches to next, and switches between frames so that a mode is never deleted while it runs.
#pragma once

class BaseInStream;
class BaseOutStream;
class StateMachine;

class State {
public:
    State() = default;
    State(const State& other) = default;
    State& operator=(const State&) = delete;
    virtual ~State();

    // Takes over the machine the other state runs in.
    virtual State& copyBase(const State& other);
    virtual int getVersion() const { return 2; }
    // The "State" part: no fields since version 2; versions 1 and 0 carried a time that is dropped.
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
    // Called once when the state becomes the machine's current state.
    virtual void enter() {}
    // Once per frame while current.
    virtual void update(float dt) {}
    virtual State* clone() const = 0;

    StateMachine* machine = nullptr;  // not owned
};

class StateMachine {
public:
    StateMachine() = default;
    StateMachine(const StateMachine&) = delete;
    StateMachine& operator=(const StateMachine&) = delete;
    // Deletes the pending state, then the current one.
    virtual ~StateMachine();

    virtual int getVersion() const { return 1; }

    // Asks for a switch at the next step. A pending state that was never reached is deleted.
    void setNextState(State* state);
    // The switch when one is pending (the old state is deleted before the new one is entered), then
    // the current state's frame.
    void step(float dt);
    // Deletes both states now (the owner's teardown).
    void deleteStates();

    // The "StateMachine" part: "currentState" and "nextState" in either order (version 0: the two
    // pointers bare, current first). A machine read from text has the switch to its state pending.
    void readMachine(BaseInStream& in, int version);
    // A running machine is written with its state as "currentState" and "NULL" as "nextState".
    void writeMachine(BaseOutStream& out, int version);

    State* currentState = nullptr;  // owned
    State* nextState = nullptr;     // owned; the same object as currentState when no switch is pending
};
