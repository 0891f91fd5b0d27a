#include "keeprule.h"

#include <QTest>

namespace {

QDateTime at(const QString& text) {
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
}

// One copy a day at 07:30 from the first day to the last, both included.
QStringList daily(const QString& first, const QString& last) {
    QStringList times;
    for (QDate d = QDate::fromString(first, Qt::ISODate); d <= QDate::fromString(last, Qt::ISODate);
         d = d.addDays(1))
        times << d.toString(Qt::ISODate) + QStringLiteral(" 07:30");
    return times;
}

} // namespace

class TestKeepRule : public QObject {
    Q_OBJECT
  private slots:
    // Each row: the copies' times (" nicht lesbar" after a copy that cannot be read back), now,
    // and the times that stay.
    void keeps_data() {
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QStringList>("kept");
        const QString now = QStringLiteral("2024-06-20 12:00");
        QTest::newRow("none") << QStringList() << now << QStringList();
        QTest::newRow("a lone old copy stays as a daily copy")
            << QStringList{"2023-06-10 08:00"} << now << QStringList{"2023-06-10 08:00"};
        // 20 days of copies in June, and one in July and one in June of last year: the 14 last
        // days stay, last July is within the twelve months, last June is not.
        QStringList june = daily("2024-06-01", "2024-06-20");
        june << QStringLiteral("2023-07-10 08:00") << QStringLiteral("2023-06-10 08:00");
        QStringList keptJune = daily("2024-06-07", "2024-06-20");
        keptJune << QStringLiteral("2023-07-10 08:00");
        QTest::newRow("a month older than a year goes") << june << now << keptJune;
        QTest::newRow("today every copy stays")
            << QStringList{"2024-06-20 07:00", "2024-06-20 09:00", "2024-06-20 11:59"} << now
            << QStringList{"2024-06-20 07:00", "2024-06-20 09:00", "2024-06-20 11:59"};
        QTest::newRow("an earlier day keeps its newest copy")
            << QStringList{"2024-06-18 07:00", "2024-06-18 17:00", "2024-06-19 07:00"} << now
            << QStringList{"2024-06-18 17:00", "2024-06-19 07:00"};
        QTest::newRow("an earlier day keeps its newest readable copy")
            << QStringList{"2024-06-18 07:00", "2024-06-18 17:00 nicht lesbar", "2024-06-19 07:00",
                           "2024-06-20 08:00 nicht lesbar"}
            << now
            << QStringList{"2024-06-18 07:00", "2024-06-19 07:00", "2024-06-20 08:00 nicht lesbar"};
        // Unreadable copies neither use up one of the 14 days nor stand for their month.
        QStringList damaged = daily("2024-06-06", "2024-06-20");
        damaged.removeOne(QStringLiteral("2024-06-12 07:30"));
        QStringList keptReadable = damaged;
        keptReadable << QStringLiteral("2024-05-20 07:30");
        damaged << QStringLiteral("2024-06-12 07:30 nicht lesbar")
                << QStringLiteral("2024-05-31 07:30 nicht lesbar")
                << QStringLiteral("2024-05-20 07:30") << QStringLiteral("2024-05-19 07:30");
        QTest::newRow("unreadable copies take no day and no month")
            << damaged << now << keptReadable;
        // 30 daily copies: the last 14 days stay, and May keeps its newest.
        QStringList kept = daily("2024-06-07", "2024-06-20");
        kept.prepend(QStringLiteral("2024-05-31 07:30"));
        QTest::newRow("thirty days") << daily("2024-05-22", "2024-06-20") << now << kept;
        // A holiday does not use up the daily copies: 14 days with copies count.
        QStringList beforeHoliday = daily("2024-05-01", "2024-05-20");
        beforeHoliday << QStringLiteral("2024-06-20 07:30");
        QStringList keptAfterHoliday = daily("2024-05-08", "2024-05-20");
        keptAfterHoliday << QStringLiteral("2024-06-20 07:30");
        QTest::newRow("after three weeks away") << beforeHoliday << now << keptAfterHoliday;
        // Two years of copies on the 1st and the 15th: the twelve months up to June keep their
        // newest; the rest goes (the 15th of the months before, and everything older).
        QStringList twoYears;
        QStringList monthly;
        for (QDate d(2022, 7, 1); d <= QDate(2024, 6, 1); d = d.addMonths(1)) {
            twoYears << d.toString(Qt::ISODate) + QStringLiteral(" 07:30")
                     << d.addDays(14).toString(Qt::ISODate) + QStringLiteral(" 07:30");
            if (d >= QDate(2023, 7, 1))
                monthly << d.addDays(14).toString(Qt::ISODate) + QStringLiteral(" 07:30");
        }
        // The last 14 days with copies reach back to the 1st of December.
        QStringList keptTwoYears;
        for (const QString& t : twoYears)
            if (monthly.contains(t) || at(t) >= at("2023-12-01 07:30"))
                keptTwoYears << t;
        QTest::newRow("two years") << twoYears << now << keptTwoYears;
        QTest::newRow("a copy from the future stays")
            << QStringList{"2024-07-30 08:00", "2024-06-20 08:00"} << now
            << QStringList{"2024-07-30 08:00", "2024-06-20 08:00"};
        // Across the turn of the year: in January the twelve months reach back to February.
        QStringList turn = daily("2023-12-20", "2024-01-10");
        turn << QStringLiteral("2023-02-15 08:00") << QStringLiteral("2023-02-10 08:00")
             << QStringLiteral("2023-01-20 08:00");
        QStringList keptTurn = daily("2023-12-28", "2024-01-10");
        keptTurn << QStringLiteral("2023-02-15 08:00");
        QTest::newRow("turn of the year") << turn << QStringLiteral("2024-01-10 12:00") << keptTurn;
    }
    void keeps() {
        QFETCH(QStringList, times);
        QFETCH(QString, now);
        QFETCH(QStringList, kept);
        const QString unreadable = QStringLiteral(" nicht lesbar");
        std::vector<QDateTime> given;
        for (const QString& t : times) {
            const QDateTime time = at(t.endsWith(unreadable) ? t.chopped(unreadable.size()) : t);
            QVERIFY2(time.isValid(), qPrintable(t));
            given.push_back(time);
        }
        const std::vector<bool> keep = backupsToKeep(
            given, at(now), [&](size_t i) { return !times[qsizetype(i)].endsWith(unreadable); });
        QCOMPARE(keep.size(), given.size());
        QStringList actual;
        for (size_t i = 0; i < keep.size(); ++i)
            if (keep[i])
                actual << times[qsizetype(i)];
        actual.sort();
        kept.sort();
        QCOMPARE(actual, kept);
    }

    // The answer follows the order given, whatever it is.
    void orderOfTheTimesDoesNotMatter() {
        const std::vector<QDateTime> times{at("2024-06-18 07:00"), at("2024-06-18 17:00"),
                                           at("2024-06-20 07:00")};
        const std::vector<QDateTime> reversed(times.rbegin(), times.rend());
        const QDateTime now = at("2024-06-20 12:00");
        const std::vector<bool> keep = backupsToKeep(times, now);
        QCOMPARE(keep, (std::vector<bool>{false, true, true}));
        QCOMPARE(backupsToKeep(reversed, now), (std::vector<bool>{true, true, false}));
    }
};

QTEST_GUILESS_MAIN(TestKeepRule)
#include "tst_keeprule.moc"
