// Building species for model tests.
#pragma once

#include <cstdint>
#include <string>

#include "model/project.h"
#include "model/species.h"

namespace avelor::testing {

inline Species* add_species(Project& project, const std::string& name, std::int16_t t, float CCdef,
                            std::int16_t s = 1)
{
    Species species = new_species();
    species.name = name;
    species.t = t;
    species.s = s;
    species.CCdef = CCdef;
    return project.species.insert_copy(species);
}

}  // namespace avelor::testing
