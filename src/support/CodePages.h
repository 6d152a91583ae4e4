#pragma once
// The system's text conversions, with UTF-16LE held in Bytes as the pivot.
// None reports failure: a conversion that cannot be made gives an empty result.

#include <optional>

#include "common/Text.h"

namespace tallowin::support {

using common::Bytes;
using common::Text;

// UTF-16LE units with a terminating zero unit. The code page defaults to 65001.
Bytes TextToWide(const Text& text, std::optional<int> codePage = std::nullopt);
// Reads up to the first zero unit; the code page defaults to 0 (ANSI, 936).
Text WideToText(const Bytes& wide, std::optional<int> codePage = std::nullopt);
Text GbkToUtf8(const Text& text);
Text Utf8ToGbk(const Text& text);
// UTF-16LE units without terminator (an odd last byte is ignored) to code page
// 936 with the composite check; characters GBK lacks become "?".
Text WideBufferToGbk(const Bytes& wide);

}  // namespace tallowin::support
