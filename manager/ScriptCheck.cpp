#include "ScriptCheck.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "ManagerApi.h"
#include "NumberFormat.h"
#include "ScriptKeys.h"
#include "ScriptReader.h"

namespace nbs {

namespace {

constexpr const char *kHeaderKeys[] = {"particles", "maintype", "attachment"};
constexpr std::size_t kTextLimit = kParticleTextSize - 1;
constexpr std::size_t kShownValueLength = 40;

// One token with the place it takes in the text.
struct Placed {
    const char *begin = nullptr;  // first byte, the opening quote of a quoted token
    const char *end = nullptr;    // one past the last byte, closing quote included
    Token token;

    bool quoted() const { return *begin == '"'; }
    bool closed() const { return !quoted() || (end - begin >= 2 && end[-1] == '"'); }
    // Bytes of the value in the text, before the token buffer's cut.
    std::size_t rawLength() const
    {
        const std::size_t all = static_cast<std::size_t>(end - begin);
        return quoted() ? all - (closed() ? 2 : 1) : all;
    }
    const char *content() const { return quoted() ? begin + 1 : begin; }
    bool is(const char *word) const { return EqualsIgnoreCase(token.text, token.length, word); }
    bool isBrace() const { return is("{") || is("}"); }
    std::string_view view() const { return token.view(); }
};

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// A value for a message: quoted, one line, at most 40 bytes, not cut inside
// a UTF-8 sequence.
std::string Shown(std::string_view value)
{
    std::size_t length = value.size();
    const bool cut = length > kShownValueLength;
    if (cut) {
        length = kShownValueLength;
        while (length > 0 && (static_cast<unsigned char>(value[length]) & 0xC0) == 0x80)
            --length;
    }
    std::string shown = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        shown += (c < 0x20 || c == 0x7f) ? ' ' : static_cast<char>(c);
    }
    shown += cut ? "...\"" : "\"";
    return shown;
}

std::string ShownReal(double value)
{
    char text[kNumberTextSize];
    return std::string(text, FormatReal(value, text));
}

bool OnlySeparators(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsSeparator);
}

bool IsWholeReal(std::string_view text)
{
    const std::size_t n = RealLength(text);
    return n > 0 && OnlySeparators(text.substr(n));
}

// Edit distance between two keys, letters compared ignoring case.
std::size_t Distance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t change = diagonal + (LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1);
            row[j] = std::min({change, above + 1, row[j - 1] + 1});
            diagonal = above;
        }
    }
    return row[b.size()];
}

bool LooksLikeKey(std::string_view word)
{
    if (word.empty())
        return false;
    const char c = LowerAscii(word[0]);
    return (c >= 'a' && c <= 'z') || c == '_';
}

const SectionKey *FindSectionKey(const Placed &t)
{
    for (const SectionKey &key : kSectionKeys) {
        if (t.is(key.key))
            return &key;
    }
    return nullptr;
}

bool IsHeaderKey(const Placed &t)
{
    return std::any_of(std::begin(kHeaderKeys), std::end(kHeaderKeys),
                       [&t](const char *k) { return t.is(k); });
}

bool IsTypeKey(const Placed &t)
{
    return t.is("name") || FindSectionKey(t) != nullptr;
}

bool MustNotBeNegative(const char *key)
{
    return std::strcmp(key, "startsize") == 0 || std::strcmp(key, "endsize") == 0 ||
           std::strcmp(key, "lifetime") == 0;
}

class Checker {
public:
    Checker(const char *text, std::size_t length) : text_(text), cursor_{text, text + length} {}

    std::vector<Finding> Run()
    {
        Placed t;
        while (Take(t))
            TopLevelToken(t);
        CheckReferences();
        if (!anyKey_) {
            // Every word of a text without keys is unknown; one finding says it.
            std::erase_if(findings_, [](const Finding &f) { return f.severity == Severity::Warning; });
            findings_.push_back({0, Severity::Warning, kNoKeyFinding});
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
        return std::move(findings_);
    }

private:
    enum class Scope { Header, Type };

    struct TypeSeen {
        std::string name;              // as the reader stores it
        const char *nameAt = nullptr;  // where the name is given; null for the default name
        bool kept = false;             // within the ten entries of the record
    };

    struct Reference {
        const char *at;
        std::string target;
        const char *what;
    };

    void Add(const char *at, Severity severity, std::string message)
    {
        findings_.push_back({static_cast<std::size_t>(at - text_), severity, std::move(message)});
    }
    void Error(const char *at, std::string message) { Add(at, Severity::Error, std::move(message)); }
    void Warning(const char *at, std::string message) { Add(at, Severity::Warning, std::move(message)); }

    bool Peek(Placed &t)
    {
        const ScriptCursor saved = cursor_;
        const bool found = Take(t, false);
        cursor_ = saved;
        return found;
    }

    bool Take(Placed &t, bool report = true)
    {
        SkipToToken(cursor_);
        t.begin = cursor_.pos;
        if (!NextToken(cursor_, t.token))
            return false;
        t.end = cursor_.pos;
        if (report && !t.closed())
            Error(t.begin, "quote is not closed: the rest of the text is one value");
        return true;
    }

    // Asked for places in the order of the text, so lines are counted once.
    std::size_t LineOf(const char *at)
    {
        if (at > counted_) {
            line_ += static_cast<std::size_t>(std::count(counted_, at, '\n'));
            counted_ = at;
        }
        return line_;
    }

    // A key's value is the next token whatever it is; a brace taken as a
    // value almost always means the value is missing.
    bool TakeValue(const Placed &key, Placed &value)
    {
        if (!Take(value)) {
            Error(key.begin, Shown(key.view()) + " has no value");
            return false;
        }
        if (value.isBrace()) {
            Error(value.begin, Shown(value.view()) + " is taken as the value of " + Shown(key.view()) +
                                   ": the value is missing");
            return false;
        }
        return true;
    }

    void CheckTextLength(const Placed &value)
    {
        if (value.rawLength() > kTextLimit)
            Error(value.begin, "text is longer than 255 characters: cut to its first 255");
    }

    std::string StoredText(const Placed &value) const
    {
        return std::string(value.view().substr(0, std::min(value.token.length, kTextLimit)));
    }

    void TopLevelToken(const Placed &t)
    {
        Placed value;
        if (t.is("{")) {
            TypeSection(t);
        } else if (t.is("}")) {
            Warning(t.begin, "\"}\" closes no type section and is ignored");
        } else if (t.is("particles") || t.is("attachment")) {
            anyKey_ = true;
            if (!TakeValue(t, value))
                return;
            const std::size_t n = IntegerLength(value.view());
            const int32_t number = ReadInteger(value.view());
            if (n == 0 || !OnlySeparators(value.view().substr(n)))
                Error(value.begin,
                      Shown(value.view()) + " is not a whole number: reads as " + std::to_string(number));
            else if (t.is("particles") && number < 1)
                Warning(value.begin, "\"particles\" should be at least 1");
        } else if (t.is("maintype")) {
            anyKey_ = true;
            if (!TakeValue(t, value))
                return;
            CheckTextLength(value);
            mainType_ = Reference{value.begin, StoredText(value), "main type"};
        } else if (IsTypeKey(t)) {
            Warning(t.begin, Shown(t.view()) + " belongs inside a type section and is ignored here");
            SkipValueOf(Scope::Header);
        } else {
            Unknown(t, Scope::Header);
        }
    }

    void Unknown(const Placed &t, Scope scope)
    {
        if (!LooksLikeKey(t.view())) {
            Warning(t.begin, Shown(t.view()) + " is not a key and is ignored");
            return;
        }
        std::string message = "unknown key " + Shown(t.view());
        const char *nearest = NearestKey(t.view(), scope);
        if (nearest != nullptr)
            message += std::string(" (did you mean \"") + nearest + "\"?)";
        Warning(t.begin, message);
        SkipValueOf(scope);
    }

    // The token after an ignored key is its value unless it is a key or a
    // brace itself; the reader ignores it either way, so one finding suffices.
    void SkipValueOf(Scope scope)
    {
        Placed next;
        if (!Peek(next) || next.isBrace())
            return;
        if (scope == Scope::Header ? IsHeaderKey(next) : IsTypeKey(next))
            return;
        Take(next);
    }

    const char *NearestKey(std::string_view word, Scope scope) const
    {
        constexpr std::size_t kLongestKey = 14;  // "bouncefriction"
        if (word.size() > 2 * kLongestKey)
            return nullptr;  // nothing near enough, and no need to measure it
        const char *best = nullptr;
        std::size_t bestDistance = 0;
        auto consider = [&](const char *key) {
            const std::size_t d = Distance(word, key);
            if (best == nullptr || d < bestDistance) {
                best = key;
                bestDistance = d;
            }
        };
        if (scope == Scope::Header) {
            for (const char *key : kHeaderKeys)
                consider(key);
        } else {
            consider("name");
            for (const SectionKey &key : kSectionKeys)
                consider(key.key);
        }
        // Only a near miss is worth suggesting.
        return (bestDistance <= 2 || bestDistance * 3 <= word.size()) ? best : nullptr;
    }

    void TypeSection(const Placed &open)
    {
        TypeSeen type{"default", nullptr, types_.size() < static_cast<std::size_t>(kMaxParticleTypes)};
        if (!type.kept)
            Error(open.begin, "more than ten types: this type is dropped");
        Placed t;
        for (;;) {
            if (!Take(t)) {
                Error(open.begin, "\"{\" is not closed");
                break;
            }
            if (t.is("}"))
                break;
            if (t.is("{")) {
                Error(t.begin, "\"{\" inside a type section is ignored: the section opened at line " +
                                   std::to_string(LineOf(open.begin)) + " is not closed");
                continue;
            }
            if (t.is("name")) {
                anyKey_ = true;
                Placed value;
                if (TakeValue(t, value)) {
                    CheckTextLength(value);
                    type.name = StoredText(value);
                    type.nameAt = value.begin;
                }
                continue;
            }
            const SectionKey *key = FindSectionKey(t);
            if (key == nullptr) {
                if (IsHeaderKey(t)) {
                    Warning(t.begin,
                            Shown(t.view()) + " belongs at the top level and is ignored inside a type");
                    SkipValueOf(Scope::Type);
                } else {
                    Unknown(t, Scope::Type);
                }
                continue;
            }
            anyKey_ = true;
            SectionValue(t, *key, type);
        }
        types_.push_back(std::move(type));
    }

    void SectionValue(const Placed &t, const SectionKey &key, const TypeSeen &type)
    {
        if (key.kind == KeyKind::Vector) {
            Offset(t);
            return;
        }
        Placed value;
        if (!TakeValue(t, value))
            return;
        switch (key.kind) {
        case KeyKind::Text:
            CheckTextLength(value);
            if (type.kept && value.token.length > 0 && key.text != &ParticleType::sprite) {
                references_.push_back({value.begin, StoredText(value),
                                       key.text == &ParticleType::spraytype ? "spray type" : "overlay type"});
            }
            break;
        case KeyKind::RenderMode:
            if (!IsScriptWord(key.kind, value.token.text, value.token.length))
                Warning(value.begin, "unknown render mode " + Shown(value.view()) +
                                         ": reads as additive (use additive, solid, texture or color)");
            break;
        case KeyKind::DrawCondition:
        case KeyKind::KillCondition:
            // The empty value is the writer's own "no condition".
            if (value.token.length > 0 && !IsScriptWord(key.kind, value.token.text, value.token.length)) {
                Warning(value.begin,
                        std::string("unknown ") + (key.kind == KeyKind::DrawCondition ? "draw" : "kill") +
                            " condition " + Shown(value.view()) +
                            ": reads as no condition (use empty, water, solid" +
                            (key.kind == KeyKind::DrawCondition ? ", special, special2 or special3)" : ")"));
            }
            break;
        case KeyKind::Range: Range(key.key, value); break;
        case KeyKind::Vector: break;
        }
    }

    void Range(const char *key, const Placed &value)
    {
        const std::string_view v = value.view();
        const std::size_t dots = v.find("..");
        ParamRange range{};
        ParseRange(v, range);
        const bool wellFormed = dots == std::string_view::npos
                                    ? IsWholeReal(v)
                                    : IsWholeReal(v.substr(0, dots)) && IsWholeReal(v.substr(dots + 2));
        if (!wellFormed) {
            Error(value.begin, Shown(v) + " is not a number or a range such as 2..5: reads as " +
                                   ShownReal(range.min) +
                                   (dots == std::string_view::npos ? "" : ".." + ShownReal(range.max)));
        } else if (MustNotBeNegative(key) && (range.min < 0 || range.max < 0)) {
            Warning(value.begin, std::string("\"") + key + "\" should not be negative");
        }
    }

    // "offset" takes up to three numbers from the tokens after it for as long
    // as they begin with a number, as the reader does.
    void Offset(const Placed &key)
    {
        int count = 0;
        Placed t;
        while (count < 3 && Peek(t) && StartsWithNumber(t.view())) {
            Take(t);
            const std::string_view v = t.view();
            std::size_t i = 0;
            for (;;) {
                while (i < v.size() && IsSeparator(v[i]))
                    ++i;
                if (i == v.size())
                    break;
                const std::size_t start = i;
                while (i < v.size() && !IsSeparator(v[i]))
                    ++i;
                const std::string_view piece = v.substr(start, i - start);
                if (count == 3) {
                    Error(t.content() + start,
                          "\"offset\" takes three numbers: " + Shown(v.substr(start)) + " is ignored");
                    break;
                }
                if (!IsWholeReal(piece))
                    Error(t.content() + start,
                          Shown(piece) + " is not a number: reads as " + ShownReal(ReadReal(piece)));
                ++count;
            }
        }
        if (count == 3)
            return;
        if (count == 0 && Peek(t) && !t.isBrace() && !IsTypeKey(t)) {
            Take(t);
            Error(t.begin,
                  Shown(t.view()) + " is not three numbers such as \"0 0 10\": the offset reads as 0 0 0");
            return;
        }
        Error(key.begin,
              "\"offset\" takes three numbers, " + std::to_string(count) + " given: the rest read as 0");
    }

    void CheckReferences()
    {
        auto names = [this](std::string_view target) {
            return std::any_of(types_.begin(), types_.end(), [&target](const TypeSeen &type) {
                return type.kept && SameNameIgnoringCase(type.name, target);
            });
        };
        if (mainType_.at != nullptr && !names(mainType_.target))
            Warning(mainType_.at, "main type " + Shown(mainType_.target) + " names no type");
        for (const Reference &ref : references_) {
            if (!names(ref.target))
                Warning(ref.at, std::string(ref.what) + " " + Shown(ref.target) + " names no type");
        }
        for (std::size_t k = 0; k < types_.size(); ++k) {
            const TypeSeen &type = types_[k];
            if (!type.kept || type.nameAt == nullptr)
                continue;
            for (std::size_t j = 0; j < k; ++j) {
                if (SameNameIgnoringCase(types_[j].name, type.name)) {
                    Warning(type.nameAt, "another type is already named " + Shown(types_[j].name));
                    break;
                }
            }
        }
    }

    const char *text_;
    ScriptCursor cursor_;
    std::vector<Finding> findings_;
    std::vector<TypeSeen> types_;
    std::vector<Reference> references_;
    Reference mainType_{nullptr, {}, nullptr};
    bool anyKey_ = false;
    const char *counted_ = text_;
    std::size_t line_ = 1;
};

// Appends to a NUL-terminated report of a given size, cutting what does not fit.
class ReportSink {
public:
    ReportSink(char *report, int32_t size)
        : report_(report), room_(report != nullptr && size > 0 ? size - 1 : 0)
    {
        if (report_ != nullptr && size > 0)
            report_[0] = '\0';
    }

    void Append(std::string_view piece)
    {
        const std::size_t n = std::min(piece.size(), static_cast<std::size_t>(room_) - used_);
        if (n == 0)
            return;
        std::memcpy(report_ + used_, piece.data(), n);
        used_ += n;
        report_[used_] = '\0';
    }

private:
    char *report_;
    int32_t room_;
    std::size_t used_ = 0;
};

}  // namespace

std::vector<Finding> CheckScript(const char *text, std::size_t length)
{
    return Checker(text, length).Run();
}

int32_t WriteReport(const char *text, std::size_t length, const std::vector<Finding> &findings, char *report,
                    int32_t size)
{
    ReportSink sink(report, size);
    std::size_t line = 1;
    std::size_t lineStart = 0;
    std::size_t scanned = 0;
    for (const Finding &finding : findings) {
        const std::size_t offset = std::min(finding.offset, length);
        for (; scanned < offset; ++scanned) {
            if (text[scanned] == '\n') {
                ++line;
                lineStart = scanned + 1;
            }
        }
        const std::string place = std::to_string(line) + ":" + std::to_string(offset - lineStart + 1) + ": ";
        sink.Append(place);
        sink.Append(finding.severity == Severity::Error ? "error: " : "warning: ");
        sink.Append(finding.message);
        sink.Append("\n");
    }
    return static_cast<int32_t>(std::min<std::size_t>(findings.size(), INT32_MAX));
}

int32_t WriteKeyList(char *buffer, int32_t size)
{
    ReportSink sink(buffer, size);
    int32_t count = 0;
    auto add = [&](const char *scope, const char *key) {
        sink.Append(scope);
        sink.Append(key);
        sink.Append("\n");
        ++count;
    };
    add("header ", "particles");
    add("header ", "maintype");
    add("header ", "attachment");
    add("type ", "name");
    for (const SectionKey &key : kSectionKeys)
        add("type ", key.key);
    return count;
}

}  // namespace nbs
