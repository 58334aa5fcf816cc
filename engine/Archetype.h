// A named, stored definition of one object (as a rule an entity with its components) that a level
// declares once and uses many times: "archetype" and a name in place of an object builds a new one.
// While it captures an inline definition the archetype is itself the input stream the object is read
// through, passing every token on and keeping a copy.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/BaseInStream.h"
#include "core/SerializeType.h"

class BaseOutStream;

class Archetype : public BaseInStream {
public:
    Archetype() = default;
    ~Archetype() override;

    // Reads take their token from `source` (its pushed-back tokens first) and record it, "//"
    // comment tokens excepted; outside a capture they meet the end of the input.
    BaseInStream& readToken(std::string& token) override;
    BaseInStream& read(long double& value) override;
    BaseInStream& read(double& value) override;
    BaseInStream& read(float& value) override;
    BaseInStream& read(unsigned long long& value) override;
    BaseInStream& read(long long& value) override;
    BaseInStream& read(unsigned long& value) override;
    BaseInStream& read(long& value) override;
    BaseInStream& read(unsigned int& value) override;
    BaseInStream& read(int& value) override;
    BaseInStream& read(unsigned short& value) override;
    BaseInStream& read(short& value) override;
    BaseInStream& read(unsigned char& value) override;
    BaseInStream& read(signed char& value) override;
    BaseInStream& read(char& value) override;
    BaseInStream& read(bool& value) override;
    // Passed on to the source (the rest of a comment line is not recorded).
    BaseInStream& readLine() override;
    // Passed on to the source; the token last recorded is taken back out.
    BaseInStream& unget(const std::string& token) override;

    // Failures and positions belong to the stream being captured from.
    void fail(const std::string& problem) override;
    void warn(const std::string& problem) const override;
    bool hasFailed() const override;
    bool hadProblems() const override;
    // Passed on to the source; what it takes is added to the token last recorded.
    bool readQuotedRest(std::string& text, bool& closed) override;
    const std::string& getName() const override;
    int getLine() const override;

    int getVersion() const { return 1; }
    // Version 0: an inline object, captured token by token; version 1 or more: the field "text".
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version) const;

    // The tokens taken from `source` during a capture; empty otherwise.
    std::vector<std::string> recordedTokens;
    // The class of the defined object: the first token of `text`.
    std::string className;
    // The stored definition: every token followed by one blank, class name first.
    std::string text;
    // The stream captured from; null outside a capture.
    BaseInStream* source = nullptr;

private:
    bool takeToken(std::string& token);
    template <class T>
    BaseInStream& readConverted(T& value);
};

// A new object built from the archetype into a plain pointer (nothing is freed). The object shares
// nothing with the archetype; an entity takes a fresh id unless the stored text carries an "id".
// On failure (unknown class, class that is not a T) the pointer becomes null after a report.
template <class T>
T* instantiateArchetype(const Archetype& archetype, T*& pointer) {
    pointer = createObjectFromText<T>(archetype.className, archetype.text);
    return pointer;
}

// The same into an owning pointer: the object it held before, when it differs, is freed. On failure
// the pointer keeps its object.
template <class T>
T* createObjectFromText(const Archetype& archetype, std::unique_ptr<T>& pointer) {
    T* object = createObjectFromText<T>(archetype.className, archetype.text);
    if (object && object != pointer.get()) pointer.reset(object);
    return object;
}

// The archetype of that name in the current game state, or null.
Archetype* findArchetype(const std::string& name);
