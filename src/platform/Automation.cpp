#include "platform/Automation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>

#include "platform/CodePage.h"
#include "platform/RegExpEngine.h"

namespace tallowin::platform {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

struct NameLess {
    bool operator()(const std::string& left, const std::string& right) const {
        return std::lexicographical_compare(
            left.begin(), left.end(), right.begin(), right.end(),
            [](char a, char b) { return AsciiLower(a) < AsciiLower(b); });
    }
};

struct ClassRegistry {
    // The built-in classes are wired in here rather than registered by their own
    // translation units, so a static link can never drop them.
    ClassRegistry() { factories.emplace("VBScript.RegExp", &CreateRegExpObject); }

    std::mutex mutex;
    std::map<std::string, ObjectFactory, NameLess> factories;
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

thread_local int initCount = 0;

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

template <typename T, typename Call>
T Guarded(T fallback, Call&& call) {
    // Nothing may escape an automation call; an exception inside an object is
    // one more way for the call to fail.
    try {
        return call();
    } catch (...) {
        return fallback;
    }
}

}  // namespace

bool SameName(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (AsciiLower(left[i]) != AsciiLower(right[i])) return false;
    }
    return true;
}

// ---- Variant

Variant::Variant(const common::Text& gbk)
    : value_(std::make_shared<const std::u16string>(MultiByteToWide(gbk.View(), kCodePageAnsi))) {}

using SharedText = std::shared_ptr<const std::u16string>;

SharedText Variant::SharedWide() const {
    if (const auto* s = std::get_if<SharedText>(&value_)) return *s;
    return std::make_shared<const std::u16string>(AsWide());
}

bool Variant::AsBool() const {
    if (const auto* b = std::get_if<bool>(&value_)) return *b;
    if (const auto* i = std::get_if<std::int64_t>(&value_)) return *i != 0;
    if (const auto* d = std::get_if<double>(&value_)) return *d != 0.0;
    return false;
}

std::int64_t Variant::AsInteger() const {
    if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1 : 0;
    if (const auto* i = std::get_if<std::int64_t>(&value_)) return *i;
    if (const auto* d = std::get_if<double>(&value_)) {
        if (std::isnan(*d)) return 0;
        constexpr double kMax = 9223372036854775807.0;
        if (*d >= kMax) return std::numeric_limits<std::int64_t>::max();
        if (*d <= -kMax) return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(*d);  // truncates toward zero
    }
    return 0;
}

double Variant::AsReal() const {
    if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1.0 : 0.0;
    if (const auto* i = std::get_if<std::int64_t>(&value_)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&value_)) return *d;
    return 0.0;
}

std::u16string Variant::AsWide() const {
    if (const auto* s = std::get_if<SharedText>(&value_)) return **s;
    if (const auto* b = std::get_if<bool>(&value_)) return *b ? u"True" : u"False";
    char buffer[64];
    if (const auto* i = std::get_if<std::int64_t>(&value_)) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *i).ptr;
        return Ascii(std::string_view(buffer, end - buffer));
    }
    if (const auto* d = std::get_if<double>(&value_)) {
        // 15 significant digits, as automation writes a double.
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, *d, std::chars_format::general, 15).ptr;
        return Ascii(std::string_view(buffer, end - buffer));
    }
    return {};
}

common::Text Variant::AsText() const {
    if (const auto* s = std::get_if<SharedText>(&value_))
        return common::Text(WideToMultiByte(**s, kCodePageAnsi));
    return common::Text(WideToMultiByte(AsWide(), kCodePageAnsi));
}

AutomationObject Variant::AsObject() const {
    if (const auto* o = std::get_if<AutomationObject>(&value_)) return *o;
    return {};
}

// ---- Dispatch: an object that implements nothing fails every call.

std::optional<Variant> Dispatch::GetProperty(std::string_view, std::span<const Variant>) {
    return std::nullopt;
}

bool Dispatch::SetProperty(std::string_view, const Variant&) { return false; }

std::optional<Variant> Dispatch::Invoke(std::string_view, std::span<const Variant>) {
    return std::nullopt;
}

// ---- AutomationObject

Variant AutomationObject::Get(std::string_view name, std::initializer_list<Variant> args) const {
    if (!dispatch_) return {};
    return Guarded(Variant(), [&] {
        return dispatch_->GetProperty(name, std::span<const Variant>(args.begin(), args.size()))
            .value_or(Variant());
    });
}

bool AutomationObject::Set(std::string_view name, const Variant& value) const {
    if (!dispatch_) return false;
    return Guarded(false, [&] { return dispatch_->SetProperty(name, value); });
}

Variant AutomationObject::Call(std::string_view name, std::initializer_list<Variant> args) const {
    if (!dispatch_) return {};
    return Guarded(Variant(), [&] {
        return dispatch_->Invoke(name, std::span<const Variant>(args.begin(), args.size()))
            .value_or(Variant());
    });
}

// ---- classes by name

AutomationObject CreateObject(std::string_view progId) {
    ObjectFactory factory;
    {
        ClassRegistry& registry = Registry();
        std::lock_guard lock(registry.mutex);
        const auto it = registry.factories.find(std::string(progId));
        if (it == registry.factories.end()) return {};
        factory = it->second;
    }
    try {
        return AutomationObject(factory());
    } catch (...) {
        return {};
    }
}

void RegisterObjectClass(std::string progId, ObjectFactory factory) {
    ClassRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.factories[std::move(progId)] = std::move(factory);
}

// ---- per-thread initialisation

void InitializeAutomation() { ++initCount; }

void UninitializeAutomation() {
    // An unpaired call is a caller's fault; the count never goes below zero.
    if (initCount > 0) --initCount;
}

int AutomationInitCount() { return initCount; }

}  // namespace tallowin::platform
