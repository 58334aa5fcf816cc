// The function registry and the "function" directive of the text format.
#include "core/Function.h"

#include <cmath>
#include <limits>
#include <vector>

#include "core/BaseInStream.h"
#include "core/Random.h"
#include "core/Type.h"

std::unordered_map<std::string, std::shared_ptr<Function>>& getFunctionRegistry() {
    static auto* registry = new std::unordered_map<std::string, std::shared_ptr<Function>>();
    return *registry;
}

std::shared_ptr<Function> findFunction(const std::string& name) {
    auto& registry = getFunctionRegistry();
    auto found = registry.find(name);
    return found == registry.end() ? nullptr : found->second;
}

void registerCoreFunctions() {
    registerFunction<int(int)>("randTo", &randTo);
    registerFunction<Vector4()>("getRandomColor", &getRandomColor);
}

void callFunction(BaseInStream& in, const std::string& name, const ResultTarget& target) {
    std::shared_ptr<Function> function = findFunction(name);
    if (!function) {
        skipFunctionCall(in, name, in.getLine());
        return;
    }
    function->call(in, target);
}

void skipFunctionCall(BaseInStream& in, const std::string& name, int line) {
    if (name.empty()) {
        in.fail("unexpected end of input after \"function\"");
        return;
    }
    if (std::shared_ptr<Function> function = findFunction(name)) {
        function->skipArguments(in);
        return;
    }
    in.warn("unknown function \"" + name + "\" is skipped with its arguments; the value is left as it was");
    std::vector<std::string> onLine;
    std::string token;
    bool lineEnded = false;
    for (;;) {
        in.readToken(token);
        if (token.empty()) break;
        if (line > 0 && in.getLine() != line) {
            in.unget(token);
            lineEnded = true;
            break;
        }
        onLine.push_back(token);
    }
    if (lineEnded || line <= 0) return;
    // All one line: only what surely is an argument is taken; the rest is given back in order.
    std::size_t taken = 0;
    while (taken < onLine.size()) {
        const std::string& argument = onLine[taken];
        if (argument[0] == '"') {
            // A quoted string runs to the token that closes it.
            std::size_t last = taken;
            auto closes = [](const std::string& t, bool first) {
                const std::size_t n = t.size();
                return n >= (first ? 2u : 1u) && t[n - 1] == '"' && (n < 2 || t[n - 2] != '\\');
            };
            while (last < onLine.size() && !closes(onLine[last], last == taken)) ++last;
            if (last == onLine.size()) break;
            taken = last + 1;
            continue;
        }
        const bool number = (argument[0] >= '0' && argument[0] <= '9') ||
                            ((argument[0] == '-' || argument[0] == '.' || argument[0] == '+') && argument.size() > 1);
        if (!number) break;
        ++taken;
    }
    for (std::size_t i = onLine.size(); i > taken; --i) in.unget(onLine[i - 1]);
}

namespace function_detail {
namespace {
template <class T>
bool assignIf(const ResultTarget& target, long double result, bool integral) {
    if (*target.type != typeid(T)) return false;
    T& destination = *static_cast<T*>(target.destination);
    if constexpr (std::is_same_v<T, bool>) {
        destination = result != 0;
    } else if constexpr (std::is_integral_v<T>) {
        // Out-of-range and non-finite results are clamped rather than converted undefinedly.
        if (!std::isfinite(result)) {
            destination = 0;
        } else if (result <= static_cast<long double>(std::numeric_limits<T>::lowest())) {
            destination = std::numeric_limits<T>::lowest();
        } else if (result >= static_cast<long double>(std::numeric_limits<T>::max())) {
            destination = std::numeric_limits<T>::max();
        } else {
            destination = static_cast<T>(result);
        }
    } else if (std::isfinite(result) && std::fabs(result) > static_cast<long double>(std::numeric_limits<T>::max())) {
        destination = result > 0 ? std::numeric_limits<T>::infinity() : -std::numeric_limits<T>::infinity();
    } else {
        destination = static_cast<T>(result);
    }
    (void)integral;
    return true;
}
}  // namespace

bool isArithmetic(const std::type_info& type) {
    return type == typeid(int) || type == typeid(unsigned int) || type == typeid(float) || type == typeid(double) ||
           type == typeid(bool) || type == typeid(char) || type == typeid(short) || type == typeid(unsigned short) ||
           type == typeid(long) || type == typeid(unsigned long) || type == typeid(long long) ||
           type == typeid(unsigned long long) || type == typeid(unsigned char) || type == typeid(signed char) ||
           type == typeid(long double);
}

bool assignArithmetic(const ResultTarget& target, long double result, bool integral) {
    if (target.type == nullptr || target.destination == nullptr) return false;
    return assignIf<int>(target, result, integral) || assignIf<unsigned int>(target, result, integral) ||
           assignIf<float>(target, result, integral) || assignIf<double>(target, result, integral) ||
           assignIf<bool>(target, result, integral) || assignIf<char>(target, result, integral) ||
           assignIf<short>(target, result, integral) || assignIf<unsigned short>(target, result, integral) ||
           assignIf<long>(target, result, integral) || assignIf<unsigned long>(target, result, integral) ||
           assignIf<long long>(target, result, integral) || assignIf<unsigned long long>(target, result, integral) ||
           assignIf<unsigned char>(target, result, integral) || assignIf<signed char>(target, result, integral) ||
           assignIf<long double>(target, result, integral);
}

void reportMismatch(BaseInStream& in, const std::string& function, const std::type_info& result,
                    const ResultTarget& target) {
    const std::string wanted = target.type ? cachedTypeName(*target.type) : std::string("value");
    in.warn("function \"" + function + "\" gives a " + cachedTypeName(result) + ", which cannot be stored in a " +
            wanted + "; the value is left as it was");
}
}  // namespace function_detail
