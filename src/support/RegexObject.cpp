#include "support/RegexObject.h"

#include "common/TextOps.h"
#include "platform/CodePage.h"

namespace tallowin::support {

using platform::AutomationObject;
using platform::Variant;

namespace {

constexpr bool kDefaultCaseSensitive = false;
constexpr bool kDefaultMultiline = true;
constexpr bool kDefaultGlobal = true;
constexpr bool kDefaultQuotePlaceholder = false;

AutomationObject MatchAt(const AutomationObject& matches, int index) {
    return matches.Get("Item", {index - 1}).AsObject();
}

}  // namespace

RegexObject::RegexObject() { platform::InitializeAutomation(); }

RegexObject::~RegexObject() {
    // Everything goes before the thread's initialisation is undone.
    matches_.Release();
    engine_.Release();
    subject_ = Variant();
    platform::UninitializeAutomation();
}

RegexObject::RegexObject(const RegexObject& other)
    : engine_(other.engine_), matches_(other.matches_), subject_(other.subject_) {
    // A copy is one more object that pairs its own initialisation.
    platform::InitializeAutomation();
}

RegexObject& RegexObject::operator=(const RegexObject& other) {
    engine_ = other.engine_;
    matches_ = other.matches_;
    subject_ = other.subject_;
    return *this;
}

bool RegexObject::Create(const Text& pattern, const Text& subject,
                         std::optional<bool> caseSensitive, std::optional<bool> multiline,
                         std::optional<bool> global, std::optional<bool> quotePlaceholder) {
    matches_.Release();
    engine_.Release();
    engine_ = platform::CreateObject("VBScript.RegExp");
    engine_.Set("IgnoreCase", !caseSensitive.value_or(kDefaultCaseSensitive));
    engine_.Set("Multiline", multiline.value_or(kDefaultMultiline));
    engine_.Set("Global", global.value_or(kDefaultGlobal));
    engine_.Set("Pattern", quotePlaceholder.value_or(kDefaultQuotePlaceholder)
                               ? common::ReplaceAll(pattern, "#引号", "\"")
                               : pattern);
    subject_ = Variant(subject);
    matches_ = engine_.Call("Execute", {subject_}).AsObject();
    return !matches_.IsEmpty();
}

Text RegexObject::GetPattern() const { return engine_.Get("Pattern").AsText(); }

Text RegexObject::Replace(const Text& replacement) const {
    return engine_.Call("Replace", {subject_, Variant(replacement)}).AsText();
}

int RegexObject::MatchCount() const { return static_cast<int>(matches_.Get("Count").AsInteger()); }

namespace {

// The 0-based byte offset in the subject where `text`, taken from the match,
// begins: searched from the byte where the match begins, with the engine's
// rule for case. -1 when there is no such match. The match's FirstIndex counts
// UTF-16 units, so it is turned into bytes of the subject first.
int PositionOf(const AutomationObject& engine, const AutomationObject& match,
               const Variant& subject, const Text& text) {
    if (match.IsEmpty()) return -1;
    const std::u16string wide = subject.AsWide();
    const auto firstIndex = static_cast<std::size_t>(match.Get("FirstIndex").AsInteger());
    const std::size_t units = firstIndex < wide.size() ? firstIndex : wide.size();
    const int matchStart =
        static_cast<int>(platform::WideToMultiByte(std::u16string_view(wide).substr(0, units),
                                                   platform::kCodePageAnsi)
                             .size());
    if (text.IsEmpty()) return matchStart;
    const bool ignoreCase = engine.Get("IgnoreCase").AsBool();
    const int found = common::Find(subject.AsText(), text, matchStart + 1, ignoreCase);
    return found < 0 ? -1 : found - 1;
}

}  // namespace

Text RegexObject::MatchText(int index, int* position) const {
    const AutomationObject match = MatchAt(matches_, index);
    Text text = match.Get("Value").AsText();
    if (position != nullptr) *position = PositionOf(engine_, match, subject_, text);
    return text;
}

Text RegexObject::SubMatchText(int matchIndex, int subIndex, int* position) const {
    const AutomationObject match = MatchAt(matches_, matchIndex);
    const AutomationObject group = match.Get("SubMatches").AsObject();
    const Variant value = group.Get("Item", {subIndex - 1});
    Text text = value.AsText();
    if (position != nullptr) {
        // No such group: no position, as for a match that does not exist.
        *position = value.IsEmpty() ? -1 : PositionOf(engine_, match, subject_, text);
    }
    return text;
}

int RegexObject::SubMatchCount() const {
    return static_cast<int>(
        MatchAt(matches_, 1).Get("SubMatches").AsObject().Get("Count").AsInteger());
}

}  // namespace tallowin::support
