// The update check end to end: a real HTTP server on 127.0.0.1 serves the
// manifest and the new version; message boxes, the file manager and the end
// of the process go through the platform seams.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/TextOps.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/Shell.h"
#include "support/CodePages.h"
#include "testing/ServerProcess.h"
#include "update/Manifest.h"
#include "update/UpdateCheck.h"
#include "update/UpdateDownload.h"

namespace tallowin::update {
namespace {

namespace fs = std::filesystem;
using platform::AnswerNextMessageBoxes;
using platform::TakeShownMessageBoxes;

const Text kKey = "TESTKEY0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKLM,aB3$dE6&gH9(";

struct ProcessEnded {
    int code;
};

class UpdateFlow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new QTemporaryDir();
        served_ = fs::path(root_->path().toStdString()) / "www";
        desktop_ = fs::path(root_->path().toStdString()) / "Desktop";
        fs::create_directories(served_ / "files");
        fs::create_directories(desktop_);
        fs::create_directories(fs::path(root_->path().toStdString()) / "config");
        std::ofstream(fs::path(root_->path().toStdString()) / "config/user-dirs.dirs")
            << "XDG_DESKTOP_DIR=\"" << desktop_.string() << "\"\n";
        setenv("XDG_CONFIG_HOME", (root_->path() + "/config").toLocal8Bit().constData(), 1);

        server_ = new test_servers::ServerProcess(
            {"python3", TALLOWIN_SOURCE_DIR "/tests/update/serve.py", served_.string()}, true);
        ASSERT_GT(server_->Port(), 0) << "the server did not start";
        host_ = Text("127.0.0.1:" + std::to_string(server_->Port()));
    }
    static void TearDownTestSuite() {
        delete server_;
        delete root_;
    }

    void SetUp() override {
        teardowns_ = 0;
        platform::RegisterTeardown([this] { ++teardowns_; });
        platform::SetProcessEndHandlerForTests([](int code) { throw ProcessEnded{code}; });
        platform::SetShowInFileManagerHandlerForTests([this](const Text& path) {
            shown_.push_back(path);
            return true;
        });
        TakeShownMessageBoxes();
        for (const auto& entry : fs::directory_iterator(desktop_)) fs::remove_all(entry);
        fs::remove(served_ / "update.version");
    }
    void TearDown() override {
        AnswerNextMessageBoxes({});
        platform::SetProcessEndHandlerForTests({});
        platform::SetShowInFileManagerHandlerForTests({});
    }

    static void Serve(const fs::path& relative, const std::string& content) {
        std::ofstream(served_ / relative, std::ios::binary) << content;
    }
    // Publishes a manifest of the four fields (or any other count).
    static void Publish(const common::TextArray& fields) {
        Serve("update.version", EncodeManifest(common::Join(fields, kKey), kKey).Bytes());
    }
    Text FileAddress(const char* name) const { return Text("http://") + host_ + "/files/" + name; }

    // Runs the check; the exit code when it ended the process, -1 when it returned.
    int Check(std::vector<int> answers) {
        AnswerNextMessageBoxes(std::move(answers));
        try {
            CheckForUpdate("v1.0.0", kKey, host_);
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
        return -1;
    }

    static QTemporaryDir* root_;
    static fs::path served_;
    static fs::path desktop_;
    static test_servers::ServerProcess* server_;
    static Text host_;
    int teardowns_ = 0;
    std::vector<Text> shown_;
};

QTemporaryDir* UpdateFlow::root_ = nullptr;
fs::path UpdateFlow::served_;
fs::path UpdateFlow::desktop_;
test_servers::ServerProcess* UpdateFlow::server_ = nullptr;
Text UpdateFlow::host_;

TEST_F(UpdateFlow, UnusableManifestEndsTheProcessAfterTheNetworkMessage) {
    const struct {
        const char* name;
        std::function<void()> publish;
    } cases[] = {
        {"no manifest (404 page)", [] {}},
        {"five fields",
         [] {
             Publish({"a", "v2", "n", "真", "extra"});
         }},
        {"three fields",
         [] {
             Publish({"a", "v2", "n"});
         }},
        {"lower-case tag letter",
         [] {
             const Text m =
                 EncodeManifest(Text("a") + kKey + "v2" + kKey + "n" + kKey + "真", kKey);
             Serve("update.version", common::Left(m, m.Length() - 9).Bytes() +
                                         common::ToLower(common::Right(m, 9)).Bytes());
         }},
        {"trailing CR LF",
         [] {
             Serve(
                 "update.version",
                 EncodeManifest(Text("a") + kKey + "v2" + kKey + "n" + kKey + "真", kKey).Bytes() +
                     "\r\n");
         }},
    };
    for (const auto& c : cases) {
        SetUp();
        c.publish();
        EXPECT_EQ(Check({platform::kIdOk}), 0) << c.name;
        EXPECT_EQ(teardowns_, 1) << c.name;
        const auto boxes = TakeShownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].text, Text("网络不稳定，请稍后再试！"));
        EXPECT_EQ(boxes[0].title, Text("错误"));
        EXPECT_EQ(boxes[0].flags, platform::kMbIconError);
    }
}

TEST_F(UpdateFlow, NoServerEndsTheProcessToo) {
    AnswerNextMessageBoxes({platform::kIdOk});
    EXPECT_THROW(
        {
            try {
                CheckForUpdate("v1.0.0", kKey, "127.0.0.1:1");
            } catch (const ProcessEnded& ended) {
                EXPECT_EQ(ended.code, 0);
                throw;
            }
        },
        ProcessEnded);
    EXPECT_EQ(teardowns_, 1);
    EXPECT_EQ(TakeShownMessageBoxes().size(), 1u);
}

TEST_F(UpdateFlow, SameVersionContinuesWithoutPrompt) {
    for (const char* flag : {"真", "假"}) {
        Publish({FileAddress("a.exe"), "v1.0.0", "n", flag});
        EXPECT_EQ(Check({}), -1);
        EXPECT_TRUE(TakeShownMessageBoxes().empty());
    }
    // A trailing key after field 4 leaves four fields.
    Serve("update.version",
          EncodeManifest(FileAddress("a.exe") + kKey + "v1.0.0" + kKey + "n" + kKey + "真" + kKey,
                         kKey)
              .Bytes());
    EXPECT_EQ(Check({}), -1);
    EXPECT_TRUE(TakeShownMessageBoxes().empty());
    EXPECT_EQ(teardowns_, 0);
}

TEST_F(UpdateFlow, OptionalUpdateAnsweredNoContinues) {
    for (const char* flag : {"真 ", "是", "假"}) {
        Publish({FileAddress("a.exe"), "V1.0.0", "", flag});
        EXPECT_EQ(Check({platform::kIdNo}), -1) << flag;
        const auto boxes = TakeShownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Text("发现新版！V1.0.0 是否更新？\r\n\r\n\r\n"));
        EXPECT_EQ(boxes[0].title, Text("发现新版本"));
        EXPECT_EQ(boxes[0].flags, platform::kMbYesNoInformation);
    }
    EXPECT_TRUE(fs::is_empty(desktop_));
}

TEST_F(UpdateFlow, AcceptedUpdateLandsOnTheDesktopUnderItsDecodedName) {
    Serve(fs::path("files") / "new\xE7\x89\x88.exe", "new build");
    Serve(fs::path("files") / "old.exe", "stale");
    std::ofstream(desktop_ / "new\xE7\x89\x88.exe") << "the old version, longer than the new one";
    Publish({FileAddress("new%E7%89%88.exe"), "v0.9.0", "修复\r\n问题", "否"});
    EXPECT_EQ(Check({platform::kIdYes, platform::kIdOk}), 0);
    EXPECT_EQ(teardowns_, 1);

    const auto boxes = TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text("发现新版！v0.9.0 是否更新？\r\n\r\n修复\r\n问题\r\n"));
    EXPECT_EQ(boxes[1].text, Text("更新完成！"));
    EXPECT_EQ(boxes[1].title, Text("提示"));
    EXPECT_EQ(boxes[1].flags, platform::kMbIconInformation);

    std::ifstream file(desktop_ / "new\xE7\x89\x88.exe", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "new build");
    const Text desktopGbk = support::Utf8ToGbk(Text(desktop_.string()));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0], desktopGbk + "/new版.exe");
    EXPECT_EQ(std::distance(fs::directory_iterator(desktop_), fs::directory_iterator()), 1);
}

TEST_F(UpdateFlow, ForcedUpdateIsAnnouncedAndDownloaded) {
    Serve(fs::path("files") / "forced.exe", "forced build");
    Publish({FileAddress("forced.exe"), "v2.0.0", "必须更新", "真"});
    EXPECT_EQ(Check({platform::kIdOk, platform::kIdOk}), 0);
    const auto boxes = TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, Text("发现新版！v2.0.0\r\n\r\n必须更新\r\n"));
    EXPECT_EQ(boxes[0].flags, platform::kMbIconInformation);
    EXPECT_EQ(boxes[1].text, Text("更新完成！"));
    EXPECT_TRUE(fs::exists(desktop_ / "forced.exe"));
}

TEST_F(UpdateFlow, UnsafeNameStaysInsideTheDesktop) {
    // The server resolves /files/../../evil to /evil; the decoded name climbs.
    Serve("evil", "x");
    AnswerNextMessageBoxes({platform::kIdOk});
    EXPECT_THROW(DownloadUpdate(FileAddress("..%2F..%2Fevil")), ProcessEnded);
    EXPECT_EQ(TakeShownMessageBoxes().at(0).text, Text("更新完成！"));
    EXPECT_TRUE(fs::exists(desktop_ / ".._.._evil"));
    EXPECT_FALSE(fs::exists(desktop_.parent_path().parent_path() / "evil"));
}

TEST_F(UpdateFlow, FailedDownloadWritesNothing) {
    Serve(fs::path("files") / "empty.exe", "");
    for (const char* name : {"missing.exe", "empty.exe"}) {
        std::ofstream(desktop_ / name) << "previous";
        AnswerNextMessageBoxes({platform::kIdOk});
        int code = -1;
        try {
            DownloadUpdate(FileAddress(name));
        } catch (const ProcessEnded& ended) {
            code = ended.code;
        }
        EXPECT_EQ(code, 0) << name;
        const auto boxes = TakeShownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << name;
        EXPECT_EQ(boxes[0].text, Text("更新失败，请稍后再试！"));
        EXPECT_EQ(boxes[0].title, Text("错误"));
        EXPECT_EQ(boxes[0].flags, platform::kMbIconError);
        std::ifstream file(desktop_ / name);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), "previous") << name;
    }
    EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace tallowin::update
