#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Crypto.h"
#include "platform/Files.h"

namespace tallowin::platform {
namespace {

namespace fs = std::filesystem;

TEST(Files, GbkPathsAreUtf8OnDisk) {
    const fs::path folder =
        fs::temp_directory_path() / ("tallowin-files-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const common::Text gbkFolder(folder.string() + "/");
    const common::Text path = gbkFolder + "新版.exe";
    const common::Bytes content = {'a', 0, 'b'};

    std::ofstream(folder / "\xE6\x96\xB0\xE7\x89\x88.exe") << "an older and longer file";
    ASSERT_TRUE(WriteFileAtomically(path, content));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadWholeFile(path), content);
    EXPECT_EQ(fs::file_size(folder / "\xE6\x96\xB0\xE7\x89\x88.exe"), 3u);
    // Nothing of the temporary name is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    EXPECT_FALSE(WriteFileAtomically(gbkFolder + "no-such-folder/x", content));
    EXPECT_FALSE(WriteWholeFile(gbkFolder + "no-such-folder/x", content));
    EXPECT_FALSE(ReadWholeFile(gbkFolder + "missing").has_value());
    EXPECT_FALSE(FileExists(gbkFolder + "missing"));
    EXPECT_FALSE(FileExists(""));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tallowin::platform
