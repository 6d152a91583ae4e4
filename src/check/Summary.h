#pragma once
// The summary shown after a check run, read back from the finished result list.

#include "check/ResultList.h"

namespace tallowin::check {

// Sets `originality` to "文章原创度：N%", N being the share of rows without a
// similar page, and `similar` to "该文章在网络上有：M篇相似文章", M counting every
// address entry of column 0 of every row. An empty list gives 0%.
void ComputeSummary(const ResultList& list, Label& originality, Label& similar);

}  // namespace tallowin::check
