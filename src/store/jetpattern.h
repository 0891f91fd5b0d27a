#pragma once

#include <QString>
#include <QStringView>

#include <vector>

class GermanOrder;

// The LIKE wildcards of the old desktop database engine: "?" one character, "*" any run, "#" one
// digit, "[a-c]" one of a list or range, "[!a-c]" one not in it. Inside brackets "*", "?", "#"
// and "[" stand for themselves, and "-" first or last in a list is literal. Case is ignored over
// all of Unicode; ranges compare by base letter in German order (germanCompare's first level:
// "[a-c]" takes "Ä", "[k-m]" takes "Ł", "[r-t]" takes "ß"). A pattern that is not well formed
// (an unclosed "[") matches its characters literally.
class JetPattern {
  public:
    // escape: a character that makes the next one literal (the ESCAPE clause of SQL's LIKE);
    // 0 for none, as in the old engine. order: the German order the ranges compare in, which
    // must outlive the pattern; null for the calling thread's own.
    explicit JetPattern(QStringView pattern, char32_t escape = 0,
                        const GermanOrder* order = nullptr);
    bool matches(QStringView text) const;
    bool matchesUtf8(const char* text, int bytes) const;
    bool matchesEverything() const { return m_all; }

  private:
    enum class Kind : unsigned char { Literal, AnyOne, Digit, AnyRun, Set, NegatedSet };
    struct Token {
        Kind kind;
        char32_t ch;    // Literal: the character, case-folded
        unsigned first; // Set: first item in m_items
        unsigned count; // Set: number of items
    };
    struct SetItem {
        char32_t ch; // a single character, case-folded
        char32_t lo; // a range's bounds as written
        char32_t hi;
        bool range;
    };

    template <class Reader> bool match(Reader text) const;
    bool tokenMatches(const Token& token, char32_t c) const;

    std::vector<Token> m_tokens;
    std::vector<SetItem> m_items;
    const GermanOrder* m_order;
    bool m_all = false;
};

// The German order of the sorted columns (see GermanOrder), with the calling thread's own
// collation: equal only for the same text. Returns <0, 0, >0.
int germanCompare(const char* a, int aBytes, const char* b, int bBytes);
int germanCompare(QStringView a, QStringView b);

struct sqlite3;
// Registers like() (2 and 3 arguments) and the collation on a connection, which gets a
// GermanOrder of its own for both.
void registerJetFunctions(sqlite3* db);
