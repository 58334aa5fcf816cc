// Named functions that a data file may call in place of a value ("function randTo 10"): each reads its
// own arguments from the stream, is called, and its result is stored in the value being read.
#pragma once

#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <utility>

#include "core/ResultTarget.h"
#include "core/TextFormat.h"

class BaseInStream;

struct Function {
    virtual ~Function() = default;
    // Reads the arguments from the stream, calls the function and stores the result through target.
    virtual void call(BaseInStream& in, const ResultTarget& target) = 0;
    virtual int getArgumentCount() const = 0;
    // Reads the arguments as call does and throws them away (a call whose value is not wanted).
    virtual void skipArguments(BaseInStream& in) = 0;
};

namespace function_detail {
// Whether values of that type are arithmetic ones that assignArithmetic can store.
bool isArithmetic(const std::type_info& type);
// Assigns an arithmetic result to an arithmetic destination of another type; false when either is not.
bool assignArithmetic(const ResultTarget& target, long double result, bool resultIsIntegral);
// One line on std::cerr: the function's result does not fit the value being read.
void reportMismatch(BaseInStream& in, const std::string& function, const std::type_info& result,
                    const ResultTarget& target);
}  // namespace function_detail

// Stores a result through a target: kind 0 assigns (an arithmetic result converts to another arithmetic
// type); kinds 1 to 4 take a new heap copy, which must be of the pointer's class or derive from it.
template <class R>
bool storeResult(const ResultTarget& target, const R& result) {
    if (target.destination == nullptr || target.type == nullptr) return false;
    if (target.kind == ResultTarget::value) {
        if (*target.type == typeid(R)) {
            *static_cast<R*>(target.destination) = result;
            return true;
        }
        if constexpr (std::is_arithmetic_v<R>)
            return function_detail::assignArithmetic(target, static_cast<long double>(result),
                                                     std::is_integral_v<R>);
        return false;
    }
    if (target.kind < ResultTarget::plainPointer || target.kind > ResultTarget::owningPointerKeepSame ||
        target.adopt == nullptr)
        return false;
    if constexpr (std::is_class_v<R>) {
        R* copy = new R(result);
        if (target.adopt(target.destination, typeid(R), &throwAsPointer<R>, copy)) return true;
        delete copy;
    }
    return false;
}

// The wrapper of one function of result R and arguments A...; N is the argument count.
template <class R, class F, int N, class... A>
class TemplatizedFunction : public Function {
public:
    TemplatizedFunction(std::string name, F function) : name(std::move(name)), function(function) {}

    void call(BaseInStream& in, const ResultTarget& target) override {
        std::tuple<std::decay_t<A>...> arguments{};
        // Arguments are read in order, each like any other value.
        std::apply([&in](auto&... argument) { (readValue(in, argument), ...); }, arguments);
        // Arguments cut short by bad input are not used: the value keeps what it held.
        if (in.hasFailed()) return;
        if (!accepts(target)) {
            function_detail::reportMismatch(in, name, typeid(R), target);
            return;
        }
        R result = std::apply(function, arguments);
        if (!storeResult(target, result)) function_detail::reportMismatch(in, name, typeid(R), target);
    }

    int getArgumentCount() const override { return N; }

    void skipArguments(BaseInStream& in) override {
        std::tuple<std::decay_t<A>...> arguments{};
        std::apply([&in](auto&... argument) { (readValue(in, argument), ...); }, arguments);
    }

private:
    static bool accepts(const ResultTarget& target) {
        if (target.type == nullptr) return false;
        if (target.kind == ResultTarget::value) {
            if (*target.type == typeid(R)) return true;
            if constexpr (std::is_arithmetic_v<R>) return function_detail::isArithmetic(*target.type);
            return false;
        }
        return std::is_class_v<R> && target.adopt != nullptr;
    }

    std::string name;
    F function;
};

// The function registry: name -> function; created on first use.
std::unordered_map<std::string, std::shared_ptr<Function>>& getFunctionRegistry();

// The function registered under that exact name, or null.
std::shared_ptr<Function> findFunction(const std::string& name);

template <class Signature>
struct FunctionRegistration;
template <class R, class... A>
struct FunctionRegistration<R(A...)> {
    static void add(const std::string& name, R (*function)(A...)) {
        getFunctionRegistry()[name] = std::make_shared<TemplatizedFunction<R, R (*)(A...), sizeof...(A), A...>>(
            name, function);
    }
};

// registerFunction<Model(int)>("Model::createSphere", &Model::createSphere): enters the function under
// the name, replacing (and releasing) one registered before under it.
template <class Signature, class F>
void registerFunction(const std::string& name, F function) {
    FunctionRegistration<Signature>::add(name, function);
}

// Registers the data functions of this library: "randTo" and "getRandomColor". The start-up calls it
// before registering the mesh and texture builders.
void registerCoreFunctions();

// Carries out "function <name> <arguments>" for the value described by target. An unknown name is
// reported and stepped over with its arguments (skipFunctionCall), leaving the value as it was.
void callFunction(BaseInStream& in, const std::string& name, const ResultTarget& target);
// Reads a call's arguments and throws them away; `line` is the line of "function". The arguments of an
// unknown function are the tokens after its name on that line (on input that is all one line, only
// the numbers and quoted strings right after the name).
void skipFunctionCall(BaseInStream& in, const std::string& name, int line);
