#pragma once
// The escaped form of a segment that follows "/s?wd=" in the result-page address.

#include "common/Text.h"

namespace tallowin::check {

using common::Text;

// Escapes every byte as %XX (capital hex digits; a space is %20, never "+").
// With keepPlain, "-", ".", digits and ASCII letters stay as they are; with
// utf8, the GBK text is converted to UTF-8 first and those bytes are escaped.
Text PercentEncode(const Text& text, bool keepPlain = false, bool utf8 = false);

}  // namespace tallowin::check
