// The function registry and the "function" directive of the text format.
#include "core/Function.h"

#include <cmath>
#include <limits>

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
        // Its arguments cannot be stepped over without knowing them, so reading stops here.
        in.fail("unknown function \"" + name + "\"");
        return;
    }
    function->call(in, target);
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
