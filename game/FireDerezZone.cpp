// The registration of the FireDerezZone logic type.
#include "game/FireDerezZone.h"

#include "core/SerializeType.h"

namespace {
const auto& registeredType = registerType<FireDerezZone>("FireDerezZone");
}
