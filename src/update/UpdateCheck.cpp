#include "update/UpdateCheck.h"

#include "common/TextOps.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "update/Manifest.h"
#include "update/UpdateDownload.h"

namespace tallowin::update {

using common::Text;

void CheckForUpdate(const Text& currentVersion, const Text& key, const Text& host) {
    const common::TextArray fields = common::Split(FetchUpdateManifest(key, host), key);
    if (fields.size() != 4) {
        platform::ShowMessageBox("网络不稳定，请稍后再试！", "错误", platform::kMbIconError);
        platform::EndProcess(0);
    }
    const Text& address = fields[0];
    const Text& version = fields[1];
    const Text& notes = fields[2];
    if (version == currentVersion) return;
    if (fields[3] != "真") {
        const Text offer = Text("发现新版！") + version + " 是否更新？\r\n\r\n" + notes + "\r\n";
        if (platform::ShowMessageBox(offer, "发现新版本", platform::kMbYesNoInformation) !=
            platform::kIdYes) {
            return;
        }
        DownloadUpdate(address);
    }
    const Text announcement = Text("发现新版！") + version + "\r\n\r\n" + notes + "\r\n";
    platform::ShowMessageBox(announcement, "发现新版本", platform::kMbIconInformation);
    DownloadUpdate(address);
}

}  // namespace tallowin::update
