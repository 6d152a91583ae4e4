#pragma once
// Downloading the new version to the desktop and handing it to the user.

#include "common/Text.h"

namespace tallowin::update {

using common::Text;

// Downloads the file, stores it on the desktop, tells the user and shows it in
// the file manager; ends the process (exit code 0) in every case.
[[noreturn]] void DownloadUpdate(const Text& address);

// The decoded last segment of the address, converted from UTF-8 to GBK.
Text UpdateFileName(const Text& address);
// The part after the last "/" (a trailing "/" is ignored); "" for "".
Text LastUrlSegment(const Text& address);
// Decodes %XX escapes (either case); a "%" without two hexadecimal digits is
// kept as it stands, an escape giving a zero byte is dropped. "+" stays.
Text PercentDecode(const Text& text, bool fromUtf8);
// A name that stays inside its folder: "/" becomes "_", and "", "." and ".."
// become underscores.
Text SafeFileName(const Text& name);
// Shows the file selected in the file manager; false when it does not exist
// or nobody showed it. There is no rename mode on this platform.
bool SelectInExplorer(const Text& path, bool rename = false);
bool FileExists(const Text& path);

}  // namespace tallowin::update
