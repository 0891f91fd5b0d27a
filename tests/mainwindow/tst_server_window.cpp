// The window on a database server (the throw-away server the test run starts, see
// scripts/pgtest): start with a missing table, signing in with a password, the record commands,
// a search and the information for parents, and a restart under a change, checked against
// another workstation's change.

#include "printtestsupport.h"
#include "testsupport.h"

#include <QFileDialog>
#include <QProcess>
#include <QProcessEnvironment>

#include <libpq-fe.h>

namespace {

using Answer = MessageBoxes::Answer;

// The test server's address, from the folder scripts/pgtest started it in; empty without one.
QString serverAddress() {
    const QString dir =
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("TARVEX_TEST_PG_DIR"));
    QFile file(dir + QStringLiteral("/uri"));
    if (dir.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

// Statements on the server as another program would run them; the first value of a query.
QString onServer(const QString& uri, const QString& sql) {
    PGconn* conn = PQconnectdb(uri.toUtf8().constData());
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    QString value;
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
        value = QString::fromUtf8(PQgetvalue(result, 0, 0));
    else if (PQresultStatus(result) != PGRES_COMMAND_OK &&
             PQresultStatus(result) != PGRES_TUPLES_OK)
        qFatal("%s: %s", qPrintable(sql), PQerrorMessage(conn));
    PQclear(result);
    PQfinish(conn);
    return value;
}

QByteArray settingsFor(const QString& uri) {
    return "[Verweise]\r\nNameDB=" + uri.toUtf8() + "\r\n";
}

} // namespace

class TestServerWindow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void missingTableThenTheRecordCommands();
    void passwordAskedAgainAfterARefusal();
    void unreachableServerIsSaid();
    void survivesAServerRestart();

  private:
    std::unique_ptr<WindowUnderTest> window(const QString& uri);
    void typeInto(QLineEdit* box, const QString& text);

    QString m_uri;
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<WindowUnderTest> w;
};

void TestServerWindow::initTestCase() {
    m_uri = serverAddress();
    if (m_uri.isEmpty())
        QSKIP("Kein Testserver (scripts/pgtest start <Ordner>, TARVEX_TEST_PG_DIR)");
}

void TestServerWindow::init() {
    folder = std::make_unique<ProgramFolder>();
    onServer(m_uri, QStringLiteral("DROP TABLE IF EXISTS Daten"));
}

void TestServerWindow::cleanup() {
    if (w && w->window) {
        w->boxes.answers = {Answer::No};
        w->close();
    }
    w.reset();
    folder.reset();
}

std::unique_ptr<WindowUnderTest> TestServerWindow::window(const QString& uri) {
    folder->write("Tarvex.ini", settingsFor(uri));
    return std::make_unique<WindowUnderTest>(folder->path());
}

// Shows a started window and makes it the active one, as the user has it.
void show(WindowUnderTest& w) {
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QApplication::setActiveWindow(w.window.get());
}

void TestServerWindow::typeInto(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    box->insert(text); // umlauts and ş, which key clicks cannot type
}

void TestServerWindow::missingTableThenTheRecordCommands() {
    w = window(m_uri);
    w->boxes.answers = {Answer::Yes};
    QVERIFY(w->start());
    show(*w);
    QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].contains("gibt es die Tabelle \"Daten\" nicht"), qPrintable(boxes[0]));
    WindowView& m = *w->view;
    QCOMPARE(m.gridModel()->rowCount(), 0);
    // No copies of a file are made of a server's records, and none can be restored.
    QVERIFY(!QDir(folder->file("Sicherungen")).exists());
    QVERIFY(!m.actions.restoreBackup->isEnabled());

    m.actions.newRecord->trigger();
    typeInto(m.txtAngaben[0], "Özdemir");
    typeInto(m.txtAngaben[1], "Ayşe");
    w->boxes.answers = {Answer::Yes};
    m.actions.saveRecord->trigger();
    QCOMPARE(onServer(m_uri, "SELECT KNach || ' ' || KVor || ' ' || KKonf FROM Daten WHERE Nr = 1"),
             QStringLiteral("Özdemir Ayşe o.K."));
    onServer(m_uri, "INSERT INTO Daten (Nr, KNach, KVor) VALUES (2, 'Maier', 'Ben'), "
                    "(3, 'mayer', 'Cem'), (4, 'Zeller', 'Dora')");
    QTest::keyClicks(m.txtSuch[0], "M");
    QCOMPARE(m.column(1), (QStringList{"Maier", "mayer"}));

    // What is stored about a child, read from the server into a PDF file.
    m.clickRow(1);
    const QString pdf = folder->file("auskunft.pdf");
    w->boxes.answer<QFileDialog>(chooseFile(pdf));
    m.actions.childInformation->trigger();
    QVERIFY(pdfPages(pdf).join('\n').contains("mayer"));

    w->boxes.answers = {Answer::Yes};
    m.actions.deleteRecord->trigger();
    QCOMPARE(onServer(m_uri, "SELECT string_agg(Nr::text, ',' ORDER BY Nr) FROM Daten"),
             QStringLiteral("1,2,4"));
}

void TestServerWindow::passwordAskedAgainAfterARefusal() {
    {
        auto maker = window(m_uri);
        maker->boxes.answers = {Answer::Yes};
        QVERIFY(maker->start());
        maker->boxes.answers = {Answer::No};
        maker->close();
    }
    onServer(m_uri, "INSERT INTO Daten (Nr, KNach, KVor) VALUES (7, 'Huber', 'Emil')");
    QString office = m_uri;
    office.replace(QStringLiteral("user=tarvex"), QStringLiteral("user=buero"));

    QStringList prompts;
    QStringList answers{"falsch", "geheim"};
    w = window(office);
    w->boxes.password = [&](const QString& prompt) -> std::optional<QString> {
        prompts << prompt;
        return answers.isEmpty() ? std::nullopt : std::optional<QString>(answers.takeFirst());
    };
    QVERIFY(w->start());
    QCOMPARE(prompts.size(), 2);
    QVERIFY(prompts[0].startsWith("Kennwort für \"buero\"") && !prompts[0].contains("abgelehnt"));
    QVERIFY(prompts[1].contains("abgelehnt") && !prompts[1].contains("geheim"));
    QCOMPARE(w->view->txtAngaben[0]->text(), QStringLiteral("Huber"));
    QCOMPARE(w->takeBoxes(), QStringList());
    // The password is never written into the settings.
    w->close();
    QVERIFY(!folder->read("Tarvex.ini").contains("geheim"));

    // Cancelled: the program ends without a box.
    w = window(office);
    QVERIFY(!w->start());
    QCOMPARE(w->takeBoxes(), QStringList());
}

void TestServerWindow::unreachableServerIsSaid() {
    w = window(QStringLiteral("postgresql:///tarvex?host=/nicht/da&user=tarvex"));
    QVERIFY(!w->start());
    const QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].startsWith("Die Verbindung zum Datenbankserver kann nicht hergestellt"),
             qPrintable(boxes[0]));
}

// The server restarts under a running window (an update, a short outage) while a record is
// being changed: the save says once that the connection broke and keeps the input, the program
// signs in again by itself with the password given at the start, and then the search, the
// shown child and the save work as before, the check against another workstation's change
// included.
void TestServerWindow::survivesAServerRestart() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    {
        auto maker = window(m_uri);
        maker->boxes.answers = {Answer::Yes};
        QVERIFY(maker->start());
        maker->boxes.answers = {Answer::No};
        maker->close();
    }
    onServer(m_uri, "INSERT INTO Daten (Nr, KNach, KVor) VALUES (1, 'Maier', 'Anna'), "
                    "(2, 'Braun', 'Ben'), (3, 'Braun', 'Cem'), (4, 'Zeller', 'Dora')");
    QString office = m_uri;
    office.replace(QStringLiteral("user=tarvex"), QStringLiteral("user=buero"));
    w = window(office);
    w->boxes.password = [](const QString&) {
        return std::optional<QString>(QStringLiteral("geheim"));
    };
    QVERIFY(w->start());
    show(*w);
    WindowView& m = *w->view;
    QTest::keyClicks(m.txtSuch[0], "Br");
    QCOMPARE(m.column(0), (QStringList{"2", "3"}));
    m.clickRow(1);
    QCOMPARE(m.txtAngaben[1]->text(), QStringLiteral("Cem"));
    m.actions.changeRecord->trigger();
    typeInto(m.txtAngaben[8], "Bonn");

    QProcess restart;
    restart.start(env.value(QStringLiteral("TARVEX_PGTEST")),
                  {QStringLiteral("restart"), env.value(QStringLiteral("TARVEX_TEST_PG_DIR"))});
    QVERIFY(restart.waitForFinished(60000) && restart.exitCode() == 0);

    w->boxes.answers = {Answer::Yes};
    m.actions.saveRecord->trigger();
    QStringList boxes = w->takeBoxes();
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(boxes[1].startsWith("Die Verbindung zum Datenbankserver ist unterbrochen") &&
                 boxes[1].contains("nicht gespeichert") && !boxes[1].contains("3260"),
             qPrintable(boxes[1]));
    QVERIFY(m.actions.saveRecord->isEnabled());
    QCOMPARE(m.txtAngaben[8]->text(), QStringLiteral("Bonn"));

    // Back on its own: the same search, the same child, the input still there.
    QTRY_VERIFY_WITH_TIMEOUT(m.kMain->text().isEmpty(), 20000);
    QCOMPARE(m.column(0), (QStringList{"2", "3"}));
    QCOMPARE(m.txtAngaben[8]->text(), QStringLiteral("Bonn"));

    onServer(m_uri, "UPDATE Daten SET KVor = 'Carl' WHERE Nr = 3");
    w->boxes.answers = {Answer::Yes, Answer::Yes};
    m.actions.saveRecord->trigger();
    boxes = w->takeBoxes();
    QVERIFY2(boxes.size() == 2 &&
                 boxes[1].contains("anderen Arbeitsplatz geändert (Vorname (Kind))"),
             qPrintable(boxes.join(" | ")));
    QCOMPARE(onServer(m_uri, "SELECT KVor || ' ' || KOrt FROM Daten WHERE Nr = 3"),
             QStringLiteral("Cem Bonn"));

    QTest::keyClick(m.txtSuch[0], Qt::Key_Backspace);
    QCOMPARE(m.column(0), (QStringList{"2", "3"}));
    QTest::keyClick(m.txtSuch[0], Qt::Key_Backspace);
    QCOMPARE(m.column(0).size(), 4);
    QCOMPARE(w->takeBoxes(), QStringList());
}

QTEST_MAIN(TestServerWindow)
#include "tst_server_window.moc"
