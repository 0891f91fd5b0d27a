#pragma once

#include "commandcontext.h"

#include <QObject>

#include <functional>

namespace csvexport {
enum class Result;
}
class ListProgress;
class RecordTable;

// Tables for spreadsheets: the table as shown and all records written to a CSV file, and records
// added from such a file after its preview.
class TransferCommands : public QObject {
    Q_OBJECT
  public:
    TransferCommands(const CommandContext& context, const RecordTable& table,
                     QObject* parent = nullptr);

    void exportTable();
    void exportAll();
    void importRecords();

  signals:
    // Records were added: the table is read anew, the record shown stays shown.
    void imported();
    void statusMessage(const QString& text);

  private:
    // Asks for the file and writes it with write, showing the progress over rows; says what
    // went wrong.
    void exportTo(const QString& title, const QString& fileName,
                  const std::function<csvexport::Result(const QString&, ListProgress&)>& write,
                  qint64 rows);

    CommandContext m_context;
    const RecordTable& m_table;
};
