// Placeholder until the airflow element types land: the name, type code and
// icon that the rest of the model relies on.
#pragma once

#include <cstdint>

#include "app/lists.h"

namespace avelor {

struct AirflowElement : NamedLink<AirflowElement> {
    std::int16_t type = 0;
    std::uint8_t icon = 23;
};

}  // namespace avelor
