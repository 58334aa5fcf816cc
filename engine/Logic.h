// The component that tells what kind of level object an entity is: a logic type number from a fixed
// table of names, so that one object can ask another for its kind without knowing its class. Every
// gameplay class that reacts to the hero or to other objects derives from it.
#pragma once

#include <map>
#include <string>

#include "engine/Component.h"
#include "engine/EventHandler.h"

class BaseInStream;
class BaseOutStream;

class Logic : public Component, public EventHandler {
public:
    static constexpr unsigned serializeFlags = typeIsComponent | typeIsLogic;

    // Type 0, "INVALID_TYPE".
    Logic();
    // The given type name and its number from the table (0 when it is not there).
    explicit Logic(const std::string& typeName);
    // Unowned, enabled, not initialised and without registrations; type and name copied.
    Logic(const Logic& other);
    Logic& operator=(const Logic& other);
    ~Logic() override;

    Component* clone() const override;
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    void update(float dt) override;

    int logicType = 0;
    std::string typeName = "INVALID_TYPE";
};

// Name -> number of the logic types "HERO" (1) to "BARRIER" (13), compared byte by byte.
std::map<std::string, int>& logicTypeIds();
// Fills the table; names already present keep their numbers.
void initializeLogicTypeIds();
// The number of a type name, or 0 when it is not in the table.
int logicTypeFromName(const std::string& name);

// The Logic part: with version 1 or more first the Component part under "0 Component", then
// "typeName" and "end". Both leave logicType computed from typeName.
void readLogicFields(BaseInStream& in, Logic& logic, int version);
void writeLogicFields(BaseOutStream& out, Logic& logic, int version);
// The whole class part of a Logic subclass without fields of its own: "1 Logic", the Logic part,
// then "end"; and its mirror.
void writeLogicSection(BaseOutStream& out, Logic& logic);
void readLogicSection(BaseInStream& in, Logic& logic);
