#pragma once
// The start-up decision of the update check: continue, offer the new version,
// announce and download it, or end the process when no usable manifest came.

#include "common/BuildConstants.h"
#include "common/Text.h"

namespace tallowin::update {

// Returns when start-up may continue; otherwise ends the process (exit code 0).
// The caller passes its CurrentVersion and UpdateKey.
void CheckForUpdate(const common::Text& currentVersion, const common::Text& key,
                    const common::Text& host = common::kUpdateHost);

}  // namespace tallowin::update
