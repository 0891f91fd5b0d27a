// JetPattern against a plain backtracking matcher written from the rules in jetpattern.h, and the
// German order's two forms (UTF-8 and UTF-16) against each other.
#include "jetpattern.h"

#include <QString>

#include <fuzzer/FuzzedDataProvider.h>
#include <unicode/ucol.h>
#include <unicode/utf16.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr qsizetype MaxLength = 200; // UTF-16 units of pattern and text

QString codePoints(const QString& s) {
    QString out;
    for (char32_t c : s.toStdU32String())
        out += QString::number(uint(c), 16) + u' ';
    return out;
}

void check(bool ok, const char* what, const QString& pattern, const QString& text,
           char32_t escape = 0) {
    if (ok)
        return;
    std::fprintf(stderr, "%s: pattern \"%s\" text \"%s\" escape %x\npattern %s\ntext %s\n", what,
                 pattern.toUtf8().constData(), text.toUtf8().constData(), uint(escape),
                 codePoints(pattern).toUtf8().constData(), codePoints(text).toUtf8().constData());
    std::abort();
}

// Remembers what f gives for a character (the reference would otherwise spend its time in Qt
// and ICU).
template <class F> auto remembered(char32_t c, F f) {
    static std::unordered_map<char32_t, decltype(f(c))> known;
    if (known.size() > 100000)
        known.clear();
    auto it = known.find(c);
    if (it == known.end())
        it = known.emplace(c, f(c)).first;
    return it->second;
}

std::u32string fold(char32_t c) {
    return remembered(
        c, [](char32_t ch) { return QString::fromUcs4(&ch, 1).toCaseFolded().toStdU32String(); });
}

// A character's place in German order at the first level (base letters: case and accents
// ignored, ß as ss), as ICU's sort key for it: keys compare as bytes.
std::vector<uint8_t> orderKey(char32_t c) {
    static UCollator* const collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* opened = ucol_open("de", &status);
        if (U_FAILURE(status))
            std::abort();
        ucol_setStrength(opened, UCOL_PRIMARY);
        return opened;
    }();
    return remembered(c, [](char32_t ch) {
        UChar text[U16_MAX_LENGTH];
        int32_t length = 0;
        U16_APPEND_UNSAFE(text, length, static_cast<UChar32>(ch));
        std::vector<uint8_t> key(32);
        int32_t size = ucol_getSortKey(collator, text, length, key.data(), int32_t(key.size()));
        if (size > int32_t(key.size())) {
            key.resize(size_t(size));
            size = ucol_getSortKey(collator, text, length, key.data(), size);
        }
        key.resize(size_t(size));
        return key;
    });
}

struct Element {
    enum Kind { Literal, One, Digit, Run, List };
    Element(Kind k, char32_t c = 0, bool n = false) : kind(k), ch(c), negated(n) {}

    Kind kind;
    char32_t ch;
    bool negated;
    std::vector<char32_t> singles;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool takes(char32_t c) const {
        switch (kind) {
        case Literal:
            return fold(c) == fold(ch);
        case One:
        case Run:
            return true;
        case Digit:
            return c >= U'0' && c <= U'9';
        case List:
            break;
        }
        bool in = false;
        for (char32_t s : singles)
            in = in || fold(s) == fold(c);
        for (const auto& [lo, hi] : ranges)
            in = in || (orderKey(lo) <= orderKey(c) && orderKey(c) <= orderKey(hi));
        return in != negated;
    }
};

std::vector<Element> compile(const std::u32string& p, char32_t escape) {
    std::vector<Element> out;
    for (size_t i = 0; i < p.size();) {
        const char32_t c = p[i];
        if (escape != 0 && c == escape) { // an escape at the very end stands for itself
            out.push_back({Element::Literal, i + 1 < p.size() ? p[i + 1] : c});
            i += 2;
            continue;
        }
        if (c == U'*' || c == U'?' || c == U'#') {
            out.push_back({c == U'*' ? Element::Run : c == U'?' ? Element::One : Element::Digit});
            ++i;
            continue;
        }
        size_t close = std::u32string::npos;
        size_t first = i + 1;
        const bool negated = c == U'[' && first < p.size() && p[first] == U'!';
        if (c == U'[')
            close = p.find(U']', first + (negated ? 1 : 0));
        if (close == std::u32string::npos) {
            out.push_back({Element::Literal, c});
            ++i;
            continue;
        }
        Element list{Element::List, 0, negated};
        for (size_t k = first + (negated ? 1 : 0); k < close; ++k) {
            if (k + 2 < close && p[k + 1] == U'-') {
                list.ranges.push_back({p[k], p[k + 2]});
                k += 2;
            } else {
                list.singles.push_back(p[k]);
            }
        }
        // "[]" stands for no character at all, "[!]" for any one.
        if (!list.singles.empty() || !list.ranges.empty() || negated)
            out.push_back(list);
        i = close + 1;
    }
    return out;
}

bool referenceMatch(const std::vector<Element>& pattern, const std::u32string& text) {
    const size_t width = text.size() + 1;
    std::vector<signed char> memo(width * (pattern.size() + 1), -1);
    auto match = [&](auto&& self, size_t pi, size_t ti) -> bool {
        signed char& known = memo[pi * width + ti];
        if (known >= 0)
            return known;
        bool result;
        if (pi == pattern.size())
            result = ti == text.size();
        else if (pattern[pi].kind == Element::Run)
            result = self(self, pi + 1, ti) || (ti < text.size() && self(self, pi, ti + 1));
        else
            result = ti < text.size() && pattern[pi].takes(text[ti]) && self(self, pi + 1, ti + 1);
        known = result;
        return result;
    };
    return match(match, 0, 0);
}

// At most MaxLength UTF-16 units, never half a surrogate pair.
QString cut(QString s) {
    if (s.size() > MaxLength) {
        s.truncate(MaxLength);
        if (s.back().isHighSurrogate())
            s.chop(1);
    }
    return s;
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    static const char32_t escapes[] = {U'\\', U'!', U'*', U'[', U']', U'-', U'a', U'Ä'};
    const char32_t escape =
        input.ConsumeBool() ? escapes[input.ConsumeIntegralInRange<size_t>(0, 7)] : 0;
    // Half the inputs spell pattern and text in a few telling characters, one per byte; the
    // rest are UTF-8 as they come.
    const bool small = input.ConsumeBool();
    const std::string patternBytes = input.ConsumeRandomLengthString(4 * MaxLength);
    const std::string textBytes = input.ConsumeRemainingBytesAsString();
    auto decode = [small](const std::string& bytes) {
        static const char32_t alphabet[] = U"*?#[]!-aAbBcäÄöoßẞsSzZ09é\\";
        if (!small)
            return cut(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
        std::u32string chars;
        for (unsigned char b : bytes)
            chars += alphabet[b % (std::size(alphabet) - 1)];
        return cut(QString::fromStdU32String(chars));
    };
    const QString pattern = decode(patternBytes);
    const QString text = decode(textBytes);

    const JetPattern compiled(pattern, escape);
    const bool expected =
        referenceMatch(compile(pattern.toStdU32String(), escape), text.toStdU32String());
    check(compiled.matches(text) == expected, "matches", pattern, text, escape);
    const QByteArray utf8 = text.toUtf8();
    check(compiled.matchesUtf8(utf8.constData(), int(utf8.size())) == expected, "matchesUtf8",
          pattern, text, escape);
    // Bytes that are not UTF-8 must not trip the matcher.
    compiled.matchesUtf8(textBytes.data(), int(textBytes.size()));

    // The order is total (equal only for the same text), antisymmetric, and the same on UTF-8
    // and UTF-16.
    const QByteArray p8 = pattern.toUtf8();
    const int order = sign(germanCompare(pattern, text));
    check(order == -sign(germanCompare(text, pattern)), "antisymmetric", pattern, text);
    check((order == 0) == (pattern == text), "total", pattern, text);
    check(order == sign(germanCompare(p8.constData(), int(p8.size()), utf8.constData(),
                                      int(utf8.size()))),
          "UTF-8 and UTF-16 order", pattern, text);
    return 0;
}
