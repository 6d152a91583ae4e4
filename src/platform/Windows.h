#pragma once
// Our window registry, in place of the platform's window manager calls: the
// windows the system makes get positive 32-bit handles with a class name, a
// parent, children in Z order (top first) and an optional message handler.
// Only the GUI thread uses it. Qt stays out of this header so that modules
// without Qt can walk the tree; a window may be tied to a QObject, and goes
// when that object is destroyed.

#include <cstdint>
#include <functional>
#include <optional>

#include "common/Text.h"
#include "platform/Automation.h"

class QObject;

namespace tallowin::platform_gui {

using WindowHandle = std::uint32_t;

// Answers a message sent to a window; std::nullopt leaves it unanswered
// (the result stays 0).
using MessageHandler = std::function<std::optional<std::intptr_t>(
    std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

// Makes a window as the topmost child of parent (0 for a top-level window);
// 0 when parent is given but is not a window. With an owner, the window and
// everything below it are destroyed together with that object.
WindowHandle CreateWindow(const common::Text& className, WindowHandle parent,
                          MessageHandler handler = {}, QObject* owner = nullptr);
// Destroys the window and its descendants; their handles stop being windows
// at once and are never given out again.
void DestroyWindow(WindowHandle window);
void SetMessageHandler(WindowHandle window, MessageHandler handler);

// IsWindow.
bool IsWindow(WindowHandle window);
// FindWindowEx without class or title: the child of parent after `after` in Z
// order (the topmost child when after is 0); 0 when there is none or a
// handle is not a window.
WindowHandle FindChildWindow(WindowHandle parent, WindowHandle after = 0);
WindowHandle ParentWindow(WindowHandle window);

// GetClassName into a buffer of `size` bytes: copies at most size - 1 bytes
// of the class name and a terminator, and gives the number copied (0 for a
// handle that is not a window or a size below 1).
int GetClassNameInto(WindowHandle window, char* buffer, int size);

// RegisterWindowMessage: the same name gives the same id, ids start at
// 0xC000; 0 for the empty name.
std::uint32_t RegisterWindowMessage(const common::Text& name);

// SendMessageTimeout: runs the window's handler and gives whether it answered
// in time. *result is set to 0 first and receives the answer only when one
// came within timeoutMs.
bool SendMessageTimeout(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam, unsigned timeoutMs, std::intptr_t* result);

// Interface identifiers (GUIDs) of the objects a window can hand out.
struct InterfaceId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    friend bool operator==(const InterfaceId&, const InterfaceId&) = default;
};

// {626FC520-A41E-11CF-A731-00A0C9082637}: an HTML document.
inline constexpr InterfaceId kIidHtmlDocument = {
    0x626FC520, 0xA41E, 0x11CF, {0xA7, 0x31, 0x00, 0xA0, 0xC9, 0x08, 0x26, 0x37}};

// LresultFromObject: parks object for a window's answer and gives the value
// to answer with (positive). The object is handed out once.
std::intptr_t ResultFromObject(const InterfaceId& interfaceId, platform::AutomationObject object);
// ObjectFromLresult: the object parked under result when it was parked for
// interfaceId; an empty object otherwise (0, an unknown or used result,
// another interface).
platform::AutomationObject ObjectFromResult(std::intptr_t result, const InterfaceId& interfaceId);

}  // namespace tallowin::platform_gui
