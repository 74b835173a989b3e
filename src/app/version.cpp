#include "app/version.h"

namespace avelor {

int version_index(std::string_view text)
{
    for (std::size_t i = 0; i < kVersionTable.size(); ++i)
        if (kVersionTable[i] == text) return static_cast<int>(i);
    return -1;
}

}  // namespace avelor
