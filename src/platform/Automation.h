#pragma once
// Late-bound automation objects, in place of COM's IDispatch: properties and
// methods are reached by name, and a failed call never throws or reports; it
// gives an empty value (empty object, "", 0 or false) that callers test for.
// Texts cross this boundary as UTF-16: a Variant made from a Text converts it
// from the ANSI code page, and AsText converts back.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "common/Text.h"

namespace tallowin::platform {

class Dispatch;
class Variant;

class AutomationObject {
public:
    AutomationObject() = default;
    explicit AutomationObject(std::shared_ptr<Dispatch> dispatch)
        : dispatch_(std::move(dispatch)) {}

    bool IsEmpty() const { return dispatch_ == nullptr; }
    // Property read, with optional arguments (an indexed property such as Item(i)).
    Variant Get(std::string_view name, std::initializer_list<Variant> args = {}) const;
    bool Set(std::string_view name, const Variant& value) const;
    Variant Call(std::string_view name, std::initializer_list<Variant> args = {}) const;
    // Lets the object go; the object itself lives on while other references hold it.
    void Release() { dispatch_.reset(); }

    Dispatch* Get() const { return dispatch_.get(); }
    friend bool operator==(const AutomationObject&, const AutomationObject&) = default;

private:
    std::shared_ptr<Dispatch> dispatch_;
};

// A late-bound value: empty, boolean, integer, real, UTF-16 text or object.
class Variant {
public:
    using Value = std::variant<std::monostate, bool, std::int64_t, double,
                               std::shared_ptr<const std::u16string>, AutomationObject>;

    Variant() = default;
    Variant(bool value) : value_(value) {}               // NOLINT
    Variant(int value) : value_(std::int64_t{value}) {}  // NOLINT
    Variant(std::int64_t value) : value_(value) {}       // NOLINT
    Variant(double value) : value_(value) {}             // NOLINT
    // Texts are shared, not copied, when a Variant is copied: a page of a
    // megabyte is handed through several calls.
    Variant(std::u16string value)  // NOLINT
        : value_(std::make_shared<const std::u16string>(std::move(value))) {}
    // Without this a u"" literal would silently become the boolean true.
    Variant(const char16_t* wide) : Variant(std::u16string(wide)) {}  // NOLINT
    Variant(const common::Text& gbk);                         // NOLINT: converts from code page 936
    Variant(const char* gbk) : Variant(common::Text(gbk)) {}  // NOLINT
    Variant(AutomationObject object) : value_(std::move(object)) {}  // NOLINT

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    const Value& Raw() const { return value_; }

    // Coercions; a value of another kind gives the empty value of the asked kind,
    // except numbers and booleans, which convert among themselves (true is 1) and
    // become text ("True"/"False", decimal numbers).
    bool AsBool() const;
    std::int64_t AsInteger() const;  // reals truncate toward zero
    double AsReal() const;
    std::u16string AsWide() const;  // numbers are written as decimal text
    // AsWide without a copy when the value is a text.
    std::shared_ptr<const std::u16string> SharedWide() const;
    common::Text AsText() const;  // AsWide converted to the ANSI code page
    AutomationObject AsObject() const;

private:
    Value value_;
};

// What an automation object implements. Each call answers std::nullopt / false
// when the name is unknown or the call fails; AutomationObject turns that into
// an empty value.
class Dispatch {
public:
    virtual ~Dispatch() = default;
    virtual std::optional<Variant> GetProperty(std::string_view name,
                                               std::span<const Variant> args);
    virtual bool SetProperty(std::string_view name, const Variant& value);
    virtual std::optional<Variant> Invoke(std::string_view name, std::span<const Variant> args);
};

// Member and class names compare as COM compares them: ASCII letters without case.
bool SameName(std::string_view left, std::string_view right);

// Creates an object from its class name (a ProgID such as "VBScript.RegExp");
// an empty object when the class is unknown.
AutomationObject CreateObject(std::string_view progId);

using ObjectFactory = std::function<std::shared_ptr<Dispatch>()>;
// Makes a class creatable by name (for a class of ours outside this library).
void RegisterObjectClass(std::string progId, ObjectFactory factory);

// Per-thread initialisation counting, in place of CoInitialize/CoUninitialize:
// each Initialize must be paired with one Uninitialize on the same thread.
void InitializeAutomation();
void UninitializeAutomation();
int AutomationInitCount();

}  // namespace tallowin::platform
