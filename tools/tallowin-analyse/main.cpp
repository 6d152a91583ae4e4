// tallowin-analyse [--encoding utf-8|gbk] FILE
//
// Runs the result-page analysis on a saved result page and prints the similar
// count, then each similar address on its own line, in page order (UTF-8).
// The page is held as the system holds one: GBK, with "?" for characters GBK
// lacks. Exit status 2, with nothing on stdout, for a bad command line or a
// file that cannot be read.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "check/ResultPageAnalysis.h"
#include "support/CodePages.h"

namespace {

using tallowin::common::Text;
using tallowin::common::TextArray;

constexpr int kUsageOrInputError = 2;

int Fail(const std::string& message) {
    std::cerr << "tallowin-analyse: " << message << "\n"
              << "usage: tallowin-analyse [--encoding utf-8|gbk] FILE\n";
    return kUsageOrInputError;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    // A directory opens but does not read.
    const bool failed = std::ferror(file) != 0;
    if (failed) error = std::strerror(errno);
    std::fclose(file);
    return !failed;
}

}  // namespace

int main(int argc, char** argv) {
    bool gbk = false;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--encoding") {
            if (i + 1 >= argc) return Fail("--encoding needs a value");
            const std::string_view value = argv[++i];
            if (value == "utf-8") {
                gbk = false;
            } else if (value == "gbk") {
                gbk = true;
            } else {
                return Fail("unknown encoding \"" + std::string(value) + "\"");
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option \"" + std::string(arg) + "\"");
        } else if (path.empty()) {
            path = arg;
        } else {
            return Fail("only one FILE");
        }
    }
    if (path.empty()) return Fail("no FILE given");
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) return Fail("cannot read " + path + ": " + error);

    const Text raw(std::move(bytes));  // a page never holds a NUL: it ends there
    const Text html = gbk ? raw : tallowin::support::Utf8ToGbk(raw);
    int count = 0;
    TextArray urls;
    int blocks = 0;
    tallowin::check::AnalyseResultPage(tallowin::check::SimilarityThreshold, html, count, urls,
                                       &blocks);
    std::cout << count << "\n";
    for (const Text& url : urls) std::cout << tallowin::support::GbkToUtf8(url).Bytes() << "\n";
    if (blocks == 0) {
        std::cerr << "tallowin-analyse: " << path
                  << ": no result block in the layout the analysis reads\n";
    }
    return 0;
}
