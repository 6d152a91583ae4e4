#pragma once
// The "VBScript.RegExp" automation class, over PCRE2 (16-bit units, UTF, JIT
// where the machine has it).
//
// RegExp: properties Pattern (text), IgnoreCase, Global, Multiline (booleans,
// all false at first); methods Execute(subject) -> match collection,
// Test(subject) -> boolean, Replace(subject, replacement) -> text, where the
// replacement may hold $1..$99, $&, $`, $' and $$.
// Match collection: Count, Item(i) -> match. Match: Value, FirstIndex (0-based
// UTF-16 units), Length, SubMatches. SubMatches: Count, Item(j) -> text, empty
// for a group that took no part in the match. Indices are 0-based.
//
// Matching as VBScript does it: the dot stops at a line feed, $ without
// Multiline only at the very end, a back reference to an unset group matches
// empty, and after an empty match the next search starts one character on.
// An invalid pattern makes Execute, Test and Replace fail (an empty value).

#include <cstdint>
#include <memory>

#include "platform/Automation.h"

namespace tallowin::platform {

std::shared_ptr<Dispatch> CreateRegExpObject();

// Bounds of one search. A search that reaches them is taken as finding no
// match from there on, so a pattern that backtracks without end on a large
// page gives up within a fraction of a second instead of hanging the check.
inline constexpr std::uint32_t kRegExpMatchLimit = 10'000'000;
inline constexpr std::uint32_t kRegExpDepthLimit = 100'000;

}  // namespace tallowin::platform
