#pragma once

#include "recordfields.h"

#include <QString>
#include <QStringView>
#include <QVariant>

#include <array>
#include <memory>

struct sqlite3;

// An updatable record set over whole records of Daten (the dynaset rsDaten). It holds the keys
// of its statement's rows in their order and reads the current row on demand: never all rows'
// columns at once. Every field of Daten can be read, whatever the statement's column list.
// A record added through the set is appended at its end and becomes current; a changed record
// keeps its place; a deleted record leaves the set, and MoveNext/MovePrevious go on from where
// it stood. Records added by other workstations appear when the set is opened again. Moving,
// FindFirst, AddNew and Delete drop a pending Edit or AddNew, as CancelUpdate would.
// Every engine failure is thrown as EngineError.
class RecordSet {
  public:
    virtual ~RecordSet() = default;

    // 0 for an empty set, otherwise the number of rows.
    virtual int recordCount() const = 0;
    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual void movePrevious() = 0;

    // Criteria of the form "<field> = <number>", such as "Nr = 12". Returns whether a row was
    // found (it then becomes current); on a miss the current row stays where it was. Malformed
    // criteria ("Nr = ") are EngineError 3077, an unknown field 3070.
    virtual bool findFirst(const QString& criteria) = 0;

    // Field of the current row by name (any case): an invalid QVariant for Null; qint64 for
    // Long and Integer, double for Single, QString for Text and Memo. A removed current row
    // (another workstation deleted it) or no current row at all is EngineError 3021.
    virtual QVariant field(QStringView name) const = 0;
    // Every field of the current row at once, in the field table's order, read in one step so
    // that a change made meanwhile by another workstation never mixes two states of the record.
    // Between edit()/addNew() and update() the record being changed. Errors as field().
    virtual std::array<QVariant, FieldCount> values() const = 0;
    // Assigns a field between addNew()/edit() and update(). A text is converted to the column's
    // type ("2,5" -> 2.5, digits to whole numbers); a text that cannot be converted is
    // EngineError 3421. An invalid QVariant assigns Null.
    virtual void setField(QStringView name, const QVariant& value) = 0;

    // AddNew and Edit start a change; Update stores it. Edit takes the write lock at once
    // (another workstation's lock: EngineError 3260); Update releases it whether or not it
    // succeeds; a refused Update (duplicate Nr, too long a text, an empty text, a number out of
    // range) is EngineError with the reason: for a value, the record check's message, which
    // names the field by its label. Every value is checked before anything is written.
    // CancelUpdate drops the change.
    virtual void addNew() = 0;
    virtual void edit() = 0;
    virtual void update() = 0;
    virtual void cancelUpdate() = 0;
    // Removes the current row.
    virtual void deleteCurrent() = 0;

    virtual void close() = 0;
};
