#include "engineerror.h"
#include "inifile.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <tuple>

#include <sys/stat.h>

namespace {

template <std::size_t N> QByteArray raw(const char (&bytes)[N]) {
    return QByteArray(bytes, N - 1);
}

// Lines written "a|b|c", each ended by CR LF.
QByteArray crlf(const char* lines) {
    return QByteArray(lines).replace('|', "\r\n") + "\r\n";
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QByteArray kTemplate =
    crlf("[Angaben]|;allgemeine Angaben|LetzterAufruf=|Name=Belvonia|Strasse=-|Ort=-|Tel=-|"
         "Email=-||[Verweise]|NameDB=TarvexDB.mdb||[Fenster]|Hoehe=10500|Breite=14000|Links=105|"
         "Oben=105|Tab=0||[Drucken]|Schrift1=Arial|SchriftGr1=10|SchriftBK1=&H00|"
         "Schrift2=Times New Roman|SchriftGr2=10|SchriftBK2=&H00|AbstandO=10|AbstandU=10|"
         "AbstandL=10|AbstandR=10|AbstandTab=2|Ausrichtung=1||[Tabelle]|AnzahlSp=6|"
         "SpBreite0=1050|SpBreite1=1050|SpBreite2=1050|SpBreite3=1050|SpBreite4=1050|"
         "SpBreite5=1050||[Intern]|Tabelle=0000000000000000");

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

// Every field as text, so that a test row can name the fields it checks.
QMap<QString, QString> fields(const Settings& s) {
    const auto n = [](auto v) { return QString::number(v); };
    QStringList widths;
    for (int w : s.SpBreite)
        widths << n(w);
    QString choice;
    for (int e : s.Tabelle)
        choice += n(e);
    QMap<QString, QString> f;
    f["NameDB"] = s.NameDB, f["Name"] = s.Name, f["Strasse"] = s.Strasse, f["Ort"] = s.Ort;
    f["Tel"] = s.Tel, f["Email"] = s.Email, f["Hoehe"] = n(s.Hoehe), f["Breite"] = n(s.Breite);
    f["Links"] = n(s.Links), f["Oben"] = n(s.Oben), f["Tab"] = n(s.Tab);
    f["Schrift1"] = s.Schrift1, f["SchriftGr1"] = n(s.SchriftGr1), f["Fett1"] = n(s.Fett1);
    f["Kursiv1"] = n(s.Kursiv1), f["Schrift2"] = s.Schrift2, f["SchriftGr2"] = n(s.SchriftGr2);
    f["Fett2"] = n(s.Fett2), f["Kursiv2"] = n(s.Kursiv2), f["AbstandO"] = n(s.AbstandO);
    f["AbstandU"] = n(s.AbstandU), f["AbstandL"] = n(s.AbstandL), f["AbstandR"] = n(s.AbstandR);
    f["AbstandTab"] = n(s.AbstandTab), f["Hochformat"] = n(s.Hochformat);
    f["AnzahlSp"] = n(s.AnzahlSp), f["SpBreite"] = widths.join(u','), f["Tabelle"] = choice;
    return f;
}

void compareFields(const Settings& actual, const Settings& expected) {
    const auto a = fields(actual);
    const auto e = fields(expected);
    for (auto it = e.begin(); it != e.end(); ++it)
        QVERIFY2(a[it.key()] == it.value(),
                 qPrintable(it.key() + ": " + a[it.key()] + " != " + it.value()));
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
        put(m_ini, file);
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
            {"UTF-8 with byte order mark", "\xEF\xBB\xBF[A]\r\n", "A", "Köln",
             "\xEF\xBB\xBF[A]\r\nk=K\xc3\xb6ln\r\n"},
            {"NUL ends, line breaks become blanks", "[A]\r\n", "A",
             QString::fromUtf8("a\r\nb\0c", 6), "[A]\r\nk=a  b\r\n"},
        };
        for (const auto& [name, before, section, value, after] : rows)
            QTest::newRow(name) << before << section << value << after;
    }
    void iniWrite() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        put(m_ini, before);
        QVERIFY(IniFile::write(m_ini, section, u"k", value));
        QCOMPARE(bytesOf(m_ini), after);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"test.ini"});
        if (!value.contains(QChar(0)) && !value.contains(u'\n'))
            QCOMPARE(IniFile::read(m_ini, section, u"k", QString()), value);
    }

    void iniWindows1252() {
        put(m_ini, "[A]\r\nStrasse=Stra\xdf"
                   "e 1\r\nk=\x80\x81\r\n");
        IniFile ini(m_ini);
        QCOMPARE(ini.encoding(), IniFile::Encoding::Windows1252);
        QCOMPARE(ini.value(u"A", u"Strasse", {}), QStringLiteral("Straße 1"));
        QCOMPARE(ini.value(u"A", u"k", {}), QStringLiteral("€\u0081"));

        // Written back byte for byte in the same code page.
        ini.setValue(u"A", u"Ort", QStringLiteral("Köln"));
        QVERIFY(ini.save());
        QCOMPARE(bytesOf(m_ini), QByteArray("[A]\r\nStrasse=Stra\xdf"
                                            "e 1\r\nk=\x80\x81\r\nOrt=K\xf6ln\r\n"));

        // A value outside the code page turns the whole file into UTF-8.
        QVERIFY(IniFile::write(m_ini, u"A", u"Ort", QStringLiteral("Łódź")));
        QCOMPARE(bytesOf(m_ini),
                 QStringLiteral("[A]\r\nStrasse=Straße 1\r\nk=€\u0081\r\nOrt=Łódź\r\n").toUtf8());
        QCOMPARE(IniFile(m_ini).encoding(), IniFile::Encoding::Utf8);
    }

    void iniNoPlaceToWrite() {
        const QString d = QStringLiteral("d");
        // Neither a pipe (reading could block) nor a file too big to be settings is used.
        QVERIFY(::mkfifo(QFile::encodeName(m_ini).constData(), 0600) == 0);
        QCOMPARE(IniFile::read(m_ini, u"A", u"k", d), d);
        QVERIFY(!IniFile::write(m_ini, u"A", u"k", u"v"));
        QVERIFY(QFile::remove(m_ini));
        const QByteArray big = "[A]\r\nk=1\r\n" + QByteArray(IniFile::MaxFileSize, ';');
        put(m_ini, big);
        QCOMPARE(IniFile::read(m_ini, u"A", u"k", d), d);
        QVERIFY(!IniFile::write(m_ini, u"A", u"k", u"v"));
        QCOMPARE(bytesOf(m_ini), big);

        // A missing file is created.
        QVERIFY(QFile::remove(m_ini));
        QVERIFY(IniFile::write(m_ini, u"A", u"k", u"v"));
        QCOMPARE(bytesOf(m_ini), QByteArray("[A]\r\nk=v\r\n"));
    }

    // ---- SettingsFile -------------------------------------------------------------------------

    void templateFile() {
        m_file->writeTemplateIfMissing();
        QCOMPARE(bytesOf(path()), kTemplate);
        QCOMPARE(kTemplate.count("\r\n"), 44);

        Settings expected;
        expected.Name = "Belvonia";
        expected.Hoehe = 10500, expected.Breite = 14000, expected.Links = expected.Oben = 105;
        expected.SpBreite = QVector<int>(6, 1050);
        compareFields(readAll(*m_file), expected);

        // An existing file stays as it is, even when keys are missing.
        put(path(), "[Fenster]\nHoehe=12000");
        m_file->writeTemplateIfMissing();
        QCOMPARE(bytesOf(path()), QByteArray("[Fenster]\nHoehe=12000"));
    }

    void templateInReadOnlyFolder() {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(m_dir->path()).isWritable())
            QSKIP("permissions are not enforced for this user");
        try {
            m_file->writeTemplateIfMissing();
            QFAIL("no error");
        } catch (const EngineError& e) {
            QVERIFY(e.description().contains(QDir::toNativeSeparators(path())));
        }
    }

    void fallbacks_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("sections without keys") << QByteArray("[Fenster]\r\n[drucken]\r\n");
        QTest::newRow("folder in its place") << QByteArray("folder");
    }
    void fallbacks() {
        QFETCH(QByteArray, file);
        if (file == "folder")
            QVERIFY(QDir(m_dir->path()).mkdir("Tarvex.ini"));
        else if (!file.isEmpty())
            put(path(), file);
        Settings expected;
        expected.SpBreite = QVector<int>(6, 1050);
        compareFields(readAll(*m_file), expected);
        if (file != "folder")
            return;
        QVERIFY(!m_file->save(expected));
        QVERIFY(!m_file->writeLetzterAufruf(QDateTime::currentDateTime()));
        try {
            m_file->writeTemplateIfMissing();
            QFAIL("a folder in the file's place was taken for the file");
        } catch (const EngineError& e) {
            QVERIFY(e.description().contains(QDir::toNativeSeparators(path())));
            QVERIFY(e.description().contains("Ordner"));
        }
    }

    void readValues_data() {
        QTest::addColumn<QString>("line"); // the only line of its section
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("expected");
        const char* rows[][3] = {
            {"[Fenster]Hoehe=9000", "Hoehe", "10125"},
            {"[Fenster]Breite=12000", "Breite", "13050"},
            {"[Fenster]Links=-300", "Links", "0"},
            {"[fenster]OBEN=0", "Oben", "0"},
            {"[Fenster]Hoehe=10500,5", "Hoehe", "10500"}, // half to even
            {"[Fenster]Hoehe=10501.5", "Hoehe", "10502"},
            {"[Fenster]Tab=\" 2 \"", "Tab", "2"},
            {"[Drucken]SchriftBK1=&H10", "Fett1 Kursiv1", "1 0"},
            {"[Drucken]SchriftBK2=&h01", "Fett2 Kursiv2", "0 1"},
            {"[Drucken]SchriftBK1=fett", "Fett1 Kursiv1", "0 0"},
            {"[Drucken]SchriftGr1=0", "SchriftGr1", "10"},
            {"[Drucken]SchriftGr2=-4", "SchriftGr2", "10"},
            {"[Drucken]SchriftGr1=zehn", "SchriftGr1", "10"},
            {"[Drucken]SchriftGr1=1000000000000000000000000000000000000000", "SchriftGr1", "10"},
            {"[Drucken]Schrift1=", "Schrift1", "Arial"},
            {"[Drucken]Schrift2=", "Schrift2", "Times New Roman"},
            {"[Drucken]AbstandO=x", "AbstandO", "10"},
            {"[Drucken]AbstandTab=x", "AbstandTab", "2"},
            {"[Drucken]AbstandL=1,5", "AbstandL", "1.5"},
            {"[Drucken]Ausrichtung=01", "Hochformat", "0"},
            {"[Tabelle]AnzahlSp=sechs", "AnzahlSp", "6"},
            {"[Tabelle]AnzahlSp=-2", "AnzahlSp", "6"},
            {"[Tabelle]AnzahlSp=1000", "AnzahlSp", "64"},
            {"[Tabelle]AnzahlSp=3", "SpBreite", "1050,1050,1050"},
            {"[Tabelle]SpBreite1=breit", "SpBreite", "1050,1050,1050,1050,1050,1050"},
            {"[Intern]Tabelle=1100000000000001", "Tabelle", "1100000000000001"},
            {"[Intern]Tabelle=abcdefghijklmnop", "Tabelle", "0000000000000000"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[0] << r[1] << r[2];
        QTest::newRow("300 characters cut")
            << "[Angaben]Name=" + QString(300, u'x') << "Name" << QString(254, u'x');
        QTest::newRow("database path of 254")
            << "[Verweise]NameDB=" + QString(254, u'd') << "NameDB" << QString(254, u'd');
    }
    void readValues() {
        QFETCH(QString, line);
        QFETCH(QString, checked);
        QFETCH(QString, expected);
        put(path(), line.replace("]", "]\r\n").toUtf8());
        const auto all = fields(readAll(*m_file));
        QStringList actual;
        for (const QString& name : checked.split(u' '))
            actual << all.value(name, "?");
        QCOMPARE(actual.join(u' '), expected);
    }

    void conversionErrors_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        const char* rows[][3] = {
            {"[Fenster]Hoehe=abc", "Hoehe", "Der Wert »abc« des Schlüssels »Hoehe«"},
            {"[Fenster]Breite=", "Breite", "keinen Wert"},
            {"[Fenster]Tab=1e3", "Tab", "keine ganze Zahl"},
            {"[Fenster]Links=99999999999", "Links", "außerhalb"},
            {"[Intern]Tabelle=123", "Tabelle", "3 statt 16"},
            {"[Intern]Tabelle=&H00000000000001", "Tabelle", "Stelle 1 keine Ziffer"},
        };
        for (const auto& r : rows)
            QTest::newRow(r[0]) << r[0] << r[1] << r[2];
        QTest::newRow("long database path") << "[Verweise]NameDB=" + QString(300, u'd') << "NameDB"
                                            << "300 Zeichen";
    }
    void conversionErrors() {
        QFETCH(QString, line);
        QFETCH(QString, key);
        QFETCH(QString, text);
        put(path(), line.replace("]", "]\r\n").toUtf8());
        try {
            readAll(*m_file);
            QFAIL("no error");
        } catch (const EngineError& e) {
            QCOMPARE(e.number(), 13);
            QVERIFY2(e.description().contains("»" + key + "«"), qPrintable(e.description()));
            QVERIFY(e.description().contains(QDir::toNativeSeparators(path())));
            QVERIFY2(e.description().contains(text), qPrintable(e.description()));
        }
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
        QCOMPARE(bytesOf(path()),
                 crlf("[Fenster]|Tab=2|Links=50|Oben=50|Hoehe=11000|Breite=15000||[Tabelle]|"
                      "AnzahlSp=2|SpBreite0=1200|SpBreite1=900||[Intern]|Tabelle=1010000000000000||"
                      "[Drucken]|Schrift1=Liberation Sans|SchriftGr1=12,5|SchriftBK1=&H10|"
                      "Schrift2=Times New Roman|SchriftGr2=10|SchriftBK2=&H01|AbstandO=10|"
                      "AbstandU=10|AbstandL=1,5|AbstandR=10|AbstandTab=0,25|Ausrichtung=0||"
                      "[Angaben]|Name=\" Kita \"Sonne\" \"|Strasse=Weg 1|Ort=-|Tel=-|Email="));
        s.Links = s.Oben = 50;
        compareFields(readAll(*m_file), s);
    }

    void saveKeepsOtherLines() {
        put(path(), kTemplate + "; eigene Notiz\r\n[Eigenes]\r\nX=1\r\n");
        QVERIFY(m_file->writeLetzterAufruf(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))));
        Settings s = readAll(*m_file);
        s.Hoehe = 12000, s.Name = "Kita Regenbogen", s.Fett1 = true;
        QVERIFY(m_file->save(s));
        QByteArray expected = kTemplate + "; eigene Notiz\r\n[Eigenes]\r\nX=1\r\n";
        expected.replace("LetzterAufruf=", "LetzterAufruf=05.03.2024 07:08:09")
            .replace("Links=105", "Links=50")
            .replace("Oben=105", "Oben=50")
            .replace("Hoehe=10500", "Hoehe=12000")
            .replace("Name=Belvonia", "Name=Kita Regenbogen")
            .replace("SchriftBK1=&H00", "SchriftBK1=&H10");
        QCOMPARE(bytesOf(path()), expected);
    }

    void readOnlyFileStaysAsItIs() {
        m_file->writeTemplateIfMissing();
        QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
        Settings s = readAll(*m_file);
        s.Name = "geändert";
        QVERIFY(!m_file->save(s));
        QVERIFY(!m_file->writeLetzterAufruf(QDateTime::currentDateTime()));
        QCOMPARE(bytesOf(path()), kTemplate);
    }

    void binaryJunk() {
        QByteArray junk(64 * 1024, '\0');
        QRandomGenerator random(7);
        for (char& c : junk)
            c = static_cast<char>(random.bounded(256));
        put(path(), junk);
        try {
            readAll(*m_file); // odd values or an error, but no crash and no hang
        } catch (const EngineError&) {
        }
        Settings s;
        s.SpBreite = QVector<int>(6, 777);
        QVERIFY(m_file->save(s));
        QVERIFY(bytesOf(path()).startsWith(junk));
        s.Links = s.Oben = 50;
        compareFields(readAll(*m_file), s);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
