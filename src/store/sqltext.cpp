#include "sqltext.h"

#include "engineerror.h"

#include "jetpattern.h"
#include "recordfields.h"
#include "sqlitewrap.h"

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

namespace store {

namespace {

enum class Kind { Word, QuotedName, String, Number, Punct };

struct Token {
    Kind kind;
    qsizetype pos;
    qsizetype len;
    int depth; // parentheses around the token
};

// Splits a statement into tokens, skipping blanks and comments. Quoted names ("x", [x], `x`)
// and strings ('x') are single tokens, so keywords inside them are never seen.
std::vector<Token> tokenize(QStringView sql) {
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    int depth = 0;
    qsizetype i = 0;
    auto closeQuote = [&](QChar quote) {
        ++i;
        while (i < n) {
            if (sql[i] == quote) {
                if (quote != QLatin1Char(']') && i + 1 < n && sql[i + 1] == quote) {
                    i += 2;
                    continue;
                }
                ++i;
                return;
            }
            ++i;
        }
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        const qsizetype start = i;
        Kind kind;
        int tokenDepth = depth;
        if (c == QLatin1Char('\'')) {
            kind = Kind::String;
            closeQuote(c);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            kind = Kind::QuotedName;
            closeQuote(c);
        } else if (c == QLatin1Char('[')) {
            kind = Kind::QuotedName;
            closeQuote(QLatin1Char(']'));
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            kind = Kind::Word;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('_') ||
                             sql[i] == QLatin1Char('$')))
                ++i;
        } else if (c.isDigit()) {
            kind = Kind::Number;
            while (i < n && (sql[i].isLetterOrNumber() || sql[i] == QLatin1Char('.')))
                ++i;
        } else {
            kind = Kind::Punct;
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                tokenDepth = --depth;
            ++i;
        }
        tokens.push_back({kind, start, i - start, tokenDepth});
    }
    return tokens;
}

class Tokens {
  public:
    explicit Tokens(QStringView sql) : m_sql(sql), m_tokens(tokenize(sql)) {}

    qsizetype size() const { return static_cast<qsizetype>(m_tokens.size()); }
    const Token& operator[](qsizetype i) const { return m_tokens[static_cast<size_t>(i)]; }
    QStringView text(qsizetype i) const { return m_sql.mid((*this)[i].pos, (*this)[i].len); }
    qsizetype end(qsizetype i) const { return (*this)[i].pos + (*this)[i].len; }

    bool isWord(qsizetype i, const char* word) const {
        return i >= 0 && i < size() && (*this)[i].kind == Kind::Word && (*this)[i].depth == 0 &&
               text(i).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isPunct(qsizetype i, char punct) const {
        return i >= 0 && i < size() && (*this)[i].kind == Kind::Punct && (*this)[i].depth == 0 &&
               text(i) == QLatin1Char(punct);
    }
    bool isName(qsizetype i) const {
        return i >= 0 && i < size() &&
               ((*this)[i].kind == Kind::Word || (*this)[i].kind == Kind::QuotedName);
    }
    // A name without its quotes.
    QStringView name(qsizetype i) const {
        QStringView t = text(i);
        if ((*this)[i].kind == Kind::QuotedName && t.size() >= 2)
            return t.mid(1, t.size() - 2);
        return t;
    }

  private:
    QStringView m_sql;
    std::vector<Token> m_tokens;
};

bool isOrderWord(const Tokens& t, qsizetype i) {
    for (const char* word : {"ASC", "DESC", "NULLS", "FIRST", "LAST"})
        if (t.isWord(i, word))
            return true;
    return false;
}

// Where " COLLATE GERMAN" goes in the ORDER BY term t[first..last), or -1 when the term is not
// a plain text column.
qsizetype collationPoint(const Tokens& t, qsizetype first, qsizetype last) {
    qsizetype column = first;
    if (t.isName(first) && t.isPunct(first + 1, '.') && t.isName(first + 2))
        column = first + 2; // Daten.KNach
    if (column >= last || !t.isName(column) || t[column].depth != 0)
        return -1;
    for (qsizetype i = column + 1; i < last; ++i)
        if (!isOrderWord(t, i))
            return -1;
    const FieldDef* field = findField(t.name(column));
    if (!field || !isTextType(field->type))
        return -1;
    return t.end(column);
}

} // namespace

QString withGermanCollation(QStringView sql) {
    const Tokens t(sql);
    qsizetype orderBy = -1;
    for (qsizetype i = 0; i + 1 < t.size(); ++i)
        if (t.isWord(i, "ORDER") && t.isWord(i + 1, "BY"))
            orderBy = i;
    QString result = sql.toString();
    if (orderBy < 0)
        return result;

    std::vector<qsizetype> points;
    qsizetype first = orderBy + 2;
    while (first < t.size()) {
        qsizetype last = first;
        while (last < t.size() && !t.isPunct(last, ',') && !t.isPunct(last, ';') &&
               !t.isWord(last, "LIMIT") && !t.isWord(last, "OFFSET"))
            ++last;
        const qsizetype point = collationPoint(t, first, last);
        if (point >= 0)
            points.push_back(point);
        if (!t.isPunct(last, ','))
            break;
        first = last + 1;
    }
    const QString collate = QStringLiteral(" COLLATE ") + QLatin1String(kGermanCollation);
    for (auto it = points.rbegin(); it != points.rend(); ++it)
        result.insert(*it, collate);
    return result;
}

std::optional<QString> keyStatement(QStringView sql, bool germanCollation) {
    const Tokens t(sql);
    if (!t.isWord(0, "SELECT") || t.isWord(1, "DISTINCT"))
        return std::nullopt;
    qsizetype from = 1;
    while (from < t.size() && !t.isWord(from, "FROM"))
        ++from;
    if (from == 1 || from + 1 >= t.size() || !t.isName(from + 1) ||
        t.name(from + 1).compare(QLatin1String("Daten"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const qsizetype after = from + 2;
    if (after < t.size() && !t.isWord(after, "WHERE") && !t.isWord(after, "ORDER") &&
        !t.isWord(after, "LIMIT") && !t.isPunct(after, ';'))
        return std::nullopt; // joins, aliases, grouping: not a record set of Daten
    const QString keys =
        sql.left(t.end(0)).toString() + QLatin1String(" Nr ") + sql.mid(t[from].pos).toString();
    return germanCollation ? withGermanCollation(keys) : keys;
}

const char kServerOrder[] = "\"de-DE-x-icu\"";

namespace {

// The characters a list in brackets is written out over: control characters and the Latin
// letters, Greek and Cyrillic, and the Latin letters with accents of Vietnamese and Welsh.
const std::vector<char32_t>& repertoire() {
    static const std::vector<char32_t> chars = [] {
        std::vector<char32_t> list;
        for (auto [from, to] :
             {std::pair<char32_t, char32_t>{0x01, 0x24F}, {0x370, 0x52F}, {0x1E00, 0x1EFF}})
            for (char32_t c = from; c <= to; ++c)
                list.push_back(c);
        return list;
    }();
    return chars;
}

QString regexChar(char32_t c) {
    if (c < 0x80 && (QChar::isLetterOrNumber(c)))
        return QString(QChar(char16_t(c)));
    if (c <= 0xFFFF)
        return QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    return QStringLiteral("\\U%1").arg(uint(c), 8, 16, QLatin1Char('0'));
}

// A bracket expression of the characters, runs of neighbours written as ranges.
QString regexSet(const std::set<char32_t>& chars, bool negated) {
    if (chars.empty())
        // Nothing to match: any one character, or (a text never holds U+0000) none.
        return negated ? QStringLiteral(".") : QStringLiteral("[^\\U00000001-\\U0010FFFF]");
    if (chars.size() == 1 && !negated)
        return regexChar(*chars.begin());
    QString set = negated ? QStringLiteral("[^") : QStringLiteral("[");
    for (auto it = chars.begin(); it != chars.end();) {
        const char32_t first = *it;
        char32_t last = first;
        while (++it != chars.end() && *it == last + 1)
            last = *it;
        set += regexChar(first);
        if (last != first)
            set += QLatin1Char('-') + regexChar(last);
    }
    return set + QLatin1Char(']');
}

std::set<char32_t> caseForms(char32_t c) {
    std::set<char32_t> forms{c, QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c)};
    const char32_t folded = QChar::toCaseFolded(c);
    for (char32_t r : repertoire())
        if (QChar::toCaseFolded(r) == folded)
            forms.insert(r);
    return forms;
}

} // namespace

QString serverRegex(QStringView pattern) {
    const QList<uint> chars = pattern.toUcs4();
    const qsizetype n = chars.size();
    QString regex = QStringLiteral("^");
    bool lastWasRun = false;
    for (qsizetype i = 0; i < n;) {
        const char32_t c = chars[i];
        if (c == U'*') {
            if (!lastWasRun)
                regex += QLatin1String(".*");
            lastWasRun = true;
            ++i;
            continue;
        }
        lastWasRun = false;
        if (c == U'?') {
            regex += QLatin1Char('.');
            ++i;
            continue;
        }
        if (c == U'#') {
            regex += QLatin1String("[0-9]");
            ++i;
            continue;
        }
        qsizetype close = -1;
        qsizetype first = i + 1;
        const bool negated = c == U'[' && first < n && chars[first] == U'!';
        if (c == U'[') {
            if (negated)
                ++first;
            for (qsizetype k = first; k < n && close < 0; ++k)
                if (chars[k] == U']')
                    close = k;
        }
        if (close < 0) { // an ordinary character, also a "[" that no "]" closes
            regex += regexSet(caseForms(c), false);
            ++i;
            continue;
        }
        if (close == first) { // "[]" matches the empty string, "[!]" any one character
            if (negated)
                regex += QLatin1Char('.');
            i = close + 1;
            continue;
        }
        // The list as the old engine reads it, asked about each character of the repertoire:
        // a negated list of the same items tells the members by not matching them.
        QString items = QStringLiteral("[!");
        for (qsizetype k = first; k < close; ++k)
            items += QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[k]), 1);
        items += QLatin1Char(']');
        const JetPattern outside(items);
        std::set<char32_t> members;
        for (char32_t r : repertoire()) {
            const char32_t one[1] = {r};
            if (!outside.matches(QString::fromUcs4(one, 1)))
                members.insert(r);
        }
        regex += regexSet(members, negated);
        i = close + 1;
    }
    return regex + QLatin1Char('$');
}

QString forServer(QStringView sql) {
    const Tokens t(sql);
    struct Edit {
        qsizetype pos;
        qsizetype len;
        QString text;
    };
    std::vector<Edit> edits;
    auto anyDepthWord = [&t](qsizetype i, const char* word) {
        return i >= 0 && i < t.size() && t[i].kind == Kind::Word &&
               t.text(i).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].kind == Kind::QuotedName) {
            const QStringView name = t.name(i);
            const FieldDef* field = findField(name);
            QString plain;
            if (field)
                plain = QLatin1String(field->name);
            else if (name.compare(QLatin1String("Daten"), Qt::CaseInsensitive) == 0)
                plain = QStringLiteral("Daten");
            else
                plain = QLatin1Char('"') + name.toString().replace(u'"', QLatin1String("\"\"")) +
                        QLatin1Char('"');
            edits.push_back({t[i].pos, t[i].len, plain});
            continue;
        }
        if (!anyDepthWord(i, "LIKE") || i + 1 >= t.size() || t[i + 1].kind != Kind::String)
            continue;
        const bool negated = anyDepthWord(i - 1, "NOT");
        const qsizetype from = negated ? i - 1 : i;
        QStringView quoted = t.text(i + 1);
        const QString pattern = quoted.mid(1, quoted.size() - 2)
                                    .toString()
                                    .replace(QLatin1String("''"), QLatin1String("'"));
        QString match = (negated ? QLatin1String("!~ '") : QLatin1String("~ '")) +
                        serverRegex(pattern) + QLatin1Char('\'');
        // A number compared with a pattern is compared in its text form.
        if (from > 0 && t.isName(from - 1)) {
            const FieldDef* field = findField(t.name(from - 1));
            if (field && !isTextType(field->type))
                match.prepend(QLatin1String("::text "));
            else
                match.prepend(QLatin1Char(' '));
        } else {
            match.prepend(QLatin1Char(' '));
        }
        const qsizetype start = from > 0 ? t.end(from - 1) : t[from].pos;
        edits.push_back({start, t.end(i + 1) - start, match});
        ++i;
    }

    // Null first in ascending order, last in descending order, for plain columns.
    qsizetype orderBy = -1;
    for (qsizetype i = 0; i + 1 < t.size(); ++i)
        if (t.isWord(i, "ORDER") && t.isWord(i + 1, "BY"))
            orderBy = i;
    if (orderBy >= 0) {
        qsizetype first = orderBy + 2;
        while (first < t.size()) {
            qsizetype last = first;
            while (last < t.size() && !t.isPunct(last, ',') && !t.isPunct(last, ';') &&
                   !t.isWord(last, "LIMIT") && !t.isWord(last, "OFFSET"))
                ++last;
            qsizetype column = first;
            if (t.isName(first) && t.isPunct(first + 1, '.') && t.isName(first + 2))
                column = first + 2;
            bool plain = column < last && t.isName(column) && t[column].depth == 0;
            bool descending = false;
            for (qsizetype k = column + 1; plain && k < last; ++k) {
                if (t.isWord(k, "DESC"))
                    descending = true;
                else if (!t.isWord(k, "ASC"))
                    plain = false; // NULLS already given, COLLATE, an expression
            }
            const QString nulls =
                descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
            const FieldDef* field = plain ? findField(t.name(column)) : nullptr;
            if (field && isTextType(field->type)) {
                // ICU's German order, as the file sorts: names it holds equal go by their bytes
                // in both.
                edits.push_back({t.end(last - 1), 0, nulls});
                edits.push_back(
                    {t.end(column), 0, QLatin1String(" COLLATE ") + QLatin1String(kServerOrder)});
            } else if (plain) {
                edits.push_back({t.end(last - 1), 0, nulls});
            }
            if (!t.isPunct(last, ','))
                break;
            first = last + 1;
        }
    }

    QString result = sql.toString();
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.pos > b.pos; });
    for (const Edit& edit : edits)
        result.replace(edit.pos, edit.len, edit.text);
    return result;
}

std::optional<Criteria> parseCriteria(QStringView text) {
    const QStringView s = text.trimmed();
    qsizetype i = 0;
    QStringView field;
    if (s.startsWith(QLatin1Char('['))) {
        const qsizetype close = s.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        field = s.mid(1, close - 1);
        i = close + 1;
    } else {
        while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_')))
            ++i;
        field = s.left(i);
    }
    if (field.isEmpty() || field[0].isDigit())
        return std::nullopt;
    while (i < s.size() && s[i].isSpace())
        ++i;
    if (i >= s.size() || s[i] != QLatin1Char('='))
        return std::nullopt;
    ++i;
    while (i < s.size() && s[i].isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= s.size())
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const quint64 digit = c - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    const qint64 value =
        negative ? static_cast<qint64>(0 - magnitude) : static_cast<qint64>(magnitude);
    return Criteria{field.toString(), value};
}

Criteria requireCriteria(const QString& text) {
    const std::optional<Criteria> parsed = parseCriteria(text);
    if (!parsed)
        throw EngineError(ErrorNumber::CriteriaSyntax,
                          QStringLiteral("Das Suchkriterium \"%1\" ist unvollständig oder "
                                         "fehlerhaft.")
                              .arg(text));
    return *parsed;
}

} // namespace store
