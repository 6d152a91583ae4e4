#pragma once
// Conversions between the byte code pages of the system and UTF-16, in place
// of MultiByteToWideChar / WideCharToMultiByte. Backed by iconv; glibc's CP936
// matches the Windows table (0x80 included). The ANSI code page is 936.

#include <string>
#include <string_view>

namespace tallowin::platform {

inline constexpr int kCodePageAnsi = 0;
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// Bytes in `codePage` to UTF-16 units. Invalid sequences become U+FFFD, as
// Windows does; never fails for a known code page ("" for an unknown one).
std::u16string MultiByteToWide(std::string_view bytes, int codePage);

// UTF-16 units to bytes in `codePage`. Characters the code page lacks become
// "?" (UTF-8 encodes everything; a lone surrogate becomes U+FFFD). With
// `compositeCheck` a base letter followed by a combining mark is written as
// the precomposed character where the code page has one.
std::string WideToMultiByte(std::u16string_view wide, int codePage, bool compositeCheck = false);

}  // namespace tallowin::platform
