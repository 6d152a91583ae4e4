#pragma once
// Text: the byte string of the whole system, in code page 936 (GBK).
// Lengths and positions count bytes; positions are 1-based and a failed
// search gives -1. A Text never holds a NUL byte: like the C string it
// stands for, it ends at the first one.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tallowin::common {

class Text {
public:
    Text() = default;
    // Narrow literals of our sources are compiled as GBK, so they are Text as they stand.
    Text(const char* gbk);  // NOLINT(google-explicit-constructor)
    // Takes the bytes up to the first NUL.
    explicit Text(std::string_view bytes);
    explicit Text(std::string bytes);

    const std::string& Bytes() const { return bytes_; }
    const char* CStr() const { return bytes_.c_str(); }
    std::string_view View() const { return bytes_; }
    int Length() const { return static_cast<int>(bytes_.size()); }
    bool IsEmpty() const { return bytes_.empty(); }
    // Byte at a 0-based index, as an unsigned value.
    unsigned char At(int index) const { return static_cast<unsigned char>(bytes_[index]); }

    Text& operator+=(const Text& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Text operator+(Text left, const Text& right) { return left += right; }
    friend bool operator==(const Text&, const Text&) = default;
    friend auto operator<=>(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

// Writes the raw bytes (for test messages and logs).
std::ostream& operator<<(std::ostream& out, const Text& text);

// A growable array of Text. The system counts its positions from 1; in C++
// it is indexed from 0 like any vector.
using TextArray = std::vector<Text>;

// A counted byte buffer; may hold zero bytes.
using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const Text& text);
// Bytes taken as Text read up to the first zero byte.
Text TextFromBytes(const Bytes& bytes);

}  // namespace tallowin::common
