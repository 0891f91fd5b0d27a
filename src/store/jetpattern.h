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
    explicit JetPattern(QStringView pattern);
    bool matches(QStringView text) const;
    bool matchesUtf8(const char* text, int bytes) const;
    bool matchesEverything() const { return m_all; }

    struct Token; // compiled form, defined in the implementation

  private:
    std::vector<Token*> m_tokensUnused_; // replaced by the implementation
    bool m_all = false;
};

// German dictionary order: case ignored, ä/ö/ü as a/o/u, ß as ss, ties broken by the plain
// text. Never allocates. Returns <0, 0, >0.
int germanCompare(const char* a, int aBytes, const char* b, int bBytes);
int germanCompare(QStringView a, QStringView b);

struct sqlite3;
// Registers like() (2 and 3 arguments) and the collation on a connection.
void registerJetFunctions(sqlite3* db);
