#include "sampledata.h"

#include "database.h"
#include "recordfields.h"

#include <QFile>
#include <QHash>

#include <sqlite3.h>

#include <array>
#include <random>

namespace {

const char* const kSurnames[] = {
    "Müller",   "Schmidt",  "Schneider", "Fischer",    "Weber",   "Meyer",   "Wagner",   "Becker",
    "Schulz",   "Hoffmann", "Schäfer",   "Koch",       "Bauer",   "Richter", "Klein",    "Wolf",
    "Schröder", "Neumann",  "Schwarz",   "Zimmermann", "Braun",   "Krüger",  "Hofmann",  "Hartmann",
    "Lange",    "Schmitt",  "Werner",    "Schmitz",    "Krause",  "Meier",   "Lehmann",  "Schmid",
    "Schulze",  "Maier",    "Köhler",    "Herrmann",   "König",   "Walter",  "Mayer",    "Huber",
    "Kaiser",   "Fuchs",    "Peters",    "Lang",       "Scholz",  "Möller",  "Weiß",     "Jung",
    "Hahn",     "Schubert", "Vogel",     "Friedrich",  "Keller",  "Günther", "Frank",    "Berger",
    "Winkler",  "Roth",     "Beck",      "Lorenz",     "Baumann", "Franke",  "Albrecht", "Öztürk",
    "Ünal",     "Ahrens",   "Ärmel",     "O'Brien",    "Şahin",   "Nowak"};
const char* const kFirstNames[] = {
    "Anna",  "Ben",    "Clara", "David",  "Emma",  "Finn",   "Greta", "Hannah", "Jonas",
    "Jörg",  "Lena",   "Leon",  "Lina",   "Lukas", "Marie",  "Max",   "Mia",    "Noah",
    "Paul",  "Sophie", "Tim",   "Zoë",    "Ömer",  "Jürgen", "Lea",   "Elias",  "Mila",
    "Felix", "Ida",    "Emil",  "Frieda", "Karl",  "Maja",   "Anton", "Lotta",  "Theo"};
const char* const kTowns[] = {"Augsburg", "Bamberg",  "Fürth",  "Würzburg",   "München",
                              "Nürnberg", "Erlangen", "Passau", "Regensburg", "Köln"};
const char* const kStreets[] = {"Hauptstraße", "Schulweg",   "Lindenallee", "Gartenstraße",
                                "Am Bächle",   "Kirchplatz", "Mühlgasse",   "Bahnhofstraße"};
const char* const kGroups[] = {"Bären", "Igel", "Füchse", "Schmetterlinge", "Mäuse"};
const char* const kReligions[] = {"rk", "ev", "ohne", "islam.", "o.K."};
const char* const kNations[] = {"deutsch", "türkisch", "polnisch", "italienisch", "österr."};

template <size_t N> QString pick(const char* const (&list)[N], std::mt19937& rng) {
    return QString::fromUtf8(list[std::uniform_int_distribution<size_t>(0, N - 1)(rng)]);
}

QString date(std::mt19937& rng, int fromYear, int toYear) {
    std::uniform_int_distribution<int> d(1, 28), m(1, 12), y(fromYear, toYear);
    return QStringLiteral("%1.%2.%3")
        .arg(d(rng), 2, 10, QLatin1Char('0'))
        .arg(m(rng), 2, 10, QLatin1Char('0'))
        .arg(y(rng));
}

} // namespace

void makeSampleDatabase(const QString& path, int n, unsigned seed) {
    QFile::remove(path);
    Database::createEmpty(path);
    // Written straight through SQLite in one transaction: the store's record set saves one
    // record per transaction, as the window does, which is far too slow for 100,000 rows.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        qFatal("cannot open sample database");
    QString columns, params;
    for (int c = 0; c < FieldCount; ++c) {
        columns +=
            (c ? QStringLiteral(", ") : QString()) + QString::fromLatin1(fieldTable()[c].name);
        params += c ? QStringLiteral(", ?") : QStringLiteral("?");
    }
    QByteArray insert =
        QStringLiteral("INSERT INTO Daten (%1) VALUES (%2)").arg(columns, params).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, insert.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("cannot prepare insert: %s", sqlite3_errmsg(db));
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int i = 1; i <= n; ++i) {
        QString surname = pick(kSurnames, rng);
        QString town = pick(kTowns, rng);
        QString street = pick(kStreets, rng) + QLatin1Char(' ') + QString::number(percent(rng) + 1);
        int siblings = std::uniform_int_distribution<int>(0, 3)(rng);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        std::array<bool, FieldCount> handled{};
        auto set = [&](const char* field, const QVariant& v) {
            int c = fieldIndex(QString::fromLatin1(field)) + 1;
            handled[c - 1] = true;
            const FieldDef& f = fieldTable()[c - 1];
            if (f.type == FieldType::Single) {
                QString t = v.toString();
                t.replace(QLatin1Char(','), QLatin1Char('.'));
                sqlite3_bind_double(stmt, c, t.toDouble());
            } else if (f.type == FieldType::Long || f.type == FieldType::Integer) {
                sqlite3_bind_int64(stmt, c, v.toLongLong());
            } else {
                QByteArray u = v.toString().toUtf8();
                sqlite3_bind_text(stmt, c, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
        };
        auto maybe = [&](const char* field, const QVariant& v) {
            // About one field in twenty is left empty (Null), as in data brought over.
            if (percent(rng) >= 5)
                set(field, v);
            else
                handled[fieldIndex(QString::fromLatin1(field))] = true;
        };
        set("Nr", i);
        set("KNach", surname);
        set("KVor", pick(kFirstNames, rng));
        maybe("KGeb", date(rng, 2019, 2023));
        maybe("KGebin", town);
        maybe("KKonf", pick(kReligions, rng));
        maybe("KNat", pick(kNations, rng));
        set("KStr", street);
        set("KPLZ", QString::number(80000 + percent(rng) * 97));
        maybe("KOrt", town);
        maybe("KTel1", QStringLiteral("0821 %1").arg(100000 + i));
        set("KTel2", QStringLiteral("-"));
        maybe("KArzt", QStringLiteral("Dr. ") + pick(kSurnames, rng));
        set("KSorge", QStringLiteral("beide"));
        set("Bem", i % 7 == 0 ? QStringLiteral("Allergie: Nüsse\nAbholung nur durch die Eltern")
                              : QStringLiteral("-"));
        set("KEin", date(rng, 2022, 2025));
        set("KPKNr", QStringLiteral("%1").arg(i, 7, 10, QLatin1Char('0')));
        maybe("KGrp", pick(kGroups, rng));
        set("KBasis", 150);
        set("KFaktor", QStringLiteral("1,2"));
        set("KBuchFak", QStringLiteral("0,85"));
        set("KSumme", 153);
        set("KBuchvon", QStringLiteral("07:30"));
        set("KBuchbis", QStringLiteral("13:30"));
        maybe("KEssen", percent(rng) < 60 ? QStringLiteral("ja") : QStringLiteral("nein"));
        set("MNach", surname);
        set("MVor", pick(kFirstNames, rng));
        set("MGeb", date(rng, 1980, 1995));
        set("MKonf", pick(kReligions, rng));
        set("MNat", pick(kNations, rng));
        set("MStr", street);
        set("MOrt", town);
        set("MTel1", QStringLiteral("0170 %1").arg(2000000 + i));
        set("MArb", QStringLiteral("Stadtwerke ") + town);
        set("VNach", surname);
        set("VVor", pick(kFirstNames, rng));
        set("VOrt", town);
        set("GAnz", siblings);
        for (int s = 1; s <= siblings; ++s) {
            QByteArray p = "G" + QByteArray::number(s);
            set((p + "Nach").constData(), surname);
            set((p + "Vor").constData(), pick(kFirstNames, rng));
            set((p + "Geb").constData(), date(rng, 2012, 2024));
            set((p + "Gebin").constData(), town);
        }
        // Every other field gets the placeholder that saving writes.
        for (int c = 0; c < FieldCount; ++c) {
            if (handled[c])
                continue;
            const FieldDef& f = fieldTable()[c];
            if (isTextType(f.type))
                sqlite3_bind_text(stmt, c + 1, "-", 1, SQLITE_STATIC);
            else
                sqlite3_bind_int(stmt, c + 1, 0);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE)
            qFatal("insert failed: %s", sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}
