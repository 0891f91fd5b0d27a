#pragma once

#include <QStringView>

#include <array>

struct UCollator;

// German order as ICU collates the locale "de" (the Unicode root order, which German uses
// unchanged; ä sorts as a variant of a, not as ae). It is the order a PostgreSQL store with
// the ICU collation "de-DE-x-icu" gives, so both list the children alike:
//  - first the base letters, with ß as ss, Æ as ae and Œ as oe, Ł Ø Đ as L O D; blanks and
//    punctuation count and sort before digits, digits (one by one, not as numbers) before
//    letters, Latin before Greek and Cyrillic;
//  - then accents: "Muller" before "Müller";
//  - then case, lower case first: "van der Berg" before "Van der Berg".
// Texts this order holds equal (such as the same word in another Unicode normalization form)
// are ordered by their bytes, which is code point order, so only the same text compares equal.
//
// An object is used by one thread at a time: each connection has its own, and the free
// functions use one per thread.
class GermanOrder {
  public:
    // Throws EngineError when the collation data cannot be loaded.
    GermanOrder();
    ~GermanOrder();
    GermanOrder(const GermanOrder&) = delete;
    GermanOrder& operator=(const GermanOrder&) = delete;

    // Texts in UTF-8 (bytes that are not UTF-8 sort as U+FFFD, then by their bytes) and in
    // UTF-16. Return <0, 0, >0.
    int compare(const char* a, int aBytes, const char* b, int bBytes) const;
    int compare(QStringView a, QStringView b) const;
    // Two characters by base letter alone, case and accents ignored ("a" = "Ä", "ß" = "ss"):
    // the ranges of the LIKE patterns.
    int compareBaseLetters(char32_t a, char32_t b) const;

    // The calling thread's own object, opened at its first use.
    static const GermanOrder& forThisThread();

  private:
    UCollator* m_full = nullptr;
    UCollator* m_base = nullptr;
    // The first-level ranks of the Latin letters, digits and ASCII punctuation (U+0000 to
    // U+024F), for a shortcut past the collation; 0 for a character the shortcut must leave
    // to it.
    std::array<unsigned char, 0x250> m_rank{};
};
