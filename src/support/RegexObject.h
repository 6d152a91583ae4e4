#pragma once
// One regular expression run over one subject: match count, match and group
// texts, and the subject with every match replaced. The matching is done by
// the "VBScript.RegExp" automation object. Match and group numbers are 1-based.

#include <optional>

#include "common/Text.h"
#include "platform/Automation.h"

namespace tallowin::support {

using common::Text;

class RegexObject {
public:
    RegexObject();   // initialises automation for the thread
    ~RegexObject();  // releases everything, then uninitialises
    RegexObject(const RegexObject& other);
    RegexObject& operator=(const RegexObject& other);

    // Omitted options: caseSensitive false, multiline true, global true,
    // quotePlaceholder false. True when the engine gave a match collection,
    // also an empty one; false for an invalid pattern.
    bool Create(const Text& pattern, const Text& subject,
                std::optional<bool> caseSensitive = std::nullopt,
                std::optional<bool> multiline = std::nullopt,
                std::optional<bool> global = std::nullopt,
                std::optional<bool> quotePlaceholder = std::nullopt);
    Text GetPattern() const;
    Text Replace(const Text& replacement) const;
    int MatchCount() const;
    // With `position`, also stores the 0-based byte offset of the returned text.
    Text MatchText(int index, int* position = nullptr) const;
    Text SubMatchText(int matchIndex, int subIndex, int* position = nullptr) const;
    int SubMatchCount() const;

private:
    platform::AutomationObject engine_;
    platform::AutomationObject matches_;
    platform::Variant subject_{0};
};

}  // namespace tallowin::support
