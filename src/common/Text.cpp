#include "common/Text.h"

#include <ostream>

namespace tallowin::common {

namespace {
std::string UpToNul(std::string_view bytes) {
    const auto nul = bytes.find('\0');
    return std::string(nul == std::string_view::npos ? bytes : bytes.substr(0, nul));
}
}  // namespace

Text::Text(const char* gbk) : bytes_(gbk == nullptr ? "" : gbk) {}

Text::Text(std::string_view bytes) : bytes_(UpToNul(bytes)) {}

Text::Text(std::string bytes) : bytes_(std::move(bytes)) {
    const auto nul = bytes_.find('\0');
    if (nul != std::string::npos) bytes_.resize(nul);
}

std::ostream& operator<<(std::ostream& out, const Text& text) { return out << text.Bytes(); }

Bytes ToBytes(const Text& text) { return Bytes(text.Bytes().begin(), text.Bytes().end()); }

Text TextFromBytes(const Bytes& bytes) {
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace tallowin::common
