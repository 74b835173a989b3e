// Renumbering before a save: every record list numbered 1..count in
// drawing order (levels from the top down, each level's icons in list
// order), records that no icon reaches dropped, and the icons given the new
// numbers.
#pragma once

#include <cstddef>

#include "model/project.h"

namespace avelor {

// More simple air-handling systems than this on one level stop a pack with
// the counted error "Too many systems on one level".
inline constexpr std::size_t kMaxSystemsPerLevel = 128;

// Zones: each zone icon's zone, then per level the return and supply zones
// of its simple air-handling systems; phantom icons follow their zone.
// False after a counted error that left the numbering unchanged.
bool pack_zones(Project& project);

// Paths (with their filters and the sub-paths of super-element paths),
// annotations, exposures, sources/sinks, duct segments and junctions, then
// the systems' own three paths. False after a counted error.
bool pack_network(Project& project);

// Control nodes: each node icon (sensor ends, control and super nodes) in
// walking order gives its node the next number, a super node's copies of
// its element's nodes following it; then every link-layer icon takes the
// new number of the node it names. A reference to a node left out names
// none afterwards.
bool pack_controls(Project& project);

// A super element's own nodes in the order of the node icons of its sketch
// (codes 181-189), its sketch icons given the new numbers. Writes "Super
// Element has no subnodes." into the run log for an element without a
// sketch, and then changes nothing.
void pack_super_element(SuperElement& element);

// The wind pressure file flags of paths and junctions. Reports "WPC
// definition error for path " with the number where a path cannot use it.
void set_wpc_flags(Project& project, bool wpc_in_use);

// After the paths of a file are read: a path whose element is a super
// element owns the k paths that follow it (k = the element's sub-element
// count) when no icon shows any of them; those chains are remembered again
// in project.sub_paths. Earlier chains are forgotten.
void rebuild_sub_paths(Project& project);

}  // namespace avelor
