#include "germanorder.h"

#include "engineerror.h"

#include <unicode/ucol.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>

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

} // namespace

GermanOrder::GermanOrder() : m_full(openGerman(UCOL_TERTIARY)) {
    try {
        m_base = openGerman(UCOL_PRIMARY);
    } catch (...) {
        ucol_close(m_full);
        throw;
    }
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
