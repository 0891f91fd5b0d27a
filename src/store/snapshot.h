#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// A read-only set of rows (a snapshot), read to its end at once so that no read lock stays on
// the file. Cells are kept as UTF-8 in one buffer; QStrings are made only for what is asked.
// A number is kept in its text form: whole numbers in digits, Singles with a decimal comma.
class Snapshot {
  public:
    virtual ~Snapshot() = default;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual int columnIndex(QStringView name) const = 0; // -1 when absent; any case

    virtual int rowCount() const = 0;
    virtual bool isNull(int row, int column) const = 0;
    virtual QByteArrayView utf8(int row, int column) const = 0;
    virtual QString text(int row, int column) const = 0; // empty for Null

    // Row whose column holds the whole number, or -1. Criteria "Nr = 12" are parsed by the
    // caller or by findFirst below.
    virtual int findRow(int column, qint64 value) const = 0;
    // "<field> = <number>": the first matching row, or -1.
    virtual int findFirst(const QString& criteria) const = 0;

    // Bytes held by the rows, for the benchmark's figures.
    virtual qsizetype memoryBytes() const = 0;
};
