// Table files as they come: the import reads and checks any bytes without failing (decoding,
// separator, rows, every field's check), every row below the header is either accepted or
// refused with a reason and the line it starts on, and a refused file says why. A text read as
// UTF-8 is valid UTF-8, and a file of valid UTF-8 is read as it is. Fields written for a
// spreadsheet are read back exactly as they were, also a text the table export marks against
// formulas (the input's pieces between \x01 bytes are the fields of one row).
#include "csvformat.h"
#include "csvimport.h"

#include <QByteArrayList>
#include <QStringDecoder>

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
    const std::optional<csv::Text> text = csv::decode(bytes, &problem);
    if (text && text->encoding != QLatin1String("UTF-16")) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                      QStringDecoder::Flag::Stateless);
        // The decoder converts when its result is taken as a text.
        [[maybe_unused]] const QString decoded = utf8.decode(text->utf8);
        check(!utf8.hasError(), "decoded text not UTF-8");
        // A file that is valid UTF-8 is read as UTF-8, as it is.
        QStringDecoder input(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                       QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString given = input.decode(bytes);
        check(input.hasError() || (text->encoding == QLatin1String("UTF-8") && text->faults == 0 &&
                                   bytes.endsWith(text->utf8)),
              "valid UTF-8 not taken as it is");
    }
    const qsizetype lines = text ? text->utf8.count('\n') + text->utf8.count('\r') + 1 : 0;
    problem.clear();
    const auto import = csvimport::Import::read(bytes, &problem);
    if (import) {
        check(import->acceptedCount() + import->refused().size() == import->rowCount(),
              "rows neither accepted nor refused");
        int line = 1;
        for (const csvimport::Refusal& r : import->refused()) {
            check(r.row > line && r.row <= lines && !r.reason.isEmpty(),
                  "refusal without its line or reason");
            line = r.row;
        }
        check(import->takenNumbers({}).size() <= import->acceptedCount(), "more taken than read");
        check(import->suspects().size() <= import->suspectCount() &&
                  import->suspectCount() <= import->acceptedCount() * FieldCount,
              "suspects miscounted");
        check(import->ignoredColumns().size() <= csvimport::Import::ListedColumns &&
                  import->ignoredColumns().size() <= import->ignoredCount(),
              "ignored columns miscounted");
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
        const QByteArray marked =
            csv::looksLikeFormula(pieces[i]) ? QByteArray('\'' + pieces[i]) : pieces[i];
        check(csv::withoutFormulaMark(marked) == pieces[i], "formula mark not undone");
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
