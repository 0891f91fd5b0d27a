#include "jetpattern.h"

#include "germanformat.h"
#include "germanorder.h"
#include "sqlitewrap.h"

#include <QChar>

#include <algorithm>
#include <memory>
#include <new>

namespace {

// ---------------------------------------------------------------------------------------------
// Characters

// Reads code points from UTF-8 without allocating. A byte that does not start a valid sequence
// stands for itself in the range U+DC80..U+DCFF, so damaged text still compares and matches
// deterministically.
struct Utf8Reader {
    const unsigned char* p;
    const unsigned char* end;

    Utf8Reader(const char* text, int bytes)
        : p(reinterpret_cast<const unsigned char*>(text)), end(p + (bytes > 0 ? bytes : 0)) {}
    bool atEnd() const { return p == end; }
    char32_t next() {
        const unsigned lead = *p++;
        if (lead < 0x80)
            return lead;
        int extra;
        char32_t cp;
        char32_t smallest;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
            smallest = 0x10000;
        } else {
            return 0xDC00 + lead;
        }
        if (end - p < extra)
            return 0xDC00 + lead;
        for (int i = 0; i < extra; ++i) {
            const unsigned byte = p[i];
            if ((byte & 0xC0) != 0x80)
                return 0xDC00 + lead;
            cp = (cp << 6) | (byte & 0x3F);
        }
        if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0xDC00 + lead;
        p += extra;
        return cp;
    }
};

struct Utf16Reader {
    const char16_t* p;
    const char16_t* end;

    explicit Utf16Reader(QStringView text) : p(text.utf16()), end(text.utf16() + text.size()) {}
    bool atEnd() const { return p == end; }
    char32_t next() {
        const char16_t unit = *p++;
        if (QChar::isHighSurrogate(unit) && p != end && QChar::isLowSurrogate(*p))
            return QChar::surrogateToUcs4(unit, *p++);
        return unit;
    }
};

inline char32_t asciiLower(char32_t c) {
    return c - U'A' < 26u ? c + 32 : c;
}

// Simple Unicode case folding, with a fast path for ASCII.
inline char32_t foldCase(char32_t c) {
    return c < 0x80 ? asciiLower(c) : QChar::toCaseFolded(c);
}

// ---------------------------------------------------------------------------------------------
// The SQL side: like() and the collation

struct CompiledLike {
    JetPattern pattern;
    char32_t escape;
};

void deleteCompiledLike(void* p) {
    delete static_cast<CompiledLike*>(p);
}

// like(pattern, text [, escape]): the pattern comes first. Null in any argument gives Null, so a
// Null field never matches, not even "*".
void jetLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
    }
    try {
        char32_t escape = 0;
        if (argc == 3) {
            Utf8Reader reader(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])),
                              sqlite3_value_bytes(argv[2]));
            if (!reader.atEnd())
                escape = reader.next();
            if (escape == 0 || !reader.atEnd()) {
                sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
                return;
            }
        }
        // The compiled pattern is kept with the statement for as long as the pattern argument
        // stays the same, so a search over many rows compiles it once.
        auto* compiled = static_cast<CompiledLike*>(sqlite3_get_auxdata(ctx, 0));
        std::unique_ptr<CompiledLike> fresh;
        if (!compiled || compiled->escape != escape) {
            const char* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
            const QString text = QString::fromUtf8(pattern, sqlite3_value_bytes(argv[0]));
            const auto* order = static_cast<const GermanOrder*>(sqlite3_user_data(ctx));
            fresh.reset(new CompiledLike{JetPattern(text, escape, order), escape});
            compiled = fresh.get();
        }
        bool result;
        if (compiled->pattern.matchesEverything()) {
            result = true;
        } else if (sqlite3_value_type(argv[1]) == SQLITE_FLOAT) {
            // A Single is matched in the form the user sees it: "2,5".
            const float value = static_cast<float>(sqlite3_value_double(argv[1]));
            result = compiled->pattern.matches(GermanFormat::formatSingle(value));
        } else {
            const char* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
            result = compiled->pattern.matchesUtf8(text, sqlite3_value_bytes(argv[1]));
        }
        sqlite3_result_int(ctx, result ? 1 : 0);
        // Last: SQLite may free the pattern before sqlite3_set_auxdata returns.
        if (fresh)
            sqlite3_set_auxdata(ctx, 0, fresh.release(), deleteCompiledLike);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    }
}

int germanCollation(void* order, int aBytes, const void* a, int bBytes, const void* b) {
    return static_cast<const GermanOrder*>(order)->compare(static_cast<const char*>(a), aBytes,
                                                           static_cast<const char*>(b), bBytes);
}

void deleteGermanOrder(void* order) {
    delete static_cast<GermanOrder*>(order);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// JetPattern

JetPattern::JetPattern(QStringView pattern, char32_t escape, const GermanOrder* order)
    : m_order(order) {
    std::vector<char32_t> chars;
    chars.reserve(static_cast<size_t>(pattern.size()));
    for (Utf16Reader reader(pattern); !reader.atEnd();)
        chars.push_back(reader.next());

    auto literal = [this](char32_t c) { m_tokens.push_back({Kind::Literal, foldCase(c), 0, 0}); };
    const size_t n = chars.size();
    size_t i = 0;
    while (i < n) {
        const char32_t c = chars[i];
        if (escape != 0 && c == escape) {
            literal(i + 1 < n ? chars[i + 1] : c);
            i += 2;
            continue;
        }
        switch (c) {
        case U'*':
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun)
                m_tokens.push_back({Kind::AnyRun, 0, 0, 0});
            ++i;
            continue;
        case U'?':
            m_tokens.push_back({Kind::AnyOne, 0, 0, 0});
            ++i;
            continue;
        case U'#':
            m_tokens.push_back({Kind::Digit, 0, 0, 0});
            ++i;
            continue;
        case U'[':
            break;
        default:
            literal(c);
            ++i;
            continue;
        }

        // A list in brackets; the first "]" closes it.
        size_t first = i + 1;
        const bool negated = first < n && chars[first] == U'!';
        if (negated)
            ++first;
        const size_t close = static_cast<size_t>(
            std::find(chars.begin() + static_cast<std::ptrdiff_t>(first), chars.end(), U']') -
            chars.begin());
        if (close == n) { // no "]": the "[" is an ordinary character
            literal(c);
            ++i;
            continue;
        }
        const auto itemsStart = static_cast<unsigned>(m_items.size());
        for (size_t k = first; k < close;) {
            const char32_t lo = chars[k];
            if (k + 2 < close && chars[k + 1] == U'-') {
                m_items.push_back({0, lo, chars[k + 2], true});
                k += 3;
            } else {
                m_items.push_back({foldCase(lo), 0, 0, false});
                ++k;
            }
        }
        const auto count = static_cast<unsigned>(m_items.size()) - itemsStart;
        if (count > 0)
            m_tokens.push_back({negated ? Kind::NegatedSet : Kind::Set, 0, itemsStart, count});
        else if (negated) // "[!]": any character that is not in an empty list
            m_tokens.push_back({Kind::AnyOne, 0, 0, 0});
        // "[]" matches the empty string: no token.
        i = close + 1;
    }
    m_all = m_tokens.size() == 1 && m_tokens.front().kind == Kind::AnyRun;
}

bool JetPattern::tokenMatches(const Token& token, char32_t c) const {
    switch (token.kind) {
    case Kind::Literal:
        return foldCase(c) == token.ch;
    case Kind::AnyOne:
    case Kind::AnyRun:
        return true;
    case Kind::Digit:
        return c >= U'0' && c <= U'9';
    case Kind::Set:
    case Kind::NegatedSet:
        break;
    }
    const char32_t folded = foldCase(c);
    bool found = false;
    for (unsigned k = token.first; k < token.first + token.count && !found; ++k) {
        const SetItem& item = m_items[k];
        if (!item.range) {
            found = item.ch == folded;
            continue;
        }
        const GermanOrder& order = m_order ? *m_order : GermanOrder::forThisThread();
        found =
            order.compareBaseLetters(item.lo, c) <= 0 && order.compareBaseLetters(c, item.hi) <= 0;
    }
    return found != (token.kind == Kind::NegatedSet);
}

// Every token but "*" takes exactly one character, so one remembered "*" to fall back to is
// enough: on a mismatch the last "*" takes one more character and matching resumes after it.
template <class Reader> bool JetPattern::match(Reader text) const {
    const Token* tokens = m_tokens.data();
    const size_t n = m_tokens.size();
    size_t ti = 0;
    size_t afterStar = n + 1; // none yet
    Reader starText = text;
    for (;;) {
        if (ti < n && tokens[ti].kind == Kind::AnyRun) {
            afterStar = ++ti;
            starText = text;
            continue;
        }
        if (text.atEnd())
            break;
        const char32_t c = text.next();
        if (ti < n && tokenMatches(tokens[ti], c)) {
            ++ti;
            continue;
        }
        if (afterStar > n)
            return false;
        starText.next();
        text = starText;
        ti = afterStar;
    }
    while (ti < n && tokens[ti].kind == Kind::AnyRun)
        ++ti;
    return ti == n;
}

bool JetPattern::matches(QStringView text) const {
    return m_all || match(Utf16Reader(text));
}

bool JetPattern::matchesUtf8(const char* text, int bytes) const {
    return m_all || match(Utf8Reader(text, bytes));
}

// ---------------------------------------------------------------------------------------------
// German order

int germanCompare(const char* a, int aBytes, const char* b, int bBytes) {
    return GermanOrder::forThisThread().compare(a, aBytes, b, bBytes);
}

int germanCompare(QStringView a, QStringView b) {
    return GermanOrder::forThisThread().compare(a, b);
}

void registerJetFunctions(sqlite3* db) {
    // The connection owns its order from here on: the collation deletes it when the connection
    // closes, and like() borrows it for its ranges. The collation is used only on the
    // connection's thread of the moment, as the connection itself.
    auto owned = std::make_unique<GermanOrder>();
    GermanOrder* order = owned.get();
    int rc = sqlite3_create_collation_v2(db, store::kGermanCollation, SQLITE_UTF8, order,
                                         germanCollation, deleteGermanOrder);
    if (rc == SQLITE_OK)
        owned.release();
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 2, flags, order, jetLike, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "like", 3, flags, order, jetLike, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Die Suchfunktionen der Datenbank können nicht "
                                         "eingerichtet werden (%1).")
                              .arg(QString::fromUtf8(sqlite3_errmsg(db))));
}
