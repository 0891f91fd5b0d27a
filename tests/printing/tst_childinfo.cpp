// The information for parents: every field in its section under its caption, long values
// broken into lines, and the PDF file read back with pdftotext.

#include "childinfo.h"
#include "listdocument.h"
#include "printtestsupport.h"
#include "settings.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <set>

namespace {

class FakeMeasure final : public TextMeasure {
  public:
    double width(PrintFont, const QString& text) const override { return 2.0 * text.size(); }
    double lineHeight(PrintFont) const override { return 4; }
};

// A record whose every field holds a value of its own: numbers where the field takes one,
// otherwise a text with an umlaut made from the field's name, cut to the field's size.
RecordTexts fullRecord(const QString& remark) {
    RecordTexts texts;
    for (int i = 0; i < FieldCount; ++i) {
        const FieldDef& f = fieldTable()[size_t(i)];
        QString value = QStringLiteral("ä") + QLatin1String(f.name);
        if (f.type == FieldType::Text)
            value = value.left(f.size);
        texts[size_t(i)] = value;
    }
    auto set = [&texts](const char* name, const QString& value) {
        texts[size_t(fieldIndex(QString::fromLatin1(name)))] = value;
    };
    set("Nr", "4711");
    set("GAnz", "3");
    set("KEssen", "ja");
    set("KBasis", "152,5");
    set("KFaktor", "1,25");
    set("KBuchFak", "0,8");
    set("KSumme", "152,5");
    set("Bem", remark);
    return texts;
}

} // namespace

class TestChildInfo : public QObject {
    Q_OBJECT
  private slots:
    void sectionsHoldEveryFieldOnce();
    void wrap_data();
    void wrap();
    void noRoomOnThePage();
    void longLetterheadKeepsClear();
    void pdfHoldsEveryFieldUnderItsCaption();
};

void TestChildInfo::sectionsHoldEveryFieldOnce() {
    const RecordTexts texts = fullRecord(QStringLiteral("Bemerkung"));
    const std::vector<InfoSection> sections = childInfoSections(texts);
    QStringList titles;
    std::multiset<QString> values;
    for (const InfoSection& s : sections) {
        titles << s.title;
        for (const InfoLine& l : s.lines)
            if (!l.caption.isEmpty())
                values.insert(l.value);
    }
    QCOMPARE(titles, (QStringList{"Kind", "Mutter", "Vater", "Geschwister", "Bemerkung",
                                  "Buchung und Beiträge"}));
    const std::multiset<QString> all(texts.begin(), texts.end());
    QCOMPARE(values, all);

    // Each section in the form's order, the captions as the form shows them.
    auto captions = [&sections](int s) {
        QStringList result;
        for (const InfoLine& l : sections[size_t(s)].lines)
            result << (l.caption.isEmpty() ? l.value : l.caption);
        return result.join(QStringLiteral(", "));
    };
    QCOMPARE(captions(0), QStringLiteral("Nummer, Nachname, Vorname, geb. am, in, Konfession, "
                                         "Nationalität, Straße, PLZ, Ort, Telefon 1, Telefon 2, "
                                         "Kinderarzt, Sorgerecht, Eintritt am, PK-Nummer, Gruppe"));
    QCOMPARE(captions(3), QStringLiteral("Geschw. Anzahl, 1. Geschwisterkind, Nachname, Vorname, "
                                         "geb. am, in, 2. Geschwisterkind, Nachname, Vorname, "
                                         "geb. am, in, 3. Geschwisterkind, Nachname, Vorname, "
                                         "geb. am, in"));
    QCOMPARE(captions(5), QStringLiteral("Buchungszeit von, bis, Essen, Basiswert, Faktor Kind, "
                                         "Buchungsfaktor, Summe"));
    QCOMPARE(sections[1].lines.front().value, QStringLiteral("äMNach"));
    QCOMPARE(sections[2].lines.back().value, QStringLiteral("äVArbTel"));
}

void TestChildInfo::wrap_data() {
    // Every character is 2 mm wide; a line takes 20 mm, ten characters.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("fits") << "kurz" << QStringList{"kurz"};
    QTest::newRow("exactly ten") << "zehn Zeich" << QStringList{"zehn Zeich"};
    QTest::newRow("between words")
        << "eins zwei drei vier" << QStringList{"eins zwei", "drei vier"};
    QTest::newRow("a word wider than the line")
        << "Donaudampfschifffahrt ab" << QStringList{"Donaudampf", "schifffahr", "t ab"};
    QTest::newRow("own line breaks") << "a\r\nb\nc\rd" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("an empty line stays") << "eins\n\nzwei" << QStringList{"eins", "", "zwei"};
    QTest::newRow("empty") << "" << QStringList{""};
}

void TestChildInfo::wrap() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(wrapText(text, 20, FakeMeasure(), PrintFont::Entry), lines);
}

void TestChildInfo::noRoomOnThePage() {
    Settings settings;
    const std::vector<InfoSection> sections = childInfoSections(fullRecord("-"));
    FakeMeasure measure;
    QCOMPARE(
        int(planChildInfo(sections, "x", settings, measure, QSizeF(200, 287), "24.12.2024").result),
        int(ListPlan::Result::Pages));
    settings.AbstandO = 150;
    settings.AbstandU = 130;
    QCOMPARE(
        int(planChildInfo(sections, "x", settings, measure, QSizeF(200, 287), "24.12.2024").result),
        int(ListPlan::Result::NoRoom));
}

// The sheet's header with the printed fonts and long letterhead values: no text runs into
// another or past the margins; the name of 54 characters is whole in the smaller size.
void TestChildInfo::longLetterheadKeepsClear() {
    Settings settings;
    settings.Name = QStringLiteral("Städtische Kindertagesstätte Sonnenschein am Lindenhof");
    settings.Strasse = QStringLiteral("Oberer Schäfflerbachweg am Kühlen Grund 12");
    settings.Ort = QStringLiteral("86150 Augsburg-Hochzoll-Süd");
    settings.Tel = QStringLiteral("0821 123456-789 (Büro), 0821 123456-790 (Gruppe Igel)");
    settings.Email =
        QStringLiteral("verwaltung.kita-sonnenschein-am-lindenhof@augsburg.example.de");
    const std::unique_ptr<ListDocument> document =
        childInfoDocument(fullRecord("-"), settings, QStringLiteral("24.12.2024"));
    const PrintFonts fonts(settings);
    const FontMeasure measure(fonts);
    const double right = document->geometry().printable.width() - settings.AbstandR;
    std::vector<std::pair<QRectF, QString>> header;
    for (const PlanText& t : document->plan().pages.front().texts) {
        if (t.font == PrintFont::Entry || t.font == PrintFont::Heading)
            continue;
        const QString text = document->plan().text(t, document->rows());
        if (t.font != PrintFont::Header) {
            QCOMPARE(t.font, PrintFont::LetterheadSmall);
            QCOMPARE(text, settings.Name);
        }
        // Positions are kept as float: boxes that only touch may overlap by a hair.
        header.emplace_back(
            QRectF(t.x, t.y, measure.width(t.font, text), measure.lineHeight(t.font))
                .adjusted(1e-4, 1e-4, -1e-4, -1e-4),
            text);
    }
    QCOMPARE(header.size(), size_t(11));
    for (size_t i = 0; i < header.size(); ++i) {
        const auto& [box, text] = header[i];
        QVERIFY2(box.left() >= settings.AbstandL && box.right() <= right, qPrintable(text));
        for (size_t j = i + 1; j < header.size(); ++j)
            QVERIFY2(!box.intersected(header[j].first).isValid(),
                     qPrintable(text + " / " + header[j].second));
    }
}

void TestChildInfo::pdfHoldsEveryFieldUnderItsCaption() {
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
    // A remark of many lines carries the information onto a second page.
    QStringList remarkLines;
    for (int i = 1; i <= 60; ++i)
        remarkLines << QStringLiteral("Zeile%1 der Bemerkung über Allergien").arg(i);
    const RecordTexts texts = fullRecord(remarkLines.join(QStringLiteral("\r\n")));
    Settings settings;
    settings.Name = QStringLiteral("Kindergarten Sonnenschein");
    settings.Strasse = QStringLiteral("Lindenweg 3");
    settings.Ort = QStringLiteral("12345 Musterstadt");
    const std::unique_ptr<ListDocument> document =
        childInfoDocument(texts, settings, QStringLiteral("24.12.2024"));
    QCOMPARE(int(document->result()), int(ListPlan::Result::Pages));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Auskunft.pdf"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(int(writePdf(*document, file)), int(OutputResult::Done));
    }
    const QStringList pages = pdfPages(path);
    QVERIFY(pages.size() >= 2);
    const QString all = pages.join(QLatin1Char('\n'));
    // The letterhead on the first page only.
    QVERIFY(pages[0].contains("Kindergarten Sonnenschein"));
    QVERIFY(pages[0].contains("Lindenweg 3"));
    QVERIFY(!pages[1].contains("Kindergarten Sonnenschein"));
    // The date, the page number and the child's name on every page.
    for (int p = 0; p < pages.size(); ++p) {
        QVERIFY(pages[p].contains("24.12.2024"));
        QCOMPARE(pageNumberOn(pages[p]), p + 1);
        QVERIFY2(pages[p].contains("äKVor äKNach, Nr. 4711"), qPrintable(pages[p]));
    }
    QVERIFY(all.contains("Auskunft über die gespeicherten Daten"));
    QVERIFY(all.contains(QRegularExpression("äKVor äKNach, Nr. 4711, geboren am äKGeb")));
    // Every field on a line of its own, its caption before its value.
    for (const FieldDef& f : fieldTable()) {
        if (f.type == FieldType::Memo)
            continue;
        const QString value = texts[size_t(&f - fieldTable().data())];
        const QRegularExpression line(
            QStringLiteral("^\\s*%1\\s+%2\\s*$")
                .arg(QRegularExpression::escape(QString::fromUtf8(f.caption)),
                     QRegularExpression::escape(value)),
            QRegularExpression::MultilineOption);
        QVERIFY2(all.contains(line), qPrintable(QStringLiteral("%1: %2").arg(f.name, value)));
    }
    for (const char* title : {"Kind", "Mutter", "Vater", "Geschwister", "Buchung und Beiträge",
                              "1. Geschwisterkind", "3. Geschwisterkind"})
        QVERIFY2(all.contains(QRegularExpression(QStringLiteral("^\\s*%1\\s*$").arg(title),
                                                 QRegularExpression::MultilineOption)),
                 title);
    // The remark line by line, in order, across the page break.
    qsizetype from = 0;
    for (const QString& l : remarkLines) {
        const qsizetype at = all.indexOf(l + QLatin1Char('\n'), from);
        QVERIFY2(at >= 0, qPrintable(l));
        from = at;
    }
}

QTEST_MAIN(TestChildInfo)
#include "tst_childinfo.moc"
