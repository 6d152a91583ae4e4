#pragma once
// Whole files with GBK Text paths; the paths are converted to the file
// system's UTF-8 here.

#include <optional>

#include "common/Text.h"

namespace tallowin::platform {

// The whole content; std::nullopt when the file cannot be read.
std::optional<common::Bytes> ReadWholeFile(const common::Text& path);
// Creates or replaces the file with the bytes; false on any failure.
bool WriteWholeFile(const common::Text& path, const common::Bytes& bytes);
// Like WriteWholeFile, but through a temporary name in the same folder that is
// synced and renamed over the target, so the target is never left half written.
bool WriteFileAtomically(const common::Text& path, const common::Bytes& bytes);
bool FileExists(const common::Text& path);
// The path as the file system spells it (UTF-8).
std::string ToFileSystemPath(const common::Text& path);

}  // namespace tallowin::platform
