#include "printtestsupport.h"

#include "sqlitedatabase.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sqlite3.h>

QList<Child> realisticChildren(int n) {
    static const char* const surnames[] = {"Müller", "Schröder", "Öztürk", "Weiß",    "Krüger",
                                           "Bäcker", "Jäger",    "Nowak",  "Schäfer", "Günther"};
    static const char* const firstNames[] = {"Jörg",   "Zoë",   "Ömer", "Lena",
                                             "Jürgen", "Märta", "Finn", "Anna"};
    static const char* const groups[] = {"Bären", "Igel", "Füchse", "Schmetterlinge", "Mäuse"};
    static const char* const towns[] = {"Fürth", "Würzburg", "München", "Köln"};
    QList<Child> children;
    for (int i = 1; i <= n; ++i) {
        Child c;
        c.nr = i;
        c.nach = QString::fromUtf8(surnames[i % 10]);
        c.vor = QString::fromUtf8(firstNames[i % 8]);
        c.geb = QStringLiteral("%1.0%2.2021").arg(10 + i % 18).arg(1 + i % 9);
        c.konf = i % 2 ? QStringLiteral("rk") : QStringLiteral("ev");
        c.ort = QString::fromUtf8(towns[i % 4]);
        c.str = QStringLiteral("Hauptstraße %1").arg(i);
        c.grp = QString::fromUtf8(groups[i % 5]);
        c.tel1 = QStringLiteral("0821 %1").arg(100000 + i);
        c.mtel1 = QStringLiteral("0170 %1").arg(2000000 + i);
        children << c;
    }
    if (n >= 3) {
        children[1].nach = QStringLiteral("Müller-Lüdenscheidt-Großkopf"); // 29 characters
        children[1].str = QStringLiteral("Oberer Schäfflerbachweg am Kühlen Grund");
        children[2].konf.clear(); // the one field without a value
    }
    return children;
}

// Writes children into the database in one statement; an empty text is stored as Null.
static void storeChildren(Database& database, const QList<Child>& children) {
    QStringList rows;
    for (const Child& c : children) {
        QStringList values{QString::number(c.nr), QStringLiteral("'-'")};
        for (const QString& t :
             {c.nach, c.vor, c.geb, c.konf, c.ort, c.str, c.grp, c.tel1, c.mtel1})
            values << (t.isEmpty() ? QStringLiteral("NULL") : u'\'' + t + u'\'');
        rows << u'(' + values.join(u',') + u')';
    }
    const QString sql = "INSERT INTO Daten (Nr, KTel2, KNach, KVor, KGeb, KKonf, KOrt, KStr, KGrp, "
                        "KTel1, MTel1) VALUES " +
                        rows.join(u',');
    if (!children.isEmpty())
        QCOMPARE(sqlite3_exec(sqliteHandle(database), sql.toUtf8().constData(), nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
}

bool havePdfToText() {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-v")});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
}

QStringList pdfPages(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pageNumberOn(const QString& pageText) {
    static const QRegularExpression re(QStringLiteral("Seite\\s*:\\s*(\\d+)"));
    const QRegularExpressionMatch m = re.match(pageText);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

PrintFixture::PrintFixture(const QList<Child>& children) {
    const QString file = m_dir.filePath(QStringLiteral("TarvexDB.mdb"));
    Database::createEmpty(file);
    m_database = Database::open(file);
    storeChildren(*m_database, children);
    settings.Name = QStringLiteral("Kinderhaus Sonnenschein");
    settings.Strasse = QStringLiteral("Lindenallee 3");
    settings.Ort = QStringLiteral("86150 Augsburg");
    settings.Tel = QStringLiteral("0821 4711");
    settings.Email = QStringLiteral("kita@example.de");
}

PrintFixture::~PrintFixture() = default;

PrintDialog::Setup PrintFixture::setup() {
    PrintDialog::Setup s;
    s.database = m_database.get();
    s.settings = settings;
    s.boxes = &boxes;
    s.documentsFolder = m_dir.path();
    // A PDF printer on A4, whatever printers the machine has.
    s.printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    s.printer->setOutputFormat(QPrinter::PdfFormat);
    s.printer->setPageSize(QPageSize(QPageSize::A4));
    s.printerAvailable = [] { return false; };
    return s;
}
