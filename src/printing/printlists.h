#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class Snapshot;

// The three lists of the print dialog: a column list (Nr first), a sort order and whether the
// rows are grouped by KGrp.
struct PrintList {
    const char* title;   // "Namensliste", also the name proposed for its PDF file
    const char* columns; // columns of Daten, separated by ", "
    const char* order;
    bool grouped;
};

const std::array<PrintList, 3>& printLists();

// The field names of a column list, in order.
QStringList listFields(const PrintList& list);

// The heading of a list column: the caption the table view gives the field, or the record
// form's label for a field the table view never shows. The table view's captions come from the
// same field table, so a column is captioned whether or not the table shows it at the moment.
QString listCaption(const QString& field);

// The statement that reads a list's rows. A grouped list reads KGrp as one more column after
// its own, so the group of each row comes with the row.
QString listQuery(const PrintList& list);

// The rows of a list as the page plan reads them.
class ListRows {
  public:
    virtual ~ListRows() = default;
    virtual int rowCount() const = 0;
    // The value of a list column as text; empty for a field without a value.
    virtual QString text(int row, int column) const = 0;
    // The group (KGrp) of a row; empty when the list is not grouped or the field has no value.
    virtual QString group(int row) const = 0;
};

// The rows of a list read by listQuery. listColumns is the number of the list's own columns;
// a further column, when there is one, holds the group.
std::unique_ptr<ListRows> snapshotRows(std::unique_ptr<Snapshot> snapshot, int listColumns);
