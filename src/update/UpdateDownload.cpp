#include "update/UpdateDownload.h"

#include "common/TextOps.h"
#include "http/FetchUrl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "support/CodePages.h"

namespace tallowin::update {
namespace {

int HexDigit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The status code of the final response's status line ("HTTP/1.1 200 OK"); 0 when absent.
int StatusCode(const Text& responseHeaders) {
    const int space = common::Find(responseHeaders, " ");
    if (!common::Contains(common::Left(responseHeaders, 5), "HTTP/") || space < 0) return 0;
    return static_cast<int>(common::IntegerValue(common::Mid(responseHeaders, space + 1, 3)));
}

[[noreturn]] void Fail() {
    platform::ShowMessageBox("更新失败，请稍后再试！", "错误", platform::kMbIconError);
    platform::EndProcess(0);
}

}  // namespace

void DownloadUpdate(const Text& address) {
    http::FetchOptions options;
    const common::Bytes data = http::FetchUrl(address, options);
    const int status = StatusCode(options.responseHeaders);
    // An empty body or an error page is not the new version: writing it would
    // replace a good file on the desktop with nothing.
    if (data.empty() || status < 200 || status > 299) Fail();
    const Text path = platform::GetSpecialFolder(platform::SpecialFolder::Desktop) +
                      SafeFileName(UpdateFileName(address));
    if (!platform::WriteFileAtomically(path, data)) Fail();
    platform::ShowMessageBox("更新完成！", "提示", platform::kMbIconInformation);
    SelectInExplorer(path, false);
    platform::EndProcess(0);
}

Text UpdateFileName(const Text& address) { return PercentDecode(LastUrlSegment(address), true); }

Text LastUrlSegment(const Text& address) {
    const common::TextArray items = common::Split(address, "/");
    return items.empty() ? Text() : items.back();
}

Text PercentDecode(const Text& text, bool fromUtf8) {
    const std::string& in = text.Bytes();
    const std::size_t n = in.size();
    std::string out;
    for (std::size_t q = 0; q < n; ++q) {
        if (in[q] == '%' && q + 2 < n) {
            const int h = HexDigit(static_cast<unsigned char>(in[q + 1]));
            const int l = HexDigit(static_cast<unsigned char>(in[q + 2]));
            if (h >= 0 && l >= 0) {
                const int byte = 16 * h + l;
                if (byte != 0) out += static_cast<char>(byte);
                q += 2;
                continue;
            }
        }
        out += in[q];
    }
    Text decoded(std::move(out));
    return fromUtf8 ? support::Utf8ToGbk(decoded) : decoded;
}

Text SafeFileName(const Text& name) {
    if (name.IsEmpty()) return "_";
    if (name == "." || name == "..") return common::ReplaceAll(name, ".", "_");
    return common::ReplaceAll(name, "/", "_");
}

bool SelectInExplorer(const Text& path, bool /*rename*/) {
    if (!FileExists(path)) return false;
    return platform::ShowInFileManager(path);
}

bool FileExists(const Text& path) { return platform::FileExists(path); }

}  // namespace tallowin::update
