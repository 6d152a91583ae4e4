#pragma once
// What lives for the whole process: the document reader of the search browser
// and the few process-wide texts.

#include <memory>

#include "common/Text.h"

namespace tallowin::support {
class BrowserDocument;
}

namespace tallowin::app {

// Bound to the search browser by each check run; null before CreateGlobals
// and after DestroyGlobals.
extern std::unique_ptr<support::BrowserDocument> SearchDocument;
extern common::Text CurrentVersion;
extern common::Text UpdateKey;
// The comparison address of the row the details window was last filled from.
extern common::Text ComparisonAddress;

void CreateGlobals();
// Registered as the process teardown; safe to run when nothing was created.
void DestroyGlobals();

}  // namespace tallowin::app
