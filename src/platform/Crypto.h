#pragma once
// Message digests over OpenSSL, in place of the platform's cryptographic service.

#include "common/Text.h"

namespace tallowin::platform {

// Algorithm identifiers, with the values callers of the Windows service pass.
inline constexpr unsigned kHashMd5 = 0x8003;

// The digest of the bytes as upper-case hexadecimal text; "" when the algorithm
// is unknown, the digest length differs from `digestLength`, or the library fails.
common::Text HashHex(const common::Bytes& bytes, unsigned algorithm, int digestLength);

}  // namespace tallowin::platform
