// tallowin-manifest: the publishing side of the update check.
//   tallowin-manifest build [--key KEY] --url URL --version V --notes FILE [--forced] [-o FILE]
//   tallowin-manifest decode [--key KEY] FILE
// Arguments, files and output are UTF-8; the manifest text itself is GBK.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "common/BuildConstants.h"
#include "common/TextOps.h"
#include "support/CodePages.h"
#include "update/Manifest.h"

namespace {

using tallowin::common::Text;

constexpr int kUsage = 1;
constexpr int kInvalid = 2;

int Usage() {
    std::cerr << "usage: tallowin-manifest build [--key KEY] --url URL --version V --notes FILE "
                 "[--forced] [-o FILE]\n"
                 "       tallowin-manifest decode [--key KEY] FILE\n";
    return kUsage;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Printed as UTF-8 text.
std::string Utf8(const Text& gbk) { return tallowin::support::GbkToUtf8(gbk).Bytes(); }
Text Gbk(const std::string& utf8) { return tallowin::support::Utf8ToGbk(Text(utf8)); }

int Build(std::map<std::string, std::string>& options, bool forced) {
    for (const char* required : {"--url", "--version", "--notes"}) {
        if (!options.count(required)) return Usage();
    }
    const Text key(options["--key"]);
    const auto notes = ReadFile(options["--notes"]);
    if (!notes) {
        std::cerr << "tallowin-manifest: cannot read " << options["--notes"] << "\n";
        return kUsage;
    }
    const tallowin::common::TextArray fields = {Gbk(options["--url"]), Gbk(options["--version"]),
                                                Gbk(*notes), forced ? Text("真") : Text("假")};
    for (const Text& field : fields) {
        if (tallowin::common::Contains(field, key)) {
            std::cerr << "tallowin-manifest: a field contains the key\n";
            return kUsage;
        }
    }
    if (fields[0].IsEmpty() || fields[1].IsEmpty()) {
        std::cerr << "tallowin-manifest: the URL and the version must not be empty\n";
        return kUsage;
    }
    const Text manifest =
        tallowin::update::EncodeManifest(tallowin::common::Join(fields, key), key);
    if (options.count("-o")) {
        std::ofstream out(options["-o"], std::ios::binary | std::ios::trunc);
        out << manifest.Bytes();
        if (!out.flush()) {
            std::cerr << "tallowin-manifest: cannot write " << options["-o"] << "\n";
            return kUsage;
        }
    } else {
        std::cout << manifest.Bytes();
    }
    return 0;
}

int Decode(std::map<std::string, std::string>& options, const std::string& file) {
    const Text key(options["--key"]);
    const auto content = ReadFile(file);
    if (!content) {
        std::cerr << "tallowin-manifest: cannot read " << file << "\n";
        return kUsage;
    }
    const Text received(*content);  // up to the first zero byte, as the application reads it
    const Text tag = tallowin::update::ManifestTag(key);
    if (tallowin::common::Right(received, 9) != tag) {
        std::cerr
            << "tallowin-manifest: not a valid manifest: the last 9 characters are not the tag "
            << tag << " of this key";
        if (!received.IsEmpty() &&
            (received.Bytes().back() == '\n' || received.Bytes().back() == '\r'))
            std::cerr << " (the file ends in a line break)";
        std::cerr << "\n";
        return kInvalid;
    }
    const Text text = tallowin::update::DecodeManifest(received, key);
    const tallowin::common::TextArray fields = tallowin::common::Split(text, key);
    if (fields.size() != 4) {
        std::cerr << "tallowin-manifest: not a valid manifest: it has " << fields.size()
                  << " fields instead of 4\n";
        return kInvalid;
    }
    static const char* const kNames[] = {"url", "version", "notes", "forced"};
    for (int i = 0; i < 4; ++i) {
        std::cout << kNames[i] << ": " << Utf8(fields[i]) << "\n";
    }
    std::cout << "forced update: " << (fields[3] == "真" ? "yes" : "no") << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    std::map<std::string, std::string> options{{"--key", tallowin::common::kUpdateKey}};
    bool forced = false;
    std::string file;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--forced" && command == "build") {
            forced = true;
        } else if (arg == "--key" || (command == "build" && (arg == "--url" || arg == "--version" ||
                                                             arg == "--notes" || arg == "-o"))) {
            if (i + 1 >= argc) return Usage();
            options[arg] = argv[++i];
        } else if (command == "decode" && file.empty() && arg.rfind("--", 0) != 0) {
            file = arg;
        } else {
            return Usage();
        }
    }
    if (options["--key"].empty()) return Usage();
    if (command == "build") return Build(options, forced);
    if (command == "decode" && !file.empty()) return Decode(options, file);
    return Usage();
}
