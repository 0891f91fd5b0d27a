// The sign-in to the database server without a server: the engine's answers are scripted.

#include "engineerror.h"
#include "recordingmessageboxes.h"
#include "serversignin.h"

#include <QTest>

class TestServerSignIn : public QObject {
    Q_OBJECT
  private slots:
    // The engine's refusals in order (0: opened), the user's passwords (none: cancelled) and
    // answers; what was tried and asked.
    void signIn_data() {
        QTest::addColumn<QList<int>>("refusals");
        QTest::addColumn<QStringList>("passwords");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QStringList>("tried");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<int>("tablesMade");
        using namespace ErrorNumber;
        QTest::newRow("asked again after a refusal")
            << QList<int>{PasswordNeeded, LoginRefused, 0} << QStringList{"falsch", "richtig"}
            << true << QStringList{"", "falsch", "richtig"} << 2 << 0;
        QTest::newRow("cancelled")
            << QList<int>{PasswordNeeded} << QStringList{} << false << QStringList{""} << 1 << 0;
        QTest::newRow("missing table made") << QList<int>{TableNotFound, 0} << QStringList{} << true
                                            << QStringList{"", ""} << 0 << 1;
        QTest::newRow("unreachable")
            << QList<int>{CannotOpen} << QStringList{} << false << QStringList{""} << 0 << 0;
    }
    void signIn() {
        QFETCH(QList<int>, refusals);
        QFETCH(QStringList, passwords);
        QFETCH(bool, opened);
        QFETCH(QStringList, tried);
        QFETCH(int, prompts);
        QFETCH(int, tablesMade);
        RecordingMessageBoxes boxes;
        QStringList asked;
        boxes.password = [&](const QString& prompt) -> std::optional<QString> {
            asked << prompt;
            if (passwords.isEmpty())
                return std::nullopt;
            return passwords.takeFirst();
        };
        QStringList triedWith;
        int made = 0;
        const QString address = QStringLiteral("postgresql://kita@server/tarvex");
        const bool result = ServerSignIn(boxes).open(
            address,
            [&](const QString& password) {
                triedWith << password;
                if (const int refusal = refusals.takeFirst())
                    throw EngineError(refusal, QStringLiteral("verweigert"));
            },
            [&](const QString&) { ++made; });
        QCOMPARE(result, opened);
        QCOMPARE(triedWith, tried);
        QCOMPARE(asked.size(), prompts);
        QCOMPARE(made, tablesMade);
        if (prompts > 1) {
            // The second question says that the server refused the first password.
            QVERIFY(!asked[0].contains(QStringLiteral("abgelehnt")));
            QVERIFY(asked[1].startsWith(QStringLiteral("Der Datenbankserver hat die Anmeldung")));
            QVERIFY(
                asked[1].contains(QStringLiteral("\"kita\" (Datenbank \"tarvex\" auf server)")));
        }
    }

    void otherFailuresAreThrownOn() {
        RecordingMessageBoxes boxes;
        QVERIFY_THROWS_EXCEPTION(
            EngineError,
            ServerSignIn(boxes).open(
                QStringLiteral("postgresql:///tarvex"),
                [](const QString&) { throw EngineError(ErrorNumber::RecordLocked, {}); },
                [](const QString&) {}));
        QVERIFY(boxes.shown.empty());
    }
};

QTEST_MAIN(TestServerSignIn)
#include "tst_serversignin.moc"
