#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/CodePage.h"

namespace tallowin::platform {
namespace {

bool WriteAll(int fd, const common::Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string ToFileSystemPath(const common::Text& path) {
    return WideToMultiByte(MultiByteToWide(path.View(), kCodePageGbk), kCodePageUtf8);
}

std::optional<common::Bytes> ReadWholeFile(const common::Text& path) {
    std::ifstream in(ToFileSystemPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    common::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const common::Text& path, const common::Bytes& bytes) {
    const int fd =
        ::open(ToFileSystemPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, bytes);
    return (::close(fd) == 0) && ok;
}

bool WriteFileAtomically(const common::Text& path, const common::Bytes& bytes) {
    const std::string target = ToFileSystemPath(path);
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool FileExists(const common::Text& path) {
    struct stat info {};
    return !path.IsEmpty() && ::stat(ToFileSystemPath(path).c_str(), &info) == 0;
}

}  // namespace tallowin::platform
