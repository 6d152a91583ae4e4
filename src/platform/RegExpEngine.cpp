#include "platform/RegExpEngine.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace tallowin::platform {

namespace {

// ---- compiled patterns

struct CompiledPattern {
    pcre2_code* code = nullptr;
    std::uint32_t groups = 0;

    CompiledPattern() = default;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;
    ~CompiledPattern() { pcre2_code_free(code); }
};
using CompiledPtr = std::shared_ptr<const CompiledPattern>;

// What one thread needs to match: contexts with our newline and limits, a JIT
// stack, one match data block reused by every search, and the patterns compiled
// last. The analysis of a result page makes a new engine for every small
// pattern it runs, so compiling (and JIT-compiling) each time would cost more
// than the matching.
class ThreadState {
public:
    ThreadState() {
        compile_ = pcre2_compile_context_create(nullptr);
        pcre2_set_newline(compile_, PCRE2_NEWLINE_LF);
        match_ = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(match_, kRegExpMatchLimit);
        pcre2_set_depth_limit(match_, kRegExpDepthLimit);
        // The default JIT stack (32 KB) runs out on long lines with nested groups.
        jitStack_ = pcre2_jit_stack_create(32 * 1024, 8 * 1024 * 1024, nullptr);
        if (jitStack_ != nullptr) pcre2_jit_stack_assign(match_, nullptr, jitStack_);
    }
    ~ThreadState() {
        cache_.clear();
        pcre2_match_data_free(data_);
        pcre2_jit_stack_free(jitStack_);
        pcre2_match_context_free(match_);
        pcre2_compile_context_free(compile_);
    }
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;

    pcre2_match_context* MatchContext() const { return match_; }

    pcre2_match_data* MatchData(std::uint32_t pairs) {
        if (data_ == nullptr || pairs_ < pairs) {
            pcre2_match_data_free(data_);
            pairs_ = std::max<std::uint32_t>(pairs, 16);
            data_ = pcre2_match_data_create(pairs_, nullptr);
        }
        return data_;
    }

    CompiledPtr Compile(const std::u16string& pattern, std::uint32_t options) {
        auto hit = std::find_if(cache_.begin(), cache_.end(), [&](const Entry& e) {
            return e.options == options && e.pattern == pattern;
        });
        if (hit != cache_.end()) {
            std::rotate(cache_.begin(), hit, hit + 1);
            return cache_.front().compiled;
        }
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()),
                                         pattern.size(), options, &error, &errorOffset, compile_);
        if (code == nullptr) return nullptr;
        // Without JIT support pcre2_match runs the interpreter.
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
        auto compiled = std::make_shared<CompiledPattern>();
        compiled->code = code;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &compiled->groups);
        if (cache_.size() == kCacheSize) cache_.pop_back();
        cache_.insert(cache_.begin(), Entry{pattern, options, compiled});
        return compiled;
    }

private:
    static constexpr std::size_t kCacheSize = 16;
    struct Entry {
        std::u16string pattern;
        std::uint32_t options;
        CompiledPtr compiled;
    };

    pcre2_compile_context* compile_ = nullptr;
    pcre2_match_context* match_ = nullptr;
    pcre2_jit_stack* jitStack_ = nullptr;
    pcre2_match_data* data_ = nullptr;
    std::uint32_t pairs_ = 0;
    std::vector<Entry> cache_;
};

ThreadState& State() {
    thread_local ThreadState state;
    return state;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Lone surrogates become U+FFFD, unit for unit, so every offset stays valid
// and the searches can skip PCRE2's UTF check (which would otherwise rescan
// the subject on every search of a global run).
bool HasLoneSurrogate(std::u16string_view text) {
    // Blocks without any surrogate unit (nearly every page) are passed over
    // with a loop the compiler vectorises; only blocks holding one are walked.
    constexpr std::size_t kBlock = 64;
    for (std::size_t start = 0; start < text.size(); start += kBlock) {
        const std::size_t end = std::min(text.size(), start + kBlock);
        bool any = false;
        for (std::size_t i = start; i < end; ++i) any |= (text[i] & 0xF800) == 0xD800;
        if (!any) continue;
        for (std::size_t i = start; i < end; ++i) {
            if (IsLow(text[i]) && !(i > 0 && IsHigh(text[i - 1]))) return true;
            if (IsHigh(text[i]) && !(i + 1 < text.size() && IsLow(text[i + 1]))) return true;
        }
    }
    return false;
}

void RepairUtf16(std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            ++i;
        } else if (IsHigh(text[i]) || IsLow(text[i])) {
            text[i] = 0xFFFD;
        }
    }
}

std::size_t NextCharacter(std::u16string_view text, std::size_t at) {
    if (at + 1 < text.size() && IsHigh(text[at]) && IsLow(text[at + 1])) return at + 2;
    return at + 1;
}

// Calls onMatch(ovector) for the first match, or for every non-overlapping
// match from left to right when `global`. A search that fails, also one that
// reaches a limit, ends the run.
template <typename OnMatch>
void ForEachMatch(const CompiledPattern& pattern, std::u16string_view subject, bool global,
                  OnMatch&& onMatch) {
    ThreadState& state = State();
    pcre2_match_data* data = state.MatchData(pattern.groups + 1);
    if (data == nullptr) return;
    std::size_t offset = 0;
    while (offset <= subject.size()) {
        const int rc =
            pcre2_match(pattern.code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                        offset, PCRE2_NO_UTF_CHECK, data, state.MatchContext());
        if (rc < 0) return;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
        onMatch(ov);
        if (!global) return;
        std::size_t next = ov[1] > ov[0] ? ov[1] : NextCharacter(subject, ov[1]);
        if (next <= offset) next = NextCharacter(subject, offset);
        offset = next;
    }
}

std::optional<std::int64_t> IndexArgument(std::span<const Variant> args) {
    if (args.size() != 1) return std::nullopt;
    return args[0].AsInteger();
}

// ---- match collection, match, sub-matches

// Holds the subject and the offsets of every match; texts are cut out only
// when asked for.
class MatchCollection : public Dispatch, public std::enable_shared_from_this<MatchCollection> {
public:
    MatchCollection(std::shared_ptr<const std::u16string> subject, std::uint32_t groups)
        : subject_(std::move(subject)), stride_(2 * (groups + 1)) {}

    void Add(const PCRE2_SIZE* ovector) {
        offsets_.insert(offsets_.end(), ovector, ovector + stride_);
    }
    std::size_t Count() const { return offsets_.size() / stride_; }
    std::uint32_t Groups() const { return static_cast<std::uint32_t>(stride_ / 2 - 1); }

    // Text of group `group` (0 = the whole match) of match `index`; empty
    // when the group took no part.
    std::u16string Text(std::size_t index, std::uint32_t group) const {
        const auto [start, end] = Span(index, group);
        if (start == PCRE2_UNSET || end < start) return {};
        return subject_->substr(start, end - start);
    }
    std::pair<PCRE2_SIZE, PCRE2_SIZE> Span(std::size_t index, std::uint32_t group) const {
        const PCRE2_SIZE* ov = &offsets_[index * stride_ + 2 * group];
        return {ov[0], ov[1]};
    }

    std::optional<Variant> GetProperty(std::string_view name,
                                       std::span<const Variant> args) override;
    std::optional<Variant> Invoke(std::string_view name, std::span<const Variant> args) override {
        return GetProperty(name, args);
    }

private:
    std::shared_ptr<const std::u16string> subject_;
    std::size_t stride_;
    std::vector<PCRE2_SIZE> offsets_;
};

// A match, or the groups of a match: read-only members, reachable as
// properties or as methods.
class MatchPart : public Dispatch {
public:
    MatchPart(std::shared_ptr<const MatchCollection> matches, std::size_t index)
        : matches_(std::move(matches)), index_(index) {}
    std::optional<Variant> Invoke(std::string_view name, std::span<const Variant> args) override {
        return GetProperty(name, args);
    }

protected:
    std::shared_ptr<const MatchCollection> matches_;
    std::size_t index_;
};

class SubMatches : public MatchPart {
public:
    using MatchPart::MatchPart;

    std::optional<Variant> GetProperty(std::string_view name,
                                       std::span<const Variant> args) override {
        if (SameName(name, "Count") && args.empty())
            return Variant(static_cast<std::int64_t>(matches_->Groups()));
        if (SameName(name, "Item")) {
            const auto j = IndexArgument(args);
            if (!j || *j < 0 || *j >= matches_->Groups()) return std::nullopt;
            return Variant(matches_->Text(index_, static_cast<std::uint32_t>(*j + 1)));
        }
        return std::nullopt;
    }
};

class Match : public MatchPart {
public:
    using MatchPart::MatchPart;

    std::optional<Variant> GetProperty(std::string_view name,
                                       std::span<const Variant> args) override {
        if (!args.empty()) return std::nullopt;
        if (SameName(name, "Value")) return Variant(matches_->Text(index_, 0));
        const auto [start, end] = matches_->Span(index_, 0);
        if (SameName(name, "FirstIndex")) return Variant(static_cast<std::int64_t>(start));
        if (SameName(name, "Length"))
            return Variant(static_cast<std::int64_t>(end > start ? end - start : 0));
        if (SameName(name, "SubMatches"))
            return Variant(AutomationObject(std::make_shared<SubMatches>(matches_, index_)));
        return std::nullopt;
    }
};

std::optional<Variant> MatchCollection::GetProperty(std::string_view name,
                                                    std::span<const Variant> args) {
    if (SameName(name, "Count") && args.empty()) return Variant(static_cast<std::int64_t>(Count()));
    if (SameName(name, "Item")) {
        const auto i = IndexArgument(args);
        if (!i || *i < 0 || static_cast<std::size_t>(*i) >= Count()) return std::nullopt;
        return Variant(AutomationObject(
            std::make_shared<Match>(shared_from_this(), static_cast<std::size_t>(*i))));
    }
    return std::nullopt;
}

// ---- replacement text

// A replacement text cut into literal pieces and references, once per Replace.
class Replacement {
public:
    enum class Kind { Literal, Group, Whole, Before, After };
    struct Piece {
        Kind kind;
        std::u16string text;  // Literal
        std::uint32_t group;  // Group
    };

    Replacement(std::u16string_view text, std::uint32_t groups) {
        std::u16string literal;
        auto flush = [&] {
            if (!literal.empty()) pieces_.push_back({Kind::Literal, std::move(literal), 0});
            literal.clear();
        };
        auto reference = [&](Kind kind, std::uint32_t group = 0) {
            flush();
            pieces_.push_back({kind, {}, group});
        };
        auto digit = [&](std::size_t at) -> int {
            return at < text.size() && text[at] >= u'0' && text[at] <= u'9' ? text[at] - u'0' : -1;
        };
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != u'$' || i + 1 == text.size()) {
                literal.push_back(text[i]);
                continue;
            }
            const char16_t next = text[i + 1];
            if (next == u'$') {
                literal.push_back(u'$');
                ++i;
            } else if (next == u'&') {
                reference(Kind::Whole);
                ++i;
            } else if (next == u'`') {
                reference(Kind::Before);
                ++i;
            } else if (next == u'\'') {
                reference(Kind::After);
                ++i;
            } else if (const int d1 = digit(i + 1); d1 >= 0) {
                // Two digits when they name a group, else one, else no reference.
                const int d2 = digit(i + 2);
                const int two = d2 >= 0 ? d1 * 10 + d2 : -1;
                if (two >= 1 && static_cast<std::uint32_t>(two) <= groups) {
                    reference(Kind::Group, static_cast<std::uint32_t>(two));
                    i += 2;
                } else if (d1 >= 1 && static_cast<std::uint32_t>(d1) <= groups) {
                    reference(Kind::Group, static_cast<std::uint32_t>(d1));
                    i += 1;
                } else {
                    literal.push_back(u'$');
                }
            } else {
                literal.push_back(u'$');
            }
        }
        flush();
    }

    void AppendTo(std::u16string& out, std::u16string_view subject, const PCRE2_SIZE* ov) const {
        for (const Piece& piece : pieces_) {
            switch (piece.kind) {
                case Kind::Literal:
                    out += piece.text;
                    break;
                case Kind::Whole:
                    out.append(subject.substr(ov[0], ov[1] - ov[0]));
                    break;
                case Kind::Before:
                    out.append(subject.substr(0, ov[0]));
                    break;
                case Kind::After:
                    out.append(subject.substr(ov[1]));
                    break;
                case Kind::Group: {
                    const PCRE2_SIZE start = ov[2 * piece.group];
                    const PCRE2_SIZE end = ov[2 * piece.group + 1];
                    if (start != PCRE2_UNSET && end >= start)
                        out.append(subject.substr(start, end - start));
                    break;
                }
            }
        }
    }

private:
    std::vector<Piece> pieces_;
};

// ---- the RegExp object

class RegExp : public Dispatch {
public:
    std::optional<Variant> GetProperty(std::string_view name,
                                       std::span<const Variant> args) override {
        if (!args.empty()) return std::nullopt;
        if (SameName(name, "Pattern")) return Variant(pattern_);
        if (SameName(name, "IgnoreCase")) return Variant(ignoreCase_);
        if (SameName(name, "Global")) return Variant(global_);
        if (SameName(name, "Multiline")) return Variant(multiline_);
        return std::nullopt;
    }

    bool SetProperty(std::string_view name, const Variant& value) override {
        if (SameName(name, "Global")) {
            global_ = value.AsBool();
            return true;
        }
        if (SameName(name, "Pattern")) {
            pattern_ = value.AsWide();
        } else if (SameName(name, "IgnoreCase")) {
            ignoreCase_ = value.AsBool();
        } else if (SameName(name, "Multiline")) {
            multiline_ = value.AsBool();
        } else {
            return false;
        }
        compiled_.reset();
        return true;
    }

    std::optional<Variant> Invoke(std::string_view name, std::span<const Variant> args) override {
        if (SameName(name, "Execute") && args.size() == 1) return Execute(args[0]);
        if (SameName(name, "Test") && args.size() == 1) return Test(args[0]);
        if (SameName(name, "Replace") && args.size() == 2) return Replace(args[0], args[1]);
        return GetProperty(name, args);
    }

private:
    const CompiledPattern* Compiled() {
        if (!compiled_) {
            // JavaScript-style: $ without Multiline only at the very end, \uhhhh
            // and \xhh escapes, an unset group's back reference matches empty.
            std::uint32_t options = PCRE2_UTF | PCRE2_DOLLAR_ENDONLY | PCRE2_ALT_BSUX |
                                    PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
            if (ignoreCase_) options |= PCRE2_CASELESS;
            if (multiline_) options |= PCRE2_MULTILINE;
            compiled_ = State().Compile(pattern_, options);
        }
        return compiled_.get();
    }

    // The subject as given, copied only when it needs repair.
    static std::shared_ptr<const std::u16string> Subject(const Variant& value) {
        std::shared_ptr<const std::u16string> subject = value.SharedWide();
        if (!HasLoneSurrogate(*subject)) return subject;
        auto repaired = std::make_shared<std::u16string>(*subject);
        RepairUtf16(*repaired);
        return repaired;
    }

    std::optional<Variant> Execute(const Variant& value) {
        const CompiledPattern* pattern = Compiled();
        if (pattern == nullptr) return std::nullopt;
        const std::shared_ptr<const std::u16string> subject = Subject(value);
        auto matches = std::make_shared<MatchCollection>(subject, pattern->groups);
        ForEachMatch(*pattern, *subject, global_, [&](const PCRE2_SIZE* ov) { matches->Add(ov); });
        return Variant(AutomationObject(matches));
    }

    std::optional<Variant> Test(const Variant& value) {
        const CompiledPattern* pattern = Compiled();
        if (pattern == nullptr) return std::nullopt;
        const auto shared = Subject(value);
        const std::u16string& subject = *shared;
        bool found = false;
        ForEachMatch(*pattern, subject, false, [&](const PCRE2_SIZE*) { found = true; });
        return Variant(found);
    }

    std::optional<Variant> Replace(const Variant& value, const Variant& replacementValue) {
        const CompiledPattern* pattern = Compiled();
        if (pattern == nullptr) return std::nullopt;
        const auto shared = Subject(value);
        const std::u16string& subject = *shared;
        const Replacement replacement(replacementValue.AsWide(), pattern->groups);
        std::u16string out;
        out.reserve(subject.size());
        std::size_t done = 0;
        ForEachMatch(*pattern, subject, global_, [&](const PCRE2_SIZE* ov) {
            if (ov[0] < done || ov[1] < ov[0]) return;  // \K games; keep the text as it is
            out.append(subject, done, ov[0] - done);
            replacement.AppendTo(out, subject, ov);
            done = ov[1];
        });
        out.append(subject, done);
        return Variant(std::move(out));
    }

    std::u16string pattern_;
    bool ignoreCase_ = false;
    bool global_ = false;
    bool multiline_ = false;
    CompiledPtr compiled_;
};

}  // namespace

std::shared_ptr<Dispatch> CreateRegExpObject() { return std::make_shared<RegExp>(); }

}  // namespace tallowin::platform
