#include "germanorder.h"

#include "engineerror.h"

#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

UCollator* openGerman(UCollationStrength strength) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("de", &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Die deutsche Sortierfolge kann nicht geladen werden "
                                         "(%1).")
                              .arg(QLatin1String(u_errorName(status))));
    }
    ucol_setStrength(collator, strength);
    return collator;
}

int32_t length(QStringView text) {
    return static_cast<int32_t>(std::min<qsizetype>(text.size(), INT32_MAX));
}

// Byte order, which for UTF-8 is code point order.
int compareBytes(const char* a, int aBytes, const char* b, int bBytes) {
    const int common = std::min(aBytes, bBytes);
    const int bytes = common > 0 ? std::memcmp(a, b, static_cast<size_t>(common)) : 0;
    return bytes != 0 ? sign(bytes) : sign(aBytes - bBytes);
}

// Code point order of UTF-16 text: surrogates (the code points above U+FFFF) come after
// U+E000..U+FFFF, not before them as their code units would.
int compareCodePoints(QStringView a, QStringView b) {
    const auto [pa, pb] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (pa == a.end() || pb == b.end())
        return sign(int(pb == b.end()) - int(pa == a.end()));
    auto fixup = [](char16_t unit) -> int {
        if (unit < 0xD800)
            return unit;
        return unit >= 0xE000 ? unit - 0x800 : unit + 0x2000;
    };
    return sign(fixup(pa->unicode()) - fixup(pb->unicode()));
}

// Where two texts first differ in printable ASCII characters of different base letters (or
// different punctuation), that difference decides the order: the same beginning weighs the same
// in both, and the first level is compared before the others. This holds for characters that
// weigh on their own: not expanded to several weights, nor weighed together with a neighbour
// (in a contraction such as "L·", or by a weight that depends on the character before). The
// ranks come from the collation itself, and so does the list of characters to leave out; a
// letter's two cases share a rank, 0 leaves a character to the collation. Worked out once: they
// are the same for every collator for "de".
std::array<unsigned char, 128> computeAsciiRanks(const UCollator* base, const UCollator* full) {
    std::array<unsigned char, 128> ranks{};
    std::vector<UChar> chars;
    for (UChar c = 0x20; c < 0x7F; ++c)
        chars.push_back(c);
    auto compare = [base](UChar x, UChar y) { return ucol_strcoll(base, &x, 1, &y, 1); };
    std::stable_sort(chars.begin(), chars.end(),
                     [&](UChar x, UChar y) { return compare(x, y) == UCOL_LESS; });
    unsigned char rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 || compare(chars[i - 1], chars[i]) != UCOL_EQUAL)
            ++rank;
        ranks[chars[i]] = rank;
    }

    using Set = std::unique_ptr<USet, decltype(&uset_close)>;
    const Set contractions(uset_openEmpty(), uset_close);
    const Set expansions(uset_openEmpty(), uset_close);
    UErrorCode status = U_ZERO_ERROR;
    ucol_getContractionsAndExpansions(full, contractions.get(), expansions.get(), true, &status);
    if (U_FAILURE(status))
        return {}; // no shortcut at all
    for (UChar32 c = 0; c < 0x80; ++c)
        if (uset_contains(expansions.get(), c))
            ranks[c] = 0;
    const int32_t items = uset_getItemCount(contractions.get());
    for (int32_t i = 0; i < items; ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        UChar text[64];
        const int32_t length = uset_getItem(contractions.get(), i, &start, &end, text,
                                            int32_t(std::size(text)), &status);
        if (U_FAILURE(status))
            return {};
        for (UChar32 c = start; length == 0 && c <= end && c < 0x80; ++c)
            ranks[c] = 0;
        for (int32_t k = 0; k < length; ++k)
            if (text[k] < 0x80)
                ranks[text[k]] = 0;
    }
    return ranks;
}

} // namespace

GermanOrder::GermanOrder() : m_full(openGerman(UCOL_TERTIARY)) {
    try {
        m_base = openGerman(UCOL_PRIMARY);
    } catch (...) {
        ucol_close(m_full);
        throw;
    }
    static const std::array<unsigned char, 128> ranks = computeAsciiRanks(m_base, m_full);
    m_asciiRank = ranks;
}

GermanOrder::~GermanOrder() {
    ucol_close(m_base);
    ucol_close(m_full);
}

int GermanOrder::compare(const char* a, int aBytes, const char* b, int bBytes) const {
    aBytes = std::max(aBytes, 0);
    bBytes = std::max(bBytes, 0);
    if (aBytes == bBytes && (aBytes == 0 || std::memcmp(a, b, static_cast<size_t>(aBytes)) == 0))
        return 0; // the same text: common in a sort, so answered first

    // The shortcut (see computeAsciiRanks): the first difference is in two ASCII characters of
    // different rank.
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    const int common = std::min(aBytes, bBytes);
    int i = 0;
    while (i < common && ua[i] == ub[i])
        ++i;
    if (i < common && (ua[i] | ub[i]) < 0x80) {
        const unsigned rankA = m_asciiRank[ua[i]];
        const unsigned rankB = m_asciiRank[ub[i]];
        if (rankA != 0 && rankB != 0 && rankA != rankB)
            return rankA < rankB ? -1 : 1;
    }

    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(m_full, a, aBytes, b, bBytes, &status);
    if (U_SUCCESS(status) && result != UCOL_EQUAL)
        return result == UCOL_LESS ? -1 : 1;
    return compareBytes(a, aBytes, b, bBytes);
}

int GermanOrder::compare(QStringView a, QStringView b) const {
    if (a == b)
        return 0;
    const UCollationResult result =
        ucol_strcoll(m_full, a.utf16(), length(a), b.utf16(), length(b));
    if (result != UCOL_EQUAL)
        return result == UCOL_LESS ? -1 : 1;
    return compareCodePoints(a, b);
}

int GermanOrder::compareBaseLetters(char32_t a, char32_t b) const {
    UChar textA[U16_MAX_LENGTH];
    UChar textB[U16_MAX_LENGTH];
    int32_t lengthA = 0;
    int32_t lengthB = 0;
    U16_APPEND_UNSAFE(textA, lengthA, static_cast<UChar32>(a));
    U16_APPEND_UNSAFE(textB, lengthB, static_cast<UChar32>(b));
    return ucol_strcoll(m_base, textA, lengthA, textB, lengthB);
}

const GermanOrder& GermanOrder::forThisThread() {
    thread_local const GermanOrder order;
    return order;
}
