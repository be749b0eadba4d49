// The boxes a compute or routing run reads, checked before anything runs: a box that
// is not blank must start with a number (letters would silently count as 0), and the
// time step and basin area must be ones a hydrograph can be computed with.
#pragma once

#include <QString>
#include <optional>

namespace corv {

struct ComputeBoxes;

// The message refusing the run, naming the first unusable box by its caption; nothing
// when every box the run reads is usable. routing: the route/combine path with the
// selected routing option; otherwise the compute path. A blank box keeps its meaning
// and text after a leading number is ignored, as the leading-number rule reads it.
std::optional<QString> refusedBox(const ComputeBoxes& boxes, bool routing);

}  // namespace corv
