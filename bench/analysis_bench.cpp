// The result-page analysis against a bare PCRE2 JIT scan of its block pattern,
// the segmentation of a long article and the wide-to-GBK conversion.
//
//   cmake -S . -B build/check-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/check-rel --target analysis_bench
//   build/check-rel/bench/analysis_bench
//
// Targets: the whole analysis of the generated 600 KB page within 3x of the bare
// scan of the same page; SegmentArticle over 1 MB under 20 ms.

#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "check/ResultPageAnalysis.h"
#include "check/Segmentation.h"
#include "common/TextOps.h"
#include "platform/CodePage.h"
#include "support/CodePages.h"

namespace {

using tallowin::common::Text;
using tallowin::common::TextArray;

// A result page in the layout the analysis reads: a head with style and script,
// then about 600 KB of result blocks, one per line, with em marks, a date span
// and the footer links and tools of a real block; every third one is similar.
Text GeneratedPage() {
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>原创度检查_百度搜索</title>"
        "<style>.c-container{width:538px;font-size:13px}.c-abstract{word-break:break-all}</style>"
        "<script>var bds={se:{},comm:{ishome:0,sid:\"1426_21089_18560\",queryEnc:\"%D4%AD\"}};"
        "</script></head><body><div id=\"wrapper\"><div id=\"content_left\">\n";
    const Text similarTitle = "<em>文章原创度检查</em>工具";
    const Text plainTitle = "文章<em>原创度</em>检查工具的使用方法和常见问题_百度经验";
    const Text similarAbstract =
        "<span class=\" newTimeFactor_before_abs m\">2019年4月28日&nbsp;-&nbsp;</span>"
        "<em>文章原创度检查是指用工具把文章分成若干段</em>，逐段<em>在搜索引擎上查找</"
        "em>相同的句子。";
    const Text plainAbstract =
        "<span class=\" newTimeFactor_before_abs m\">2020年1月3日&nbsp;-&nbsp;</span>"
        "写作者在发布之前，常常想知道自己的<em>文章</em>在网上是否已有相似的内容，"
        "于是有了各种<em>原创度</em>检测的办法，本文介绍其中最常用的几种，并比较它们的优缺点。";
    int block = 0;
    while (page.size() < 600 * 1024) {
        const bool similar = block % 3 == 0;
        const std::string n = std::to_string(block + 1);
        const std::string link =
            "http://www.baidu.com/link?url=Kq3dF7pLx9Vb2Rm" + n + "Tz8Wc1Ny5Hs0Je6Ua4Gi";
        page += "<div class=\"result c-container \" id=\"" + n +
                "\" srcid=\"1599\" tpl=\"se_com_default\" data-click=\"{&quot;rsv_bdr&quot;:"
                "&quot;0&quot;,&quot;p5&quot;:" +
                n + "}\"><h3 class=\"t\"><a href=\"" + link +
                "\" target=\"_blank\" data-click=\"{'F':'778317EA','F1':'9D73F1E4','T':'1426','y':"
                "'FDFBF6F7'}\">" +
                (similar ? similarTitle : plainTitle).Bytes() +
                "</a></h3><div class=\"c-abstract\">" +
                (similar ? similarAbstract : plainAbstract).Bytes() +
                "</div><div class=\"f13\"><a target=\"_blank\" href=\"" + link +
                "\" class=\"c-showurl\" style=\"text-decoration:none;\">jingyan.baidu.com/article/"
                "a3aad71a&nbsp;</a><div class=\"c-tools\" id=\"tools_" +
                n + "\" data-tools='{\"title\":\"文章原创度检查工具\",\"url\":\"" + link +
                "\"}'><a class=\"c-tip-icon\"><i class=\"c-icon c-icon-triangle-down-g\"></i></a>"
                "</div><span class=\"c-icons-outer\"><span class=\"c-icons-inner\"></span></span>"
                " - <a data-click=\"{'rsv_snapshot':'1'}\" href=\"http://cache.baiducontent.com/"
                "c?m=9d78d513d9d431a94f9d" +
                n +
                "&amp;p=8b2a971d\" target=\"_blank\" class=\"m\">"
                "百度快照</a></div></div>\n";
        ++block;
    }
    page += "</div></div></body></html>\n";
    return Text(std::move(page));
}

const Text& Page() {
    static const Text page = GeneratedPage();
    return page;
}

void BM_AnalyseGeneratedPage(benchmark::State& state) {
    const Text& page = Page();
    int count = 0;
    int blocks = 0;
    TextArray urls;
    for (auto _ : state) {
        tallowin::check::AnalyseResultPage(tallowin::check::SimilarityThreshold, page, count, urls,
                                           &blocks);
        benchmark::DoNotOptimize(count);
    }
    state.counters["blocks"] = blocks;
    state.counters["similar"] = count;
    state.SetBytesProcessed(state.iterations() * page.Length());
}
BENCHMARK(BM_AnalyseGeneratedPage)->Unit(benchmark::kMillisecond);

// What a regex engine must do at least: one JIT scan of the block pattern over
// the page already in UTF-16, collecting the matches and nothing else.
void BM_BarePcre2BlockScan(benchmark::State& state) {
    const Text& page = Page();
    const std::u16string wide = tallowin::platform::MultiByteToWide(page.View(), 936);
    const std::string patternBytes =
        tallowin::common::ReplaceAll(tallowin::check::ResultBlockPattern, "#引号", "\"").Bytes();
    const std::u16string pattern = tallowin::platform::MultiByteToWide(patternBytes, 936);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                      PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_UTF, &error, &errorOffset, nullptr);
    if (code == nullptr || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) {
        state.SkipWithError("pattern does not compile");
        return;
    }
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(wide.data());
    int matches = 0;
    for (auto _ : state) {
        matches = 0;
        PCRE2_SIZE offset = 0;
        while (offset <= wide.size() &&
               pcre2_jit_match(code, subject, wide.size(), offset, 0, match, nullptr) > 0) {
            const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(match);
            ++matches;
            offset = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["blocks"] = matches;
    state.SetBytesProcessed(state.iterations() * page.Length());
    pcre2_match_data_free(match);
    pcre2_code_free(code);
}
BENCHMARK(BM_BarePcre2BlockScan)->Unit(benchmark::kMillisecond);

void BM_AnalyseRealPage(benchmark::State& state, const Text& page) {
    int count = 0;
    TextArray urls;
    for (auto _ : state) {
        tallowin::check::AnalyseResultPage(tallowin::check::SimilarityThreshold, page, count, urls);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * page.Length());
}

void BM_SegmentArticle(benchmark::State& state) {
    // 1 MB of Chinese prose with blanks, full-width blanks and CR LF paragraph ends.
    const Text paragraph =
        "写作者在发布之前， 常常想知道自己的文章在网上是否已有相似的内容。　"
        "于是有了各种原创度检测的办法 and some ASCII words.\r\n";
    std::string article;
    while (article.size() < 1024 * 1024) article += paragraph.Bytes();
    const Text text(std::move(article));
    for (auto _ : state) {
        TextArray segments;
        tallowin::check::SegmentArticle(text, segments);
        benchmark::DoNotOptimize(segments.data());
    }
    state.SetBytesProcessed(state.iterations() * text.Length());
}
BENCHMARK(BM_SegmentArticle)->Unit(benchmark::kMillisecond);

void BM_WideBufferToGbk(benchmark::State& state) {
    // 1 MB of UTF-16LE: Chinese, ASCII and a character GBK lacks.
    const std::u16string piece = u"原创度检查 originality check 한";
    std::u16string wide;
    while (wide.size() * 2 < 1024 * 1024) wide += piece;
    tallowin::common::Bytes bytes(wide.size() * 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(wide[i] >> 8);
    }
    for (auto _ : state) {
        const Text text = tallowin::support::WideBufferToGbk(bytes);
        benchmark::DoNotOptimize(text.Length());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_WideBufferToGbk)->Unit(benchmark::kMillisecond);

void RegisterRealPages() {
    static std::vector<Text> pages;  // outlives the benchmarks that refer to it
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(TALLOWIN_FIXTURES "/serp")) {
        if (entry.path().extension() == ".html") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    pages.reserve(paths.size());
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        pages.push_back(tallowin::support::Utf8ToGbk(Text(bytes.str())));
        benchmark::RegisterBenchmark(("BM_AnalyseRealPage/" + path.stem().string()).c_str(),
                                     BM_AnalyseRealPage, std::cref(pages.back()))
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterRealPages();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
