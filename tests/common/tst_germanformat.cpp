// German number forms, whatever the machine's locale: what counts as a number (also in the
// settings file, hexadecimal included) and how amounts are written.

#include "germanformat.h"

#include <QtTest>

#include <limits>

class TestGermanFormat : public QObject {
    Q_OBJECT
  private slots:
    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        const std::tuple<const char*, const char*, bool, double> rows[] = {
            {"comma", "2,5", true, 2.5},
            {"point is a decimal point", "1.234", true, 1.234},
            {"blanks and sign", "  -3,25 ", true, -3.25},
            {"plus", "+7", true, 7},
            {"leading comma", ",5", true, 0.5},
            {"trailing comma", "5,", true, 5},
            {"hex upper", "&HFF", true, 255},
            {"hex lower", "&hff", true, 255},
            {"hex mixed digits", "&H1a", true, 26},
            {"two commas", "1,,5", false, 0},
            {"comma and point", "1,5.2", false, 0},
            {"lone comma", ",", false, 0},
            {"sign only", "-", false, 0},
            {"letters", "12a", false, 0},
            {"hex without digits", "&H", false, 0},
            {"hex with a bad digit", "&HFG", false, 0},
            {"thousands blank", "1 000", false, 0},
            {"empty", "", false, 0},
        };
        for (const auto& [name, text, valid, value] : rows)
            QTest::newRow(name) << QString::fromUtf8(text) << valid << value;
    }
    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> parsed = GermanFormat::parseNumber(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    // Whole numbers round half to even, as the old conversions did, within 32 bits.
    void parseWholeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected"); // -1: none
        QTest::newRow("half down to even") << "2,5" << qint64(2);
        QTest::newRow("half up to even") << "3,5" << qint64(4);
        QTest::newRow("negative half") << "-2,5" << qint64(-2);
        QTest::newRow("largest") << "2147483647" << qint64(2147483647);
        QTest::newRow("beyond 32 bits") << "2147483648" << qint64(-1);
        QTest::newRow("no number") << "zwei" << qint64(-1);
    }
    void parseWholeNumber() {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(GermanFormat::parseWholeNumber(text).value_or(-1), expected);
    }

    void formats_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("text");
        QTest::newRow("single comma") << 2.5 << true << "2,5";
        QTest::newRow("single whole") << 3.0 << true << "3";
        QTest::newRow("single seven digits") << 1234567.0 << true << "1234567";
        QTest::newRow("single rounded") << 0.1 << true << "0,1";
        QTest::newRow("negative zero") << -0.0 << true << "0";
        QTest::newRow("double fifteen digits") << 153.00000000000003 << false << "153";
        QTest::newRow("double small") << 0.000125 << false << "0,000125";
        QTest::newRow("double large, no exponent") << 1e20 << false << "100000000000000000000";
        QTest::newRow("double negative") << -12.75 << false << "-12,75";
    }
    void formats() {
        QFETCH(double, value);
        QFETCH(bool, single);
        QFETCH(QString, text);
        QCOMPARE(single ? GermanFormat::formatSingle(float(value))
                        : GermanFormat::formatDouble(value),
                 text);
    }
};

QTEST_APPLESS_MAIN(TestGermanFormat)
#include "tst_germanformat.moc"
