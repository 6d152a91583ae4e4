#pragma once
// Message boxes: task-modal, owned by the main window, with a fixed text and
// title and the Windows flag values the callers pass.

#include <cstdint>
#include <vector>

#include "common/Text.h"

namespace tallowin::platform {

inline constexpr int kMbIconError = 16;         // error icon, OK
inline constexpr int kMbIconInformation = 64;   // information icon, OK
inline constexpr int kMbYesNoInformation = 68;  // information icon, Yes and No
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Shows the box and returns the button pressed (kIdOk, kIdYes or kIdNo).
int ShowMessageBox(const common::Text& text, const common::Text& title, int flags);

// The window that owns every box (a handle of the window registry); 0 for none.
void SetMessageBoxOwner(std::uint32_t windowHandle);

// Test seam: while answers are queued, boxes are not shown; each takes the next
// answer and is recorded.
struct ShownMessageBox {
    common::Text text;
    common::Text title;
    int flags = 0;
};
void AnswerNextMessageBoxes(std::vector<int> answers);
std::vector<ShownMessageBox> TakeShownMessageBoxes();

}  // namespace tallowin::platform
