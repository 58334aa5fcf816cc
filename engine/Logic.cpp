// The logic component and the table of logic type names.
#include "engine/Logic.h"

#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {

const auto& logicRegistration = registerType<Logic>();

// In number order; the two ends only close the list and are never entered.
const char* const logicTypeNames[] = {
    "INVALID_TYPE", "HERO",        "DIRECTED_BUMPER", "BUMPER",          "FLIPPER",
    "SCORE_SPHERE", "ARROW",       "SIZE_INDICATOR",  "DASH_SPHERE",     "DEREZ_ZONE",
    "CHECK_POINT",  "FIRE_DEREZ_ZONE", "FALL_FASTER", "BARRIER",         "MAX_TYPE",
};

}  // namespace

std::map<std::string, int>& logicTypeIds() {
    static std::map<std::string, int> table;
    return table;
}

void initializeLogicTypeIds() {
    for (int i = 1; i <= 13; ++i) logicTypeIds().emplace(logicTypeNames[i], i);
}

int logicTypeFromName(const std::string& name) {
    const auto& table = logicTypeIds();
    auto found = table.find(name);
    return found == table.end() ? 0 : found->second;
}

Logic::Logic() = default;

Logic::Logic(const std::string& name) : logicType(logicTypeFromName(name)), typeName(name) {}

Logic::Logic(const Logic& other)
    : Component(), EventHandler(), logicType(other.logicType), typeName(other.typeName) {}

Logic& Logic::operator=(const Logic& other) {
    logicType = other.logicType;
    typeName = other.typeName;
    return *this;
}

Logic::~Logic() = default;

Component* Logic::clone() const { return new Logic(*this); }

void Logic::read(BaseInStream& in, int version) { readLogicFields(in, *this, version); }

void Logic::write(BaseOutStream& out, int version) { writeLogicFields(out, *this, version); }

void Logic::update(float) {}

namespace {
const Field<Logic> logicFields[] = {field<&Logic::typeName>("typeName")};
}  // namespace

void readLogicFields(BaseInStream& in, Logic& logic, int version) {
    if (version >= 1) {
        readBaseHeader(in);
        readComponentFields(in, logic);
    }
    readFields(in, logic, logicFields);
    logic.logicType = logicTypeFromName(logic.typeName);
}

void writeLogicFields(BaseOutStream& out, Logic& logic, int version) {
    if (version >= 1) {
        writeBaseHeader(out, 0, "Component");
        writeComponentFields(out, logic);
        writeBaseEnd(out);
    }
    writeFields(out, logic, logicFields);
    logic.logicType = logicTypeFromName(logic.typeName);
}

void writeLogicSection(BaseOutStream& out, Logic& logic) {
    writeBaseHeader(out, 1, "Logic");
    writeLogicFields(out, logic, 1);
    writeBaseEnd(out);
    writeEnd(out);
}

void readLogicSection(BaseInStream& in, Logic& logic) {
    const int version = readBaseHeader(in);
    readLogicFields(in, logic, version);
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}
