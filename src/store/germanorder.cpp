#include "germanorder.h"

#include "engineerror.h"

#include <unicode/ucol.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <string>
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

constexpr int kRankedEnd = 0x250; // the Latin letters
using Ranks = std::array<unsigned char, kRankedEnd>;
using Set = std::unique_ptr<USet, decltype(&uset_close)>;

// A character's first-level sort key: the same for two characters of the same base letter.
std::string baseKey(const UCollator* base, UChar32 c) {
    UChar text[U16_MAX_LENGTH];
    int32_t length = 0;
    U16_APPEND_UNSAFE(text, length, c);
    uint8_t key[64];
    const int32_t size = ucol_getSortKey(base, text, length, key, int32_t(sizeof key));
    return size > 0 && size <= int32_t(sizeof key)
               ? std::string(reinterpret_cast<const char*>(key), size_t(size))
               : std::string();
}

// Where two texts first differ in characters of different base letters (or different
// punctuation or digits), that difference decides the order: the same beginning weighs the
// same in both, and the first level is compared before the others. This holds for characters
// that weigh on their own at the first level, as one ASCII character does: "ä" weighs as "a",
// "Ł" as "L", while "ß" (as "ss"), "Æ" (as "ae") and "Þ" (a letter of its own) are left to the
// collation. Left to it as well are control characters, which weigh nothing, and characters
// weighed together with a neighbour: in a contraction such as "L·", or by a weight that
// depends on the character before. The ranks come from the collation itself, and so do the
// characters to leave out; a letter's cases share a rank, 0 leaves a character to the
// collation. Worked out once: they are the same for every collator for "de".
Ranks computeRanks(const UCollator* base, const UCollator* full) {
    UErrorCode status = U_ZERO_ERROR;
    const Set contractions(uset_openEmpty(), uset_close);
    const Set expansions(uset_openEmpty(), uset_close);
    ucol_getContractionsAndExpansions(full, contractions.get(), expansions.get(), true, &status);
    // Every character that takes part in a contraction.
    const Set contracted(uset_openEmpty(), uset_close);
    const int32_t items = uset_getItemCount(contractions.get());
    for (int32_t i = 0; i < items && U_SUCCESS(status); ++i) {
        UChar32 start = 0;
        UChar32 end = 0;
        UChar text[64];
        const int32_t length = uset_getItem(contractions.get(), i, &start, &end, text,
                                            int32_t(std::size(text)), &status);
        if (length == 0)
            uset_addRange(contracted.get(), start, end);
        else
            uset_addAllCodePoints(contracted.get(), text, length);
    }
    const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
    if (U_FAILURE(status))
        return {}; // no shortcut at all

    // The printable ASCII characters in first-level order; one that expands to several
    // weights sorts by its first only, so it cannot stand for a base letter.
    Ranks ranks{};
    std::vector<UChar> ascii;
    for (UChar c = 0x20; c < 0x7F; ++c)
        ascii.push_back(c);
    auto compare = [base](UChar x, UChar y) { return ucol_strcoll(base, &x, 1, &y, 1); };
    std::stable_sort(ascii.begin(), ascii.end(),
                     [&](UChar x, UChar y) { return compare(x, y) == UCOL_LESS; });
    std::map<std::string, unsigned char> rankByKey;
    unsigned char rank = 0;
    for (size_t i = 0; i < ascii.size(); ++i) {
        if (i == 0 || compare(ascii[i - 1], ascii[i]) != UCOL_EQUAL)
            ++rank;
        if (!uset_contains(expansions.get(), ascii[i]))
            rankByKey.emplace(baseKey(base, ascii[i]), rank);
    }
    rankByKey.erase(std::string());

    for (UChar32 c = 0x20; c < kRankedEnd; ++c) {
        const auto found = rankByKey.find(baseKey(base, c));
        if (found == rankByKey.end())
            continue;
        // Neither the character nor a part of its decomposition ("ä" is "a" and U+0308) may
        // take part in a contraction.
        UChar parts[16];
        int32_t length = unorm2_getDecomposition(nfd, c, parts, int32_t(std::size(parts)), &status);
        if (U_FAILURE(status))
            return {};
        bool alone = !uset_contains(contracted.get(), c);
        for (int32_t k = 0; alone && k < length;) {
            UChar32 part;
            U16_NEXT(parts, k, length, part);
            alone = !uset_contains(contracted.get(), part);
        }
        if (alone)
            ranks[size_t(c)] = found->second;
    }
    return ranks;
}

// The character at text[0..bytes) if it is one of the ranked ones, or -1.
constexpr int kEnd = -2; // no character: the end of the text
int rankedCharacter(const unsigned char* text, int bytes) {
    if (text[0] < 0x80)
        return text[0];
    if (bytes >= 2 && (text[0] & 0xE0) == 0xC0 && (text[1] & 0xC0) == 0x80) {
        const int c = ((text[0] & 0x1F) << 6) | (text[1] & 0x3F);
        return c >= 0x80 && c < kRankedEnd ? c : -1;
    }
    return -1;
}

} // namespace

GermanOrder::GermanOrder() : m_full(openGerman(UCOL_TERTIARY)) {
    try {
        m_base = openGerman(UCOL_PRIMARY);
    } catch (...) {
        ucol_close(m_full);
        throw;
    }
    static const Ranks ranks = computeRanks(m_base, m_full);
    m_rank = ranks;
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

    // The shortcut (see computeRanks): from the first difference on, the characters' ranks one
    // by one, as long as both texts go on with ranked characters; the first different rank, or
    // the end of one text, decides. Bytes before the difference are the same in both texts, so
    // both start a character at the same place.
    const auto* ua = reinterpret_cast<const unsigned char*>(a);
    const auto* ub = reinterpret_cast<const unsigned char*>(b);
    const int common = std::min(aBytes, bBytes);
    int i = 0;
    while (i < common && ua[i] == ub[i])
        ++i;
    const unsigned char* probe = i < aBytes ? ua : ub;
    while (i > 0 && (probe[i] & 0xC0) == 0x80)
        --i;
    for (int ia = i, ib = i;;) {
        const int ca = ia < aBytes ? rankedCharacter(ua + ia, aBytes - ia) : kEnd;
        const int cb = ib < bBytes ? rankedCharacter(ub + ib, bBytes - ib) : kEnd;
        const unsigned rankA = ca >= 0 ? m_rank[size_t(ca)] : 0;
        const unsigned rankB = cb >= 0 ? m_rank[size_t(cb)] : 0;
        if ((rankA == 0 && ca != kEnd) || (rankB == 0 && cb != kEnd) || (ca == kEnd && cb == kEnd))
            break; // a character left to the collation, or the same base letters throughout
        if (rankA != rankB)
            return rankA < rankB ? -1 : 1; // the end of a text (rank 0) comes first
        ia += ca < 0x80 ? 1 : 2;
        ib += cb < 0x80 ? 1 : 2;
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
