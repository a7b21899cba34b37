#pragma once

#include "core/context.h"

namespace orvi {

// The link verification that probes every found file on its server. Clearing
// the catalogue stops it (so that no probe still holds a file) and starts it
// again.
void StartVerification(Context& ctx);
void StopVerification(Context& ctx);

}  // namespace orvi
