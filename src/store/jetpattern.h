#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The LIKE wildcards of the old desktop database engine: "?" one character, "*" any run, "#" one
// digit, "[a-c]" one of a list or range, "[!a-c]" one not in it. Inside brackets "*", "?", "#"
// and "[" stand for themselves, and "-" first or last in a list is literal. Case is ignored over
// all of Unicode; ranges compare in German dictionary order. A pattern that is not well formed
// (an unclosed "[") matches its characters literally.
class JetPattern {
  public:
    // escape: a character that makes the next one literal (the ESCAPE clause of SQL's LIKE);
    // 0 for none, as in the old engine.
    explicit JetPattern(QStringView pattern, char32_t escape = 0);
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
        char32_t ch;    // a single character, case-folded
        char32_t lo[2]; // a range's bounds by their place in German order (ß counts as ss)
        char32_t hi[2];
        bool range;
    };

    template <class Reader> bool match(Reader text) const;
    bool tokenMatches(const Token& token, char32_t c) const;

    std::vector<Token> m_tokens;
    std::vector<SetItem> m_items;
    bool m_all = false;
};

// German dictionary order: case ignored, ä/ö/ü as a/o/u, ß as ss, ties broken by the plain
// text. Never allocates. Returns <0, 0, >0.
int germanCompare(const char* a, int aBytes, const char* b, int bBytes);
int germanCompare(QStringView a, QStringView b);

struct sqlite3;
// Registers like() (2 and 3 arguments) and the collation on a connection.
void registerJetFunctions(sqlite3* db);
