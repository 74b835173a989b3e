// The hidden sub-paths of flow paths whose element is a super element:
// each such path owns a chain of further path records, one per
// sub-element, that no icon shows. The chains belong to the project, so
// that saving, reading and deleting keep them with their parent.
#pragma once

#include <map>
#include <vector>

#include "model/records.h"

namespace avelor {

template <typename T>
class NumberedList;

class SubPathChains {
public:
    // The sub-paths of parent, in sub-element order (none: empty).
    const std::vector<FlowPath*>& of(const FlowPath* parent) const;
    // Releases every sub-path of parent's chain from paths and forgets the
    // chain.
    void release(NumberedList<FlowPath>& paths, const FlowPath* parent);
    void append(const FlowPath* parent, FlowPath* sub) { chains_[parent].push_back(sub); }
    // Forgets every chain (the records stay).
    void clear() { chains_.clear(); }
    bool empty() const { return chains_.empty(); }

private:
    std::map<const FlowPath*, std::vector<FlowPath*>> chains_;
};

}  // namespace avelor
