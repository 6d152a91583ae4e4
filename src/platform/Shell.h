#pragma once
// Shell services: special folders, opening an address in the default browser,
// showing a file selected in the file manager, and the screen size.

#include <functional>

#include "common/Text.h"

namespace tallowin::platform {

enum class SpecialFolder { Desktop, Temporary };

// The folder's path (GBK Text), always ending in "/"; "" when it cannot be
// determined. The desktop folder is not created when missing.
common::Text GetSpecialFolder(SpecialFolder folder);

// Hands the address to the desktop's "open" action (xdg-open). Not examined.
void OpenInBrowser(const common::Text& address);

// Asks the file manager to show the file selected; false when nobody answered.
bool ShowInFileManager(const common::Text& path);

struct ScreenSize {
    int width = 0;
    int height = 0;
};
// The primary screen's size in pixels.
ScreenSize PrimaryScreenSize();

// Test seams: record what would be opened or shown instead of doing it.
void SetOpenInBrowserHandlerForTests(std::function<void(const common::Text&)> handler);
void SetShowInFileManagerHandlerForTests(std::function<bool(const common::Text&)> handler);

}  // namespace tallowin::platform
