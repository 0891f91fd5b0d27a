#pragma once

#include "messageboxes.h"
#include "tarvexmain.h"

#include <QMap>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// One program folder per test: its own settings file and database.
struct ProgramFolder {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
};

using Record = QMap<QString, QVariant>;

// A record with every text field "-", numbers 0, and the given values over them.
Record childRecord(int nr, const QString& surname, const QString& firstName,
                   const Record& more = {});
// Creates the database file with these records.
void createDatabase(const QString& path, const QList<Record>& records);

// The main window on a program folder, with recorded message boxes.
struct WindowUnderTest {
    RecordingMessageBoxes boxes;
    std::unique_ptr<TarvexMain> window;

    explicit WindowUnderTest(const QString& folder, const QStringList& args = {},
                             bool singleInstance = false, int startScreenMs = 0);
    // Form_Load, and with started true the start screen's tick at once.
    bool start(bool finishStartScreen = true);
    void close();
};
