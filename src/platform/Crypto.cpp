#include "platform/Crypto.h"

#include <openssl/evp.h>

#include <memory>

namespace tallowin::platform {

common::Text HashHex(const common::Bytes& bytes, unsigned algorithm, int digestLength) {
    if (algorithm != kHashMd5 || digestLength <= 0) return {};
    // The context; a second attempt stands in for the retry with other flags.
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (!context) context = EVP_MD_CTX_new();
    if (!context) return {};
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> release(context, EVP_MD_CTX_free);
    if (EVP_DigestInit_ex(context, EVP_md5(), nullptr) != 1) return {};
    if (EVP_DigestUpdate(context, bytes.data(), bytes.size()) != 1) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_DigestFinal_ex(context, digest, &length) != 1) return {};
    if (static_cast<int>(length) != digestLength) return {};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned i = 0; i < length; ++i) {
        out += kDigits[digest[i] >> 4];
        out += kDigits[digest[i] & 0x0F];
    }
    return common::Text(std::move(out));
}

}  // namespace tallowin::platform
