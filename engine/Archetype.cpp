// Archetypes: capturing an inline definition through the archetype itself, storing and rereading its
// text, and building objects from it for "archetype" references.
#include "engine/Archetype.h"

#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"

namespace {

const auto& archetypeRegistration = registerType<Archetype>();

// "archetype" and a name in place of an object: a new object from that archetype of the running level.
void* instantiateByName(BaseInStream& in, const std::string& name, const Type*& type) {
    type = nullptr;
    Archetype* archetype = findArchetype(name);
    if (!archetype) {
        in.warn("there is no archetype \"" + name + "\"; nothing is built from it");
        return nullptr;
    }
    void* object = nullptr;
    type = createObjectFromTextRaw(archetype->className, archetype->text, object);
    return type ? object : nullptr;
}

const bool instantiatorInstalled = (setArchetypeInstantiator(&instantiateByName), true);

const Field<Archetype> archetypeFields[] = {field<&Archetype::text>("text")};

}  // namespace

Archetype::~Archetype() = default;

Archetype* findArchetype(const std::string& name) {
    if (!currentGameState) return nullptr;
    auto found = currentGameState->archetypes.find(name);
    return found == currentGameState->archetypes.end() ? nullptr : found->second.get();
}

bool Archetype::takeToken(std::string& token) {
    token.clear();
    if (!source) return false;
    source->readToken(token);
    if (token.empty()) return false;
    if (token.compare(0, 2, "//") != 0) recordedTokens.push_back(token);
    return true;
}

BaseInStream& Archetype::readToken(std::string& token) {
    takeToken(token);
    return *this;
}

template <class T>
BaseInStream& Archetype::readConverted(T& value) {
    std::string token;
    if (takeToken(token)) convertToken(token, value);
    return *this;
}

BaseInStream& Archetype::read(long double& value) { return readConverted(value); }
BaseInStream& Archetype::read(double& value) { return readConverted(value); }
BaseInStream& Archetype::read(float& value) { return readConverted(value); }
BaseInStream& Archetype::read(unsigned long long& value) { return readConverted(value); }
BaseInStream& Archetype::read(long long& value) { return readConverted(value); }
BaseInStream& Archetype::read(unsigned long& value) { return readConverted(value); }
BaseInStream& Archetype::read(long& value) { return readConverted(value); }
BaseInStream& Archetype::read(unsigned int& value) { return readConverted(value); }
BaseInStream& Archetype::read(int& value) { return readConverted(value); }
BaseInStream& Archetype::read(unsigned short& value) { return readConverted(value); }
BaseInStream& Archetype::read(short& value) { return readConverted(value); }
BaseInStream& Archetype::read(unsigned char& value) { return readConverted(value); }
BaseInStream& Archetype::read(signed char& value) { return readConverted(value); }
BaseInStream& Archetype::read(bool& value) { return readConverted(value); }

BaseInStream& Archetype::read(char& value) {
    // Layout codes are "read" with the code preset: nothing is taken.
    if (value == BaseOutStream::lineEnd || value == BaseOutStream::indent || value == BaseOutStream::dedent)
        return *this;
    return readConverted(value);
}

BaseInStream& Archetype::readLine() {
    if (source) source->readLine();
    return *this;
}

BaseInStream& Archetype::unget(const std::string& token) {
    if (!source) return *this;
    source->unget(token);
    if (!token.empty() && token.compare(0, 2, "//") != 0 && !recordedTokens.empty()) recordedTokens.pop_back();
    return *this;
}

void Archetype::fail(const std::string& problem) {
    if (source)
        source->fail(problem);
    else
        BaseInStream::fail(problem);
}

void Archetype::warn(const std::string& problem) const {
    if (source)
        source->warn(problem);
    else
        BaseInStream::warn(problem);
}

bool Archetype::hadProblems() const { return source ? source->hadProblems() : BaseInStream::hadProblems(); }

bool Archetype::readQuotedRest(std::string& text, bool& closed) {
    closed = false;
    if (!source) return false;
    const std::size_t before = text.size();
    if (!source->readQuotedRest(text, closed)) return false;
    if (!recordedTokens.empty()) recordedTokens.back().append(text, before, std::string::npos);
    return true;
}

bool Archetype::hasFailed() const { return source ? source->hasFailed() : BaseInStream::hasFailed(); }

const std::string& Archetype::getName() const { return source ? source->getName() : BaseInStream::getName(); }

int Archetype::getLine() const { return source ? source->getLine() : 0; }

void Archetype::read(BaseInStream& in, int version) {
    if (version == 0) {
        // The definition stands inline: read it through this archetype, which keeps every token.
        readStringToken(in, className);
        if (className.empty()) {
            in.fail("an archetype ends before its definition");
            return;
        }
        const Type* type = findType(className);
        if (!type) {
            reportUnknownClass(className);
            in.fail("archetype of unknown class \"" + className + "\"");
            return;
        }
        in.unget(className);
        recordedTokens.clear();
        source = &in;
        type->skip(*this);
        source = nullptr;
        text.clear();
        for (const std::string& token : recordedTokens) {
            text += token;
            text += ' ';
        }
        recordedTokens.clear();
        return;
    }
    readFields(in, *this, archetypeFields);
    std::istringstream definition(text);
    IStreamWrapper wrapper(definition, "archetype text");
    className.clear();
    readStringToken(wrapper, className);
}

void Archetype::write(BaseOutStream& out, int) const {
    writeFields(out, *this, archetypeFields);
}
