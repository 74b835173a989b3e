#include "model/sub_paths.h"

#include "app/lists.h"

namespace avelor {

const std::vector<FlowPath*>& SubPathChains::of(const FlowPath* parent) const
{
    static const std::vector<FlowPath*> none;
    auto it = chains_.find(parent);
    return it == chains_.end() ? none : it->second;
}

void SubPathChains::release(NumberedList<FlowPath>& paths, const FlowPath* parent)
{
    auto it = chains_.find(parent);
    if (it == chains_.end()) return;
    for (FlowPath* sub : it->second) paths.release(sub->nr);
    chains_.erase(it);
}

}  // namespace avelor
