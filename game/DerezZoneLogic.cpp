// The registration of the DerezZoneLogic logic type.
#include "game/DerezZoneLogic.h"

#include "core/SerializeType.h"

namespace {
const auto& registeredType = registerType<DerezZoneLogic>("DerezZoneLogic");
}
