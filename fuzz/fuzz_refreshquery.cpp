// The window's statement from any search texts, column choice and sort text, run as the store
// runs it (German collation added): it must prepare as one statement on the table Daten, read
// exactly the chosen columns, hand each filled search text unchanged (without NULs, plus "*") to
// like(), with no other argument, and list equal values by number. The record numbers'
// statement made from it must prepare too.
#include "recordfields.h"
#include "refreshquery.h"
#include "sqlitewrap.h"
#include "sqltext.h"

#include <QHash>

#include <fuzzer/FuzzedDataProvider.h>

#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char* what, const QString& detail) {
    if (ok)
        return;
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// like() calls seen while a statement runs: the text (the field's own name, see below) with the
// pattern it was given.
struct LikeCalls {
    QHash<QString, QString> patterns;
    int calls = 0;
    bool escape = false;
} likeCalls;

void recordLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    auto text = [&](int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[i])),
                                 sqlite3_value_bytes(argv[i]));
    };
    ++likeCalls.calls;
    likeCalls.escape = likeCalls.escape || argc != 2;
    likeCalls.patterns.insert(text(1), text(0));
    sqlite3_result_int(ctx, 1);
}

// An in-memory Daten with the 64 fields and one record in which every field holds its own name.
sqlite3* openDatabase() {
    sqlite3* db = nullptr;
    check(sqlite3_open(":memory:", &db) == SQLITE_OK, "open", QString());
    // A large lookaside keeps SQLite's many small allocations away from the sanitizer's allocator
    // (more executions per second).
    sqlite3_db_config(db, SQLITE_DBCONFIG_LOOKASIDE, nullptr, 2048, 4000);
    store::configureConnection(db);
    QByteArray columns;
    QByteArray values;
    for (const FieldDef& field : fieldTable()) {
        columns += (columns.isEmpty() ? "" : ", ") + QByteArray(field.name);
        values += (values.isEmpty() ? "'" : ", '") + QByteArray(field.name) + "'";
    }
    const QByteArray sql =
        "CREATE TABLE Daten (" + columns + "); INSERT INTO Daten VALUES (" + values + ");";
    check(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK, "schema",
          QString::fromUtf8(sqlite3_errmsg(db)));
    for (int args : {2, 3})
        sqlite3_create_function(db, "like", args, SQLITE_UTF8, nullptr, recordLike, nullptr,
                                nullptr);
    return db;
}

// Prepares sql as exactly one statement.
sqlite3_stmt* prepare(sqlite3* db, const QString& sql, const char* what) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, &tail);
    check(rc == SQLITE_OK, what,
          sql + QStringLiteral(" -- ") + QString::fromUtf8(sqlite3_errmsg(db)));
    const QByteArray rest(tail, utf8.constData() + utf8.size() - tail); // a NUL stops SQLite
    check(rest.trimmed().isEmpty(), what, QStringLiteral("more than one statement: ") + sql);
    return stmt;
}

QStringList columnNames(sqlite3_stmt* stmt) {
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i)
        names += QString::fromUtf8(sqlite3_column_name(stmt, i));
    return names;
}

QString withoutNul(QString text) {
    return text.remove(QChar(0));
}

QString randomCase(FuzzedDataProvider& input, QString text) {
    for (QChar& c : text)
        if (input.ConsumeBool())
            c = c.isUpper() ? c.toLower() : c.toUpper();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3* const db = openDatabase();
    FuzzedDataProvider input(data, size);

    std::array<int, 16> choice;
    for (int& c : choice)
        c = input.ConsumeIntegralInRange(-1, 2);
    QString sortBy;
    if (input.ConsumeBool())
        sortBy =
            randomCase(input, fieldTable()[input.ConsumeIntegralInRange(0, FieldCount - 1)].name);
    else
        sortBy = QString::fromStdString(input.ConsumeRandomLengthString(30));
    const bool ascending = input.ConsumeBool();
    std::array<QString, 6> search;
    for (QString& text : search)
        text = QString::fromStdString(input.ConsumeRandomLengthString(100));

    const QString sql = buildRefreshStatement(search, choice, sortBy, ascending);

    // Columns: the six of every table, then only what the choices equal to 1 add.
    std::array<int, 16> onlyOnes{};
    for (size_t i = 0; i < choice.size(); ++i)
        onlyOnes[i] = choice[i] == 1;
    const QStringList columns = refreshColumns(choice);
    check(columns == refreshColumns(onlyOnes) &&
              columns.mid(0, 6) == QStringList({"Nr", "KNach", "KVor", "KGeb", "KGrp", "KEssen"}),
          "columns", columns.join(u','));

    // Run as the store runs it: with the German collation on the sort.
    const QString run = store::withGermanCollation(sql);
    sqlite3_stmt* stmt = prepare(db, run, "statement");
    check(columnNames(stmt) == columns, "column names", run);
    likeCalls = {};
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < columns.size(); ++i)
            check(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))) ==
                      columns[i],
                  "a column is not its field", run);
    }
    check(rc == SQLITE_DONE && rows == 1, "one record", run);
    sqlite3_finalize(stmt);
    // Each filled search field narrows the list once; an empty one adds no condition.
    int filled = 0;
    for (size_t i = 0; i < search.size(); ++i) {
        if (search[i].isEmpty()) {
            check(!likeCalls.patterns.contains(searchFieldNames()[i]), "empty field", run);
            continue;
        }
        ++filled;
        check(likeCalls.patterns.value(searchFieldNames()[i]) == withoutNul(search[i]) + u'*',
              "pattern", run);
    }
    check(likeCalls.calls == filled && !likeCalls.escape, "like() calls", run);

    const FieldDef* field = findField(sortBy);
    const QString order =
        QStringLiteral("  ORDER BY ") + QString::fromLatin1(field ? field->name : "Nr") +
        (ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC")) +
        // equal values by number
        (field && QLatin1String(field->name) != QLatin1String("Nr") ? QStringLiteral(", Nr ASC")
                                                                    : QString());
    check(sql.endsWith(order), "sort", sql);

    // The updatable record set reads the record numbers first.
    const std::optional<QString> keys = store::keyStatement(sql);
    check(keys.has_value(), "key statement", sql);
    stmt = prepare(db, *keys, "key statement");
    check(columnNames(stmt) == QStringList{"Nr"}, "key statement reads Nr only", *keys);
    sqlite3_finalize(stmt);
    return 0;
}
