#pragma once
// The update manifest: fetching update.version, checking its tag and decoding
// the payload into the manifest text (four fields joined by the update key).

#include <cstdint>

#include "common/BuildConstants.h"
#include "common/Text.h"

namespace tallowin::update {

using common::Bytes;
using common::Text;

// "http://" + host + "/update.version".
Text ManifestAddress(const Text& host = common::kUpdateHost);

// Fetches and decodes the manifest; "" when it could not be fetched or failed
// the tag check.
Text FetchUpdateManifest(const Text& key, const Text& host = common::kUpdateHost);

// The 9-character tag every manifest made with this key ends in; "" when the
// digest cannot be computed.
Text ManifestTag(const Text& key);
// Checks the tag and decodes the payload; "" when the tag differs.
Text DecodeManifest(const Text& received, const Text& key);
// The inverse: the four fields joined by the key, encoded, with the tag appended.
Text EncodeManifest(const Text& manifestText, const Text& key);

// MD5 as 32 lower-case hexadecimal digits; "" when the digest fails.
Text Md5Text(const Bytes& bytes);
// The digest as upper-case hexadecimal text; "" on any failure.
Text HashHex(const Bytes& bytes, unsigned algorithm, int digestLength);
// Two characters per byte (one at the end of an odd-length text). Dispatches
// pending window messages after each byte, so a long payload keeps the window alive.
Bytes HexToBytes(const Text& hex);
// The last 16 hexadecimal digits of the text; other bytes are skipped.
std::int64_t HexToInteger(const Text& hex);

}  // namespace tallowin::update
