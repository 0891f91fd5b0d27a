#include "testsupport.h"

#include "database.h"
#include "fieldtable.h"

#include <QFile>
#include <QTest>

QByteArray ProgramFolder::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void ProgramFolder::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file");
    f.write(bytes);
}

Record childRecord(int nr, const QString& surname, const QString& firstName, const Record& more) {
    Record r;
    for (const FieldDef& f : fieldTable()) {
        QString name = QString::fromLatin1(f.name);
        if (isTextType(f.type))
            r[name] = QStringLiteral("-");
        else
            r[name] = 0;
    }
    r[QStringLiteral("Nr")] = nr;
    r[QStringLiteral("KNach")] = surname;
    r[QStringLiteral("KVor")] = firstName;
    r[QStringLiteral("KEssen")] = QStringLiteral("nein");
    for (auto it = more.begin(); it != more.end(); ++it)
        r[it.key()] = it.value();
    return r;
}

void createDatabase(const QString& path, const QList<Record>& records) {
    Database::createEmpty(path);
    auto db = Database::open(path);
    auto rs = db->openDynaset(QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC, KNach  ASC"));
    for (const Record& r : records) {
        rs->addNew();
        for (auto it = r.begin(); it != r.end(); ++it)
            rs->setField(it.key(), it.value());
        rs->update();
    }
    rs->close();
}

WindowUnderTest::WindowUnderTest(const QString& folder, const QStringList& args,
                                 bool singleInstance, int startScreenMs) {
    TarvexMain::Options o;
    o.programFolder = folder;
    o.arguments = args;
    o.boxes = &boxes;
    o.singleInstance = singleInstance;
    o.startScreenMs = startScreenMs;
    window = std::make_unique<TarvexMain>(o);
}

bool WindowUnderTest::start(bool finishStartScreen) {
    if (!window->Form_Load())
        return false;
    if (finishStartScreen)
        window->Timer1_Timer();
    return true;
}

void WindowUnderTest::close() {
    window->close();
}
