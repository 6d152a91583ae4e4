// Kept apart from the decoding, so the publishing tool links no HTTP client.
#include "http/FetchUrl.h"
#include "update/Manifest.h"

namespace tallowin::update {

Text FetchUpdateManifest(const Text& key, const Text& host) {
    const Bytes body = http::FetchUrl(ManifestAddress(host));
    return DecodeManifest(common::TextFromBytes(body), key);
}

}  // namespace tallowin::update
