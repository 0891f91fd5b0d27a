// Table files as they come: the import reads any bytes without failing, every row below the
// header is either accepted or refused with a reason, and a refused file says why. Fields
// written for a spreadsheet are read back exactly as they were (the input's pieces between
// \x01 bytes are the fields of one row).
#include "csvformat.h"
#include "csvimport.h"

#include <QByteArrayList>

#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    QString problem;
    const auto import = csvimport::Import::read(bytes, &problem);
    if (import) {
        check(import->acceptedCount() + import->refused().size() == import->rowCount(),
              "rows neither accepted nor refused");
        for (const csvimport::Refusal& r : import->refused())
            check(r.row >= 2 && !r.reason.isEmpty(), "refusal without row or reason");
        check(import->takenNumbers({}).size() <= import->acceptedCount(), "more taken than read");
    } else {
        check(!problem.isEmpty(), "file refused without a reason");
    }

    const QByteArrayList pieces = bytes.split('\x01');
    if (pieces.size() == 1 && pieces[0].isEmpty())
        return 0; // an empty row is no row
    QByteArray row;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            row += csv::Separator;
        csv::appendField(row, pieces[i]);
    }
    row += csv::RowEnd;
    csv::Reader reader(row, csv::Separator);
    std::vector<csv::Field> fields;
    check(reader.next(fields), "written row not read");
    check(!reader.malformed() && !reader.unterminated(), "written row malformed");
    check(fields.size() == size_t(pieces.size()), "field count changed");
    for (size_t i = 0; i < fields.size(); ++i)
        check(fields[i].text == pieces[qsizetype(i)], "field changed");
    check(!reader.next(fields), "more than one row");
    return 0;
}
