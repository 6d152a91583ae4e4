#include "app/Globals.h"

#include "app/DetailsWindow.h"
#include "support/BrowserDocument.h"

namespace tallowin::app {

std::unique_ptr<support::BrowserDocument> SearchDocument;
common::Text CurrentVersion;
common::Text UpdateKey;
common::Text ComparisonAddress;

void CreateGlobals() { SearchDocument = std::make_unique<support::BrowserDocument>(); }

void DestroyGlobals() {
    // A details window still open when the process ends keeps its place for
    // the next start, as closing it would have.
    DetailsWindow::SaveOpenWindowPosition();
    SearchDocument.reset();
    CurrentVersion = {};
    UpdateKey = {};
    ComparisonAddress = {};
}

}  // namespace tallowin::app
