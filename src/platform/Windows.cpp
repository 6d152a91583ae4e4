#include "platform/Windows.h"

#include <QObject>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace tallowin::platform_gui {
namespace {

struct Window {
    common::Text className;
    WindowHandle parent = 0;
    std::vector<WindowHandle> children;  // Z order, top first
    MessageHandler handler;
    QMetaObject::Connection ownerConnection;
};

// Handles look like the platform's: even, and never reused, so a stale handle
// can never reach a newer window.
constexpr WindowHandle kFirstHandle = 0x00010010;
constexpr WindowHandle kHandleStep = 2;

struct Registry {
    std::unordered_map<WindowHandle, Window> windows;
    WindowHandle next = kFirstHandle;
    std::map<std::string, std::uint32_t> messages;
    std::uint32_t nextMessage = 0xC000;
};

// Never destroyed: owners may go after static destruction has begun.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

Window* Find(WindowHandle handle) {
    auto& windows = TheRegistry().windows;
    const auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

// Objects parked for a window's answer. An answer that nobody takes (a sender
// that timed out) would stay forever, so only the latest few are kept.
struct ParkedObject {
    std::intptr_t result;
    InterfaceId interfaceId;
    platform::AutomationObject object;
};
constexpr std::size_t kMaxParked = 16;

struct Parking {
    std::deque<ParkedObject> objects;
    std::intptr_t next = 1;
};

Parking& TheParking() {
    static Parking* parking = new Parking;
    return *parking;
}

}  // namespace

WindowHandle CreateWindow(const common::Text& className, WindowHandle parent,
                          MessageHandler handler, QObject* owner) {
    Registry& registry = TheRegistry();
    if (parent != 0 && Find(parent) == nullptr) return 0;
    if (registry.next > 0x7FFFFFF0) return 0;  // handles stay positive as signed 32-bit numbers
    const WindowHandle handle = registry.next;
    registry.next += kHandleStep;

    Window window;
    window.className = className;
    window.parent = parent;
    window.handler = std::move(handler);
    if (owner != nullptr) {
        window.ownerConnection =
            QObject::connect(owner, &QObject::destroyed, [handle] { DestroyWindow(handle); });
    }
    registry.windows.emplace(handle, std::move(window));
    if (parent != 0) {
        auto& siblings = Find(parent)->children;
        siblings.insert(siblings.begin(), handle);
    }
    return handle;
}

void DestroyWindow(WindowHandle handle) {
    Window* window = Find(handle);
    if (window == nullptr) return;
    // Children first; copy the list, since each child unlinks itself from it.
    const std::vector<WindowHandle> children = window->children;
    for (const WindowHandle child : children) DestroyWindow(child);

    window = Find(handle);
    if (window == nullptr) return;
    if (Window* parent = Find(window->parent)) {
        std::erase(parent->children, handle);
    }
    QObject::disconnect(window->ownerConnection);
    // The handler may own captured state whose destruction re-enters us; take it out first.
    MessageHandler handler = std::move(window->handler);
    TheRegistry().windows.erase(handle);
}

void SetMessageHandler(WindowHandle handle, MessageHandler handler) {
    if (Window* window = Find(handle)) window->handler = std::move(handler);
}

bool IsWindow(WindowHandle handle) { return Find(handle) != nullptr; }

WindowHandle FindChildWindow(WindowHandle parent, WindowHandle after) {
    const Window* window = Find(parent);
    if (window == nullptr) return 0;
    const auto& children = window->children;
    if (after == 0) return children.empty() ? 0 : children.front();
    const auto it = std::find(children.begin(), children.end(), after);
    if (it == children.end() || std::next(it) == children.end()) return 0;
    return *std::next(it);
}

WindowHandle ParentWindow(WindowHandle handle) {
    const Window* window = Find(handle);
    return window == nullptr ? 0 : window->parent;
}

int GetClassNameInto(WindowHandle handle, char* buffer, int size) {
    if (buffer == nullptr || size < 1) return 0;
    buffer[0] = '\0';
    const Window* window = Find(handle);
    if (window == nullptr) return 0;
    const int count = std::min(window->className.Length(), size - 1);
    std::memcpy(buffer, window->className.CStr(), static_cast<std::size_t>(count));
    buffer[count] = '\0';
    return count;
}

std::uint32_t RegisterWindowMessage(const common::Text& name) {
    if (name.IsEmpty()) return 0;
    Registry& registry = TheRegistry();
    const auto [it, inserted] = registry.messages.try_emplace(name.Bytes(), registry.nextMessage);
    if (inserted) ++registry.nextMessage;
    return it->second;
}

bool SendMessageTimeout(WindowHandle handle, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam, unsigned timeoutMs, std::intptr_t* result) {
    if (result != nullptr) *result = 0;
    const Window* window = Find(handle);
    if (window == nullptr) return false;
    if (!window->handler) return true;
    // Copied: the handler may destroy its own window.
    const MessageHandler handler = window->handler;
    const auto start = std::chrono::steady_clock::now();
    const std::optional<std::intptr_t> answer = handler(message, wParam, lParam);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed > std::chrono::milliseconds(timeoutMs)) return false;
    if (answer && result != nullptr) *result = *answer;
    return true;
}

std::intptr_t ResultFromObject(const InterfaceId& interfaceId, platform::AutomationObject object) {
    if (object.IsEmpty()) return 0;
    Parking& parking = TheParking();
    const std::intptr_t result = parking.next++;
    parking.objects.push_back({result, interfaceId, std::move(object)});
    while (parking.objects.size() > kMaxParked) parking.objects.pop_front();
    return result;
}

platform::AutomationObject ObjectFromResult(std::intptr_t result, const InterfaceId& interfaceId) {
    if (result <= 0) return {};
    auto& objects = TheParking().objects;
    const auto it = std::find_if(objects.begin(), objects.end(),
                                 [result](const ParkedObject& p) { return p.result == result; });
    if (it == objects.end()) return {};
    platform::AutomationObject object;
    if (it->interfaceId == interfaceId) object = std::move(it->object);
    objects.erase(it);
    return object;
}

}  // namespace tallowin::platform_gui
