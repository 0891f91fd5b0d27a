#include "sqlitedatabase.h"

#include "firstappearances.h"
#include "recordfields.h"
#include "recordsets.h"
#include "sqlitewrap.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using store::Connection;

// The table Daten as the engine's rules: each column's type, Nr as the primary key that must
// be given (an INT key, so the engine never numbers a record by itself), and named CHECK
// constraints for sizes, empty texts and number ranges, taken from the field table; they hold
// for any program that writes to the file. The names ("<Field>_Laenge", "<Field>_leer",
// "<Field>_Bereich") let a refusal be reported with its field.
QByteArray createTableSql() {
    QByteArray sql = "CREATE TABLE Daten (";
    bool first = true;
    for (const FieldDef& field : fieldTable()) {
        const QByteArray name = field.name;
        sql += first ? "\n  " : ",\n  ";
        first = false;
        sql += name;
        switch (field.type) {
        case FieldType::Long:
            sql += " INT";
            if (name == "Nr")
                sql += " NOT NULL CONSTRAINT \"Index\" PRIMARY KEY";
            break;
        case FieldType::Integer:
            sql += " INT";
            break;
        case FieldType::Single:
            sql += " REAL";
            break;
        case FieldType::Text:
            sql += " TEXT CONSTRAINT " + name + "_Laenge CHECK (length(" + name +
                   ") <= " + QByteArray::number(field.size) + ")";
            break;
        case FieldType::Memo:
            sql += " TEXT";
            break;
        }
        if (isTextType(field.type))
            sql += " CONSTRAINT " + name + "_leer CHECK (" + name + " <> '')";
        else
            sql += " CONSTRAINT " + name + "_Bereich CHECK (" + name + " " +
                   rangeCondition(field.type) + ")";
    }
    sql += "\n) STRICT";
    return sql;
}

void buildSchema(const QByteArray& fileName) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(fileName.constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection connection(raw);
    if (rc != SQLITE_OK)
        throw store::queryError(raw, rc, QString());
    store::configureConnection(raw);
    connection.exec("PRAGMA journal_mode = DELETE");
    connection.exec("BEGIN");
    connection.exec(createTableSql().constData());
    connection.exec("COMMIT");
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The parts of a CREATE TABLE statement: one per column or table rule between the outer
// parentheses, and last what follows them ("STRICT"). Blanks and line breaks are dropped and
// words lower-cased outside quotes, so that only a different rule makes a difference, not the
// way it is written.
std::vector<QByteArray> tableParts(const QByteArray& sql) {
    std::vector<QByteArray> parts;
    QByteArray current;
    int depth = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            current += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            quote = c == '[' ? ']' : c;
            current += c;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (c == '(' && depth++ == 0) {
            current.clear(); // "CREATE TABLE Daten"
            continue;
        }
        if ((c == ')' && --depth == 0) || (c == ',' && depth == 1)) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += char(std::tolower(static_cast<unsigned char>(c)));
    }
    parts.push_back(current);
    return parts;
}

// One column of Daten as the engine reports it.
struct ColumnRules {
    QString name;
    QString type;
    bool notNull = false;
    bool key = false;
};

// How Daten is made: its columns, the parts of its statement and whether its types are strict.
struct TableRules {
    std::vector<ColumnRules> columns;
    std::vector<QByteArray> parts;
    bool strict = false;
};

void throwIfBusy(int rc) {
    if ((rc & 0xff) == SQLITE_BUSY)
        throw EngineError(ErrorNumber::FileInUse,
                          QStringLiteral("Die Datei wird gerade von einem anderen Programm "
                                         "gesperrt."));
}

// The table Daten of db; its statement was read before.
TableRules tableRules(sqlite3* db, const QByteArray& sql) {
    TableRules rules;
    rules.parts = tableParts(sql);
    {
        store::Statement statement(db, QByteArrayLiteral("PRAGMA table_info(Daten)"));
        store::ResetGuard reset(statement.get());
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            auto text = [&statement](int column) {
                return QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)));
            };
            rules.columns.push_back({text(1), text(2).toUpper(),
                                     sqlite3_column_int(statement.get(), 3) != 0,
                                     sqlite3_column_int(statement.get(), 5) != 0});
        }
        throwIfBusy(rc);
        if (rc != SQLITE_DONE)
            throw store::queryError(db, rc, QString());
    }
    store::Statement statement(db, QByteArrayLiteral("SELECT strict FROM pragma_table_list "
                                                     "WHERE schema = 'main' AND name = 'Daten' "
                                                     "COLLATE NOCASE"));
    store::ResetGuard reset(statement.get());
    const int rc = sqlite3_step(statement.get());
    throwIfBusy(rc);
    if (rc != SQLITE_ROW)
        throw store::queryError(db, rc, QString());
    rules.strict = sqlite3_column_int(statement.get(), 0) != 0;
    return rules;
}

// Daten as this program makes it in a new file, made once in memory to compare with.
const TableRules& ourTable() {
    static const TableRules rules = [] {
        sqlite3* raw = nullptr;
        const int rc =
            sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Connection connection(raw);
        if (rc != SQLITE_OK)
            throw store::queryError(raw, rc, QString());
        const QByteArray sql = createTableSql();
        connection.exec(sql.constData());
        return tableRules(raw, sql);
    }();
    return rules;
}

// Daten must be a table made as this program makes it: the 64 columns in their order, each
// with its type and its CHECK rules, Nr as the key, the types strict. A table copied without
// its rules (CREATE TABLE ... AS SELECT) would let two records share a number and take values
// the program cannot show; anything else is not this program's database.
void checkSchema(sqlite3* db) {
    QByteArray sql;
    {
        store::Statement statement(
            db, QByteArrayLiteral("SELECT type, sql FROM sqlite_master WHERE name = 'Daten' "
                                  "COLLATE NOCASE"));
        store::ResetGuard reset(statement.get());
        const int rc = sqlite3_step(statement.get());
        throwIfBusy(rc);
        if (rc == SQLITE_DONE)
            throw EngineError(ErrorNumber::TableNotFound,
                              QStringLiteral("Die Datei enthält keine Tabelle \"Daten\"."));
        if (rc != SQLITE_ROW)
            throw store::queryError(db, rc, QString());
        const char* type = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        if (!type || std::strcmp(type, "table") != 0)
            throw EngineError(ErrorNumber::TableNotFound,
                              QStringLiteral("\"Daten\" ist in dieser Datei keine Tabelle."));
        sql = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1)));
    }
    const TableRules found = tableRules(db, sql);
    auto refused = [](const QString& reason) {
        return EngineError(ErrorNumber::DatabaseGeneric,
                           reason + QStringLiteral(" Die Datei ist keine vollständige Datenbank "
                                                   "dieses Programms."));
    };
    for (size_t column = 0; column < found.columns.size(); ++column) {
        const QString& name = found.columns[column].name;
        if (column >= size_t(FieldCount))
            throw EngineError(ErrorNumber::DatabaseGeneric,
                              QStringLiteral("Die Tabelle \"Daten\" hat mehr als %1 Felder "
                                             "(zusätzlich \"%2\").")
                                  .arg(FieldCount)
                                  .arg(name));
        const char* expected = fieldTable()[column].name;
        if (name.compare(QLatin1String(expected), Qt::CaseInsensitive) != 0)
            throw EngineError(ErrorNumber::DatabaseGeneric,
                              QStringLiteral("In der Tabelle \"Daten\" steht an Stelle %1 das "
                                             "Feld \"%2\" statt \"%3\".")
                                  .arg(column + 1)
                                  .arg(name, QLatin1String(expected)));
    }
    if (found.columns.size() < size_t(FieldCount))
        throw EngineError(ErrorNumber::DatabaseGeneric,
                          QStringLiteral("In der Tabelle \"Daten\" fehlt das Feld \"%1\".")
                              .arg(QLatin1String(fieldTable()[found.columns.size()].name)));

    const TableRules& ours = ourTable();
    for (size_t column = 0; column < ours.columns.size(); ++column) {
        const ColumnRules& want = ours.columns[column];
        const ColumnRules& have = found.columns[column];
        if (have.key != want.key || have.notNull != want.notNull) {
            if (want.key)
                throw refused(QStringLiteral("Die Tabelle \"Daten\" hat keinen Schlüssel auf dem "
                                             "Feld \"%1\"; mehrere Datensätze könnten dieselbe "
                                             "Nummer tragen.")
                                  .arg(want.name));
            throw refused(QStringLiteral("In der Tabelle \"Daten\" ist das Feld \"%1\" als "
                                         "Schlüssel oder Pflichtfeld angelegt.")
                              .arg(want.name));
        }
        if (have.type != want.type)
            throw refused(QStringLiteral("In der Tabelle \"Daten\" hat das Feld \"%1\" den Typ "
                                         "\"%2\" statt \"%3\".")
                              .arg(want.name, have.type, want.type));
        if (column >= found.parts.size() || found.parts[column] != ours.parts[column])
            throw refused(QStringLiteral("In der Tabelle \"Daten\" fehlen die Prüfregeln des "
                                         "Feldes \"%1\" oder weichen ab.")
                              .arg(want.name));
    }
    if (found.strict != ours.strict)
        throw refused(QStringLiteral("Die Tabelle \"Daten\" nimmt in ihren Feldern Werte jeder "
                                     "Art an."));
    if (found.parts != ours.parts)
        throw refused(QStringLiteral("Die Tabelle \"Daten\" hat Regeln, die dieses Programm "
                                     "nicht anlegt."));
}

// What a damaged file is: the database itself, which a backup replaces, or a backup, instead
// of which another one is chosen.
enum class FileRole { Database, Backup };

// A damaged page must be found before anything reads or writes the file: the engine's quick
// check reads every page once, which stays well under a second at 100,000 records.
void checkIntact(sqlite3* db, FileRole role) {
    auto damaged = [role](const QString& detail) {
        if (role == FileRole::Backup)
            return EngineError(ErrorNumber::DatabaseGeneric,
                               QStringLiteral("Diese Datensicherung ist beschädigt und kann "
                                              "nicht zurückgespielt werden. Bitte wählen Sie "
                                              "eine andere Datensicherung."));
        return EngineError(ErrorNumber::DatabaseGeneric,
                           QStringLiteral("Die Datei ist beschädigt (%1). Bitte spielen Sie die "
                                          "letzte Datensicherung zurück; die Datei wird nicht "
                                          "verändert.")
                               .arg(detail));
    };
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &raw, nullptr);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    if ((rc & 0xff) == SQLITE_BUSY)
        throw EngineError(ErrorNumber::FileInUse,
                          QStringLiteral("Die Datei wird gerade von einem anderen Programm "
                                         "gesperrt."));
    // A schema the engine cannot even read is as damaged as a broken page.
    if (rc != SQLITE_ROW)
        throw damaged(QString::fromUtf8(sqlite3_errmsg(db)));
    const QString result =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    if (result != QLatin1String("ok"))
        throw damaged(result);
}

} // namespace

SqliteDatabase::SqliteDatabase(std::shared_ptr<store::Connection> connection, QString path)
    : Database(std::move(path)), m_connection(std::move(connection)) {}

SqliteDatabase::~SqliteDatabase() = default;

sqlite3* SqliteDatabase::handle() const {
    return m_connection->db();
}

void Database::createEmpty(const QString& path) {
    auto failure = [&path](int number, const QString& reason) {
        return EngineError(number, QStringLiteral("Die Datenbank \"%1\" kann nicht angelegt "
                                                  "werden: %2")
                                       .arg(path, reason));
    };
    if (path.isEmpty())
        throw EngineError(ErrorNumber::InvalidPath,
                          QStringLiteral("Für die Datenbank ist kein Dateiname angegeben."));
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw failure(ErrorNumber::InvalidPath,
                      QStringLiteral("Der Ordner \"%1\" ist nicht vorhanden.").arg(folder));
    if (target.isDir())
        throw failure(ErrorNumber::CannotOpen,
                      QStringLiteral("Unter diesem Namen gibt es bereits einen Ordner."));

    // Built under a hidden temporary name beside the target; the rename at the end replaces a
    // file of the same name in one step.
    QTemporaryFile temporary(folder + QLatin1String("/.") + target.fileName() +
                             QLatin1String(".XXXXXX"));
    if (!temporary.open())
        throw failure(ErrorNumber::CannotOpen,
                      QStringLiteral("In den Ordner \"%1\" kann nicht geschrieben werden (%2).")
                          .arg(folder, temporary.errorString()));
    temporary.close();
    const QByteArray temporaryName = QFile::encodeName(temporary.fileName());
    // Owner and group may read and write, others nothing, whatever the umask says.
    if (::chmod(temporaryName.constData(), S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP) != 0)
        throw failure(ErrorNumber::CannotOpen,
                      QStringLiteral("Die Zugriffsrechte der neuen Datei können nicht gesetzt "
                                     "werden (%1).")
                          .arg(systemError()));
    try {
        buildSchema(temporaryName);
    } catch (const EngineError& error) {
        QFile::remove(temporary.fileName() + QLatin1String("-journal"));
        throw failure(error.number(), error.description());
    }
    if (::rename(temporaryName.constData(),
                 QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw failure(ErrorNumber::CannotOpen,
                      QStringLiteral("Die neue Datei kann nicht unter diesem Namen abgelegt "
                                     "werden (%1).")
                          .arg(systemError()));
    temporary.setAutoRemove(false);
    syncFolder(folder);
}

namespace {

EngineError refusedToOpen(const QString& path, int number, const QString& reason) {
    return EngineError(number, QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet "
                                              "werden: %2")
                                   .arg(path, reason));
}

// What is checked before the engine sees a file: it would take an empty file for a new
// database and write to it.
void checkFileBeforeOpening(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw refusedToOpen(path, ErrorNumber::FileNotFound,
                            QStringLiteral("Die Datei ist nicht vorhanden."));
    if (info.isDir())
        throw refusedToOpen(path, ErrorNumber::CannotOpen,
                            QStringLiteral("Unter diesem Namen steht ein Ordner, keine Datei."));
    if (info.size() == 0)
        throw refusedToOpen(path, ErrorNumber::DatabaseGeneric,
                            QStringLiteral("Die Datei ist leer (0 Byte) und keine Datenbank."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw refusedToOpen(
            path, ErrorNumber::CannotOpen,
            QStringLiteral("Die Datei kann nicht gelesen werden (%1).").arg(file.errorString()));
    static const char kMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                    'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    if (file.read(16) != QByteArrayView(kMagic, 16))
        throw refusedToOpen(path, ErrorNumber::DatabaseGeneric,
                            QStringLiteral("Die Datei ist keine Datenbank."));
}

// A file opened only to be looked at: the engine never writes to it.
std::unique_ptr<Connection> openReadOnly(const QString& path) {
    checkFileBeforeOpening(path);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    auto connection = std::make_unique<Connection>(raw);
    if (rc != SQLITE_OK)
        throw refusedToOpen(path, ErrorNumber::CannotOpen, QString::fromUtf8(sqlite3_errmsg(raw)));
    store::configureConnection(raw);
    return connection;
}

qint64 recordCountOf(sqlite3* db) {
    static const QByteArray kSql = QByteArrayLiteral("SELECT count(*) FROM Daten");
    store::Statement statement(db, kSql);
    store::ResetGuard reset(statement.get());
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW)
        throw store::queryError(db, rc, QString::fromUtf8(kSql));
    return sqlite3_column_int64(statement.get(), 0);
}

qint64 lookAt(const QString& path) {
    const std::unique_ptr<Connection> connection = openReadOnly(path);
    try {
        checkIntact(connection->db(), FileRole::Backup);
        checkSchema(connection->db());
        return recordCountOf(connection->db());
    } catch (const EngineError& error) {
        throw refusedToOpen(path, error.number(), error.description());
    }
}

} // namespace

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const QString& path) {
    auto refusal = [&path](int number, const QString& reason) {
        return refusedToOpen(path, number, reason);
    };
    checkFileBeforeOpening(path);

    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto connection = std::make_shared<Connection>(raw);
    if (rc != SQLITE_OK)
        throw refusal(ErrorNumber::CannotOpen, QString::fromUtf8(sqlite3_errmsg(raw)));
    if (sqlite3_db_readonly(raw, "main") == 1)
        throw refusal(ErrorNumber::ReadOnly,
                      QStringLiteral("Die Datei ist schreibgeschützt; Änderungen könnten nicht "
                                     "gespeichert werden."));
    // Another workstation saving one record after another can keep the file locked past the
    // engine's short wait; a start waits for it a while longer before it gives up.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            store::configureConnection(raw);
            checkIntact(raw, FileRole::Database);
            checkSchema(raw);
            // Only now that the file is known to be ours may the engine write to it.
            connection->exec("PRAGMA journal_mode = DELETE");
            break;
        } catch (const EngineError& error) {
            const bool locked = error.number() == ErrorNumber::FileInUse ||
                                error.number() == ErrorNumber::RecordLocked;
            if (!locked || waited.elapsed() > 10000)
                throw refusal(error.number(), error.description());
            QThread::msleep(50);
        }
    }
    connection->watchFile(path);
    return std::unique_ptr<SqliteDatabase>(new SqliteDatabase(std::move(connection), path));
}

qint64 Database::inspect(const QString& path) {
    return lookAt(path);
}

void SqliteDatabase::writeCopy(const QString& path) {
    m_connection->requireFile();
    sqlite3* db = m_connection->db();
    {
        store::Statement statement(db, QByteArrayLiteral("VACUUM INTO ?"));
        store::ResetGuard reset(statement.get());
        const QByteArray name = QFile::encodeName(path);
        sqlite3_bind_text(statement.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(statement.get());
        if (rc != SQLITE_DONE)
            throw store::queryError(db, rc, QString());
    }
    // The engine writes the copy without flushing it; a copy is only worth having on the disk.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString reason = systemError();
        if (fd >= 0)
            ::close(fd);
        throw EngineError(ErrorNumber::CannotOpen,
                          QStringLiteral("Die Kopie \"%1\" kann nicht auf den Datenträger "
                                         "geschrieben werden (%2).")
                              .arg(path, reason));
    }
    ::close(fd);
}

void SqliteDatabase::replaceWith(const QString& path) {
    inspect(path);
    m_connection->requireFile();
    const std::unique_ptr<Connection> source = openReadOnly(path);
    sqlite3* db = m_connection->db();
    if (m_connection->inTransaction())
        throw store::lockedError();
    sqlite3_backup* backup = sqlite3_backup_init(db, "main", source->db(), "main");
    if (!backup)
        throw store::queryError(db, sqlite3_extended_errcode(db), QString());
    // All pages in one step: one transaction, which a crash rolls back as a whole.
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if ((stepped & 0xff) == SQLITE_BUSY || (stepped & 0xff) == SQLITE_LOCKED)
        throw EngineError(ErrorNumber::RecordLocked,
                          QStringLiteral("Die Datenbank wird gerade an einem anderen "
                                         "Arbeitsplatz benutzt. Bitte versuchen Sie es später "
                                         "noch einmal."));
    if (stepped != SQLITE_DONE)
        throw store::queryError(db, stepped, QString());
    if (finished != SQLITE_OK)
        throw store::queryError(db, finished, QString());
}

bool SqliteDatabase::changedSinceOpen() const {
    return sqlite3_total_changes64(m_connection->db()) > 0;
}

std::unique_ptr<RecordSet> SqliteDatabase::openDynaset(const QString& sql) {
    m_connection->requireFile();
    return store::openDynaset(m_connection, sql);
}

std::unique_ptr<Snapshot> SqliteDatabase::openSnapshot(const QString& sql) {
    m_connection->requireFile();
    return store::readSnapshot(m_connection->db(), sql);
}

qint64 SqliteDatabase::recordCount() {
    m_connection->requireFile();
    return recordCountOf(m_connection->db());
}

std::optional<qint64> SqliteDatabase::highestNumber() {
    static const QByteArray kSql = QByteArrayLiteral("SELECT max(Nr) FROM Daten");
    m_connection->requireFile();
    sqlite3* db = m_connection->db();
    store::Statement statement(db, kSql);
    store::ResetGuard reset(statement.get());
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW)
        throw store::queryError(db, rc, QString::fromUtf8(kSql));
    if (sqlite3_column_type(statement.get(), 0) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_int64(statement.get(), 0);
}

QList<QStringList> SqliteDatabase::valuesInOrder(const QList<QStringList>& groups) {
    // One pass over the table reads the number and every column named; the order in which the
    // engine hands out the rows does not matter.
    store::FirstAppearances values(groups);
    m_connection->requireFile();
    sqlite3* db = m_connection->db();
    store::Statement statement(db, values.statement());
    store::ResetGuard reset(statement.get());
    sqlite3_stmt* stmt = statement.get();
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        values.add(
            sqlite3_column_int64(stmt, 0), [stmt](int column) -> std::optional<std::string_view> {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
                if (!text)
                    return std::nullopt;
                return std::string_view(text, size_t(sqlite3_column_bytes(stmt, column)));
            });
    if (rc != SQLITE_DONE)
        throw store::queryError(db, rc, QString::fromUtf8(values.statement()));
    return values.lists();
}

void SqliteDatabase::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(m_connection->db(), milliseconds);
}
