#include "inifile.h"
#include "rawaccess.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <tuple>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

template <std::size_t N> QByteArray raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1);
}

// Lines written "a|b|c", each ended by CR LF.
QByteArray crlf(const char* lines) {
    return QByteArray(lines).replace('|', "\r\n") + "\r\n";
}

Settings readAll(const SettingsFile& file) {
    Settings s;
    s.NameDB = file.readNameDB();
    file.readAddress(s);
    file.readPrint(s);
    file.readWindow(s);
    file.readTable(s);
    file.readColumnChoice(s);
    return s;
}

// Every field as "name=value": whole settings compare as lists, and a test row can name the
// fields it checks.
QStringList fields(const Settings& s) {
    const auto v = [](const auto& x) {
        if constexpr (std::is_same_v<std::decay_t<decltype(x)>, QString>)
            return x;
        else
            return QString::number(x);
    };
    QStringList widths;
    for (int w : s.SpBreite)
        widths << v(w);
    QString choice;
    for (int e : s.Tabelle)
        choice += v(e);
#define FIELD(name) QStringLiteral(#name "=") + v(s.name)
    return QStringList{FIELD(NameDB),     FIELD(Name),     FIELD(Strasse),  FIELD(Ort),
                       FIELD(Tel),        FIELD(Email),    FIELD(Hoehe),    FIELD(Breite),
                       FIELD(Links),      FIELD(Oben),     FIELD(Tab),      FIELD(Schrift1),
                       FIELD(SchriftGr1), FIELD(Fett1),    FIELD(Kursiv1),  FIELD(Schrift2),
                       FIELD(SchriftGr2), FIELD(Fett2),    FIELD(Kursiv2),  FIELD(AbstandO),
                       FIELD(AbstandU),   FIELD(AbstandL), FIELD(AbstandR), FIELD(AbstandTab),
                       FIELD(Hochformat), FIELD(AnzahlSp)}
           << "SpBreite=" + widths.join(u',') << "Tabelle=" + choice;
#undef FIELD
}

Settings defaults() {
    Settings s;
    for (int i = 0; i < 6; ++i)
        s.SpBreite << Settings::defaultColumnTwips(i);
    return s;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir; // the program folder, new for every test
    std::unique_ptr<SettingsFile> m_file;
    QString m_ini; // for the IniFile tests

    QString path() const { return m_file->path(); }

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_file = std::make_unique<SettingsFile>(m_dir->path());
        QCOMPARE(path(), m_dir->filePath("Tarvex.ini"));
        m_ini = m_dir->filePath("test.ini");
    }

    // ---- IniFile ------------------------------------------------------------------------------

    void iniLookup_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected"); // of key k in section A
        const std::tuple<const char*, QByteArray, QString> rows[] = {
            {"names in other case", "[a]\r\nK=v\r\n", "v"},
            {"blanks trimmed", "  [ A ]  \r\n\t k  =  v w \t\r\n", "v w"},
            {"quotes keep blanks", "[A]\r\nk= \" v \" \r\n", " v "},
            {"first of two sections", "[A]\r\nx=1\r\n[B]\r\nk=2\r\n[a]\r\nk=3\r\nk=4\r\n", "3"},
            {"other section", "[B]\r\nk=1\r\n", "FALLBACK"},
            {"comment is no key", "[A]\r\n;k=1\r\n", "FALLBACK"},
            {"empty value is no fallback", "[A]\r\nk=\r\n", ""},
            {"LF only, no final line end", "[A]\nx=1\nk=v", "v"},
            {"lone CR ends a line", "[A]\rx=1\rk=v\r", "v"},
            {"cut at NUL", raw("[A]\r\nk=ab\0cd\r\n"), "ab"},
            {"cut at 254", "[A]\r\nk=" + QByteArray(300, 'x'), QString(254, u'x')},
            {"binary junk around",
             raw("\xff\0\x01[A\r\n\x80=\0\r\r\n\0[A]\0\r\n[A]\r\nk=v\r\n\xfe"), "v"},
        };
        for (const auto& [name, file, expected] : rows)
            QTest::newRow(name) << file << expected;
    }
    void iniLookup() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QVERIFY(writeFile(m_ini, file));
        QCOMPARE(IniFile::read(m_ini, u"A", u"k", QStringLiteral("FALLBACK")), expected);
    }

    void iniWrite_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("value"); // of key k
        QTest::addColumn<QByteArray>("after");
        const std::tuple<const char*, QByteArray, QString, QString, QByteArray> rows[] = {
            {"first occurrence in place, the rest untouched",
             "; c\r\n[A]\r\n K = 1 \r\nk=2\r\n[B]\r\nk=3\r\n", "a", "9",
             "; c\r\n[A]\r\n K = 9\r\nk=2\r\n[B]\r\nk=3\r\n"},
            {"end of section, before its blank line", "[A]\r\nx=1\r\n;note\r\n\r\n[B]\r\n", "A",
             "v", "[A]\r\nx=1\r\n;note\r\nk=v\r\n\r\n[B]\r\n"},
            {"new section after a last line without line end", "[A]\r\nx=1", "B", "v",
             "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
            {"LF file stays LF", "[A]\nx=1\r\ny=2\n", "A", "v", "[A]\nx=1\r\ny=2\nk=v\n"},
            {"CR file stays CR, one section", "[A]\rx=1\r[B]\ry=2", "A", "v",
             "[A]\rx=1\rk=v\r[B]\ry=2"},
            {"UTF-8 with byte order mark", "\xEF\xBB\xBF[A]\r\n", "A", "Köln",
             "\xEF\xBB\xBF[A]\r\nk=K\xc3\xb6ln\r\n"},
            {"a second byte order mark stays", "\xEF\xBB\xBF\xEF\xBB\xBF[A]\r\n", "A", "v",
             "\xEF\xBB\xBF\xEF\xBB\xBF[A]\r\nk=v\r\n"},
            {"NUL ends, line breaks become blanks", "[A]\r\n", "A",
             QString::fromUtf8("a\r\nb\0c", 6), "[A]\r\nk=a  b\r\n"},
            // A file that is not UTF-8 is Windows-1252, written back byte for byte, unless a
            // value no longer fits the code page: then all of it becomes UTF-8.
            {"Windows-1252 stays",
             "[A]\r\nx=Stra\xdf"
             "e\x80\x81\r\n",
             "A", "Köln",
             "[A]\r\nx=Stra\xdf"
             "e\x80\x81\r\nk=K\xf6ln\r\n"},
            {"Windows-1252 becomes UTF-8",
             "[A]\r\nx=Stra\xdf"
             "e\x80\x81\r\n",
             "A", "Łódź", QString("[A]\r\nx=Straße€\u0081\r\nk=Łódź\r\n").toUtf8()},
            {"Windows-1252 that would read as UTF-8 becomes UTF-8",
             "[A]\r\nx=\xC3\xB6\r\nk=\xFF\r\n", "A", "v",
             QString("[A]\r\nx=Ã¶\r\nk=v\r\n").toUtf8()},
        };
        for (const auto& [name, before, section, value, after] : rows)
            QTest::newRow(name) << before << section << value << after;
    }
    void iniWrite() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QVERIFY(writeFile(m_ini, before));
        QVERIFY(IniFile::write(m_ini, section, u"k", value));
        QCOMPARE(fileBytes(m_ini), after);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"test.ini"});
        if (!value.contains(QChar(0)) && !value.contains(u'\n'))
            QCOMPARE(IniFile::read(m_ini, section, u"k", QString()), value);
    }

    // ---- SettingsFile -------------------------------------------------------------------------

    void templateFile() {
        QCOMPARE(fields(readAll(*m_file)), fields(defaults())); // no file yet
        m_file->writeTemplateIfMissing();
        const QByteArray written = fileBytes(path());
        QCOMPARE(written.count("\r\n"), 44);
        QCOMPARE(written.count('\n'), 44);
        Settings expected = defaults();
        expected.Name = "Belvonia";
        expected.Hoehe = 10500, expected.Breite = 14000, expected.Links = expected.Oben = 105;
        QCOMPARE(fields(readAll(*m_file)), fields(expected));

        // An existing file stays as it is, even when keys are missing; they read as defaults.
        QVERIFY(writeFile(path(), "[Fenster]\nHoehe=12000\n[drucken]"));
        m_file->writeTemplateIfMissing();
        QCOMPARE(fileBytes(path()), QByteArray("[Fenster]\nHoehe=12000\n[drucken]"));
        expected = defaults();
        expected.Hoehe = 12000;
        QCOMPARE(fields(readAll(*m_file)), fields(expected));
    }

    // One section, its lines parted by "|": the values read, or error 13 naming the key, the
    // file and what is wrong.
    void readValues_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("checked");  // fields, or the key an error names
        QTest::addColumn<QString>("expected"); // values parted by "|", or part of the error
        QTest::addColumn<int>("number");
        const char* rows[][3] = {
            {"[fenster]Hoehe=9000|Breite=12000|Links=-300|OBEN=0", "Hoehe Breite Links Oben",
             "10125|13050|0|0"},
            {"[Fenster]Hoehe=10500,5|Breite=13501.5|Tab=\" 2 \"", "Hoehe Breite Tab",
             "10500|13502|2"}, // half to even
            {"[Drucken]SchriftBK1=&H10|SchriftBK2=&h01", "Fett1 Kursiv1 Fett2 Kursiv2", "1|0|0|1"},
            {"[Drucken]SchriftBK1=fett|SchriftGr1=0|SchriftGr2=-4|Schrift1=|Schrift2=",
             "Fett1 Kursiv1 SchriftGr1 SchriftGr2 Schrift1 Schrift2",
             "0|0|10|10|Arial|Times New Roman"},
            {"[Drucken]SchriftGr1=zehn", "SchriftGr1", "10"},
            {"[Drucken]SchriftGr1=1000000000000000000000000000000000000000", "SchriftGr1", "10"},
            {"[Drucken]AbstandO=x|AbstandTab=x|AbstandL=1,5|Ausrichtung=01",
             "AbstandO AbstandTab AbstandL Hochformat", "10|2|1.5|0"},
            {"[Tabelle]AnzahlSp=sechs", "AnzahlSp", "6"},
            {"[Tabelle]AnzahlSp=-2", "AnzahlSp", "6"},
            {"[Tabelle]AnzahlSp=0", "AnzahlSp", "6"},
            {"[Tabelle]AnzahlSp=1000", "AnzahlSp", "64"},
            // A width that is no width is its position's default.
            {"[Tabelle]AnzahlSp=3|SpBreite0=700|SpBreite1=breit|SpBreite2=-5", "SpBreite",
             "700,1425,1275"},
            {"[Intern]Tabelle=1100000000000001", "Tabelle", "1100000000000001"},
            {"[Intern]Tabelle=abcdefghijklmnop", "Tabelle", "0000000000000000"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[0] << r[1] << r[2] << 0;
        const char* errors[][3] = {
            {"[Fenster]Hoehe=abc", "Hoehe", "Der Wert »abc« des Schlüssels »Hoehe«"},
            {"[Fenster]Breite=", "Breite", "keinen Wert"},
            {"[Fenster]Tab=1e3", "Tab", "keine ganze Zahl"},
            {"[Fenster]Links=99999999999", "Links", "außerhalb"},
            {"[Intern]Tabelle=123", "Tabelle", "3 statt 16"},
            {"[Intern]Tabelle=&H00000000000001", "Tabelle", "Stelle 1 keine Ziffer"},
        };
        for (const auto& r : errors)
            QTest::newRow(r[0]) << r[0] << r[1] << r[2] << 13;
        QTest::newRow("database path of 254")
            << "[Verweise]NameDB=" + QString(254, u'd') << "NameDB" << QString(254, u'd') << 0;
        QTest::newRow("database path of 300")
            << "[Verweise]NameDB=" + QString(300, u'd') << "NameDB"
            << "300 Zeichen" << 13;
    }
    void readValues() {
        QFETCH(QString, lines);
        QFETCH(QString, checked);
        QFETCH(QString, expected);
        QFETCH(int, number);
        QVERIFY(writeFile(path(), lines.replace("]", "]\r\n").replace("|", "\r\n").toUtf8()));
        if (number) {
            QString description;
            QCOMPARE(errorOf([&] { readAll(*m_file); }, &description), number);
            for (const QString& part :
                 {"»" + checked + "«", QDir::toNativeSeparators(path()), expected})
                QVERIFY2(description.contains(part), qPrintable(description));
            return;
        }
        const auto all = fields(readAll(*m_file));
        QStringList actual;
        for (const QString& name : checked.split(u' '))
            actual << all.value(all.indexOf(QRegularExpression(name + "=.*"))).section(u'=', 1);
        QCOMPARE(actual.join(u'|'), expected);
    }

    void saveWritesInOrderAndReadsBack() {
        Settings s;
        s.Hoehe = 11000, s.Breite = 15000, s.Links = s.Oben = 300, s.Tab = 2;
        s.AnzahlSp = 2, s.SpBreite = {1200, 900};
        s.Tabelle = {1, 0, 1};
        s.Schrift1 = "Liberation Sans", s.SchriftGr1 = 12.5f, s.Fett1 = true;
        s.Kursiv2 = true, s.AbstandL = 1.5f, s.AbstandTab = 0.25f, s.Hochformat = false;
        s.Name = " Kita \"Sonne\" ", s.Strasse = "Weg 1", s.Email = "";
        QVERIFY(m_file->save(s));
        QCOMPARE(fileBytes(path()),
                 crlf("[Fenster]|Tab=2|Links=50|Oben=50|Hoehe=11000|Breite=15000||[Tabelle]|"
                      "AnzahlSp=2|SpBreite0=1200|SpBreite1=900||[Intern]|Tabelle=1010000000000000||"
                      "[Drucken]|Schrift1=Liberation Sans|SchriftGr1=12,5|SchriftBK1=&H10|"
                      "Schrift2=Times New Roman|SchriftGr2=10|SchriftBK2=&H01|AbstandO=10|"
                      "AbstandU=10|AbstandL=1,5|AbstandR=10|AbstandTab=0,25|Ausrichtung=0||"
                      "[Angaben]|Name=\" Kita \"Sonne\" \"|Strasse=Weg 1|Ort=-|Tel=-|Email="));
        s.Links = s.Oben = 50;
        QCOMPARE(fields(readAll(*m_file)), fields(s));
    }

    void saveKeepsOtherLines() {
        m_file->writeTemplateIfMissing();
        const QByteArray other = "; eigene Notiz\r\n[Eigenes]\r\nX=1\r\nohne Zeichen\x01\r\n";
        QByteArray expected = fileBytes(path()) + other;
        QVERIFY(writeFile(path(), expected));
        QVERIFY(m_file->writeLetzterAufruf(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))));
        Settings s = readAll(*m_file);
        s.Hoehe = 12000, s.Name = "Kita Regenbogen", s.Fett1 = true;
        QVERIFY(m_file->save(s));
        expected.replace("LetzterAufruf=\r", "LetzterAufruf=05.03.2024 07:08:09\r")
            .replace("Links=105", "Links=50")
            .replace("Oben=105", "Oben=50")
            .replace("Hoehe=10500", "Hoehe=12000")
            .replace("Name=Belvonia", "Name=Kita Regenbogen")
            .replace("SchriftBK1=&H00", "SchriftBK1=&H10");
        QCOMPARE(fileBytes(path()), expected);
    }

    // Nothing is written and what is there stays as it was; nothing is read from what is not
    // a settings file (a pipe could block).
    void nowhereToWrite_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // what the message must say
        const char* rows[][3] = {{"folder in the file's place", "folder", "Ordner"},
                                 {"read-only file", "file", "schreibgeschützt"},
                                 {"read-only folder", "locked", "Berechtigung"},
                                 {"pipe", "pipe", "etwas anderes als eine Datei"},
                                 {"file too big", "big", "größer als 4 MB"}};
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[1] << QString::fromUtf8(r[2]);
    }
    void nowhereToWrite() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        if (kind == "folder") {
            QVERIFY(QDir(m_dir->path()).mkdir("Tarvex.ini"));
        } else if (kind == "file") {
            m_file->writeTemplateIfMissing();
            QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
        } else if (kind == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(path()).constData(), 0600) == 0);
        } else if (kind == "big") {
            QVERIFY(writeFile(path(), "[Fenster]\r\nHoehe=12000\r\n" +
                                          QByteArray(IniFile::MaxFileSize, ';')));
        } else {
            QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
            if (QFileInfo(m_dir->path()).isWritable())
                QSKIP("permissions are not enforced for this user");
        }
        const QByteArray before = kind == "pipe" ? QByteArray() : fileBytes(path());
        Settings s = readAll(*m_file);
        if (kind != "file")
            QCOMPARE(fields(s), fields(defaults()));
        s.Name = "geändert";
        QString problem;
        QVERIFY(!m_file->save(s, &problem));
        QVERIFY2(problem.contains(reason), qPrintable(problem));
        problem.clear();
        QVERIFY(!m_file->writeLetzterAufruf(QDateTime::currentDateTime(), &problem));
        QVERIFY2(problem.contains(reason), qPrintable(problem));
        // A file that could not be read is said so at once, and never overwritten.
        const bool unread = kind == "big" || kind == "pipe" || kind == "folder";
        QCOMPARE(m_file->unreadable().has_value(), unread);
        if (unread)
            QVERIFY(problem.contains("nicht überschrieben"));
        if (kind != "pipe")
            QCOMPARE(fileBytes(path()), before);
        QCOMPARE(QFileInfo(path()).isFile(), kind == "file" || kind == "big");
        QString description;
        const bool refused = kind == "folder" || kind == "locked";
        QCOMPARE(errorOf([&] { m_file->writeTemplateIfMissing(); }, &description),
                 refused ? 75 : 0);
        if (refused)
            QVERIFY2(description.contains(QDir::toNativeSeparators(path())) &&
                         description.contains("Ordner"),
                     qPrintable(description));
    }

    // A write the disk cannot take (here: the process's file size limit) leaves the old file
    // exactly as it was, says why, and leaves nothing behind.
    void fullDiskKeepsOldFile() {
        m_file->writeTemplateIfMissing();
        const QByteArray before = fileBytes(path());
        Settings s = readAll(*m_file);
        s.Name = QString(200, u'x');
        struct rlimit old {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 512;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString saveProblem;
        QString startProblem;
        const bool saved = m_file->save(s, &saveProblem);
        const bool started =
            m_file->writeLetzterAufruf(QDateTime::currentDateTime(), &startProblem);
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, previousHandler);
        QVERIFY(!saved && !started);
        QVERIFY2(saveProblem.contains("größer"), qPrintable(saveProblem));
        QVERIFY(!startProblem.isEmpty());
        QCOMPARE(fileBytes(path()), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Tarvex.ini"});
        // Once there is room again, the same save goes through.
        QVERIFY(m_file->save(s));
        QCOMPARE(readAll(*m_file).Name, s.Name);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
