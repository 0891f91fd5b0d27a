#include "csvexport.h"

#include "csvformat.h"
#include "database.h"
#include "privatefile.h"
#include "snapshot.h"

#include <QSaveFile>

namespace csvexport {

namespace {

// Rows are gathered and written in pieces of about this size, so neither a large table sits
// in memory twice nor every row costs a write.
constexpr qsizetype ChunkBytes = 1 << 20;
constexpr qint64 ProgressEvery = 500;

// Collects rows and hands them to the device piece by piece.
class Output {
  public:
    Output(QIODevice& device, const Progress& progress, qint64 total)
        : m_device(device), m_progress(progress), m_total(total) {
        m_chunk.reserve(ChunkBytes + 64 * 1024);
        m_chunk.append(csv::ByteOrderMark);
    }
    QByteArray& row() { return m_chunk; }
    // Ends a row; false when the export must stop (cancelled or the device refused).
    bool endRow(bool header = false) {
        m_chunk.append(csv::RowEnd);
        if (!header)
            ++m_done;
        if (m_chunk.size() >= ChunkBytes && !flush())
            return false;
        if (!header && m_done % ProgressEvery == 0 && !tick())
            return false;
        return true;
    }
    Result finish() {
        if (m_result != Result::Done)
            return m_result;
        if (!flush())
            return m_result;
        if (!tick())
            return Result::Cancelled;
        return Result::Done;
    }
    Result result() const { return m_result; }

  private:
    bool flush() {
        if (m_device.write(m_chunk) != m_chunk.size()) {
            m_result = Result::Failed;
            return false;
        }
        m_chunk.clear();
        return true;
    }
    bool tick() {
        if (m_progress && !m_progress(m_done, m_total)) {
            m_result = Result::Cancelled;
            return false;
        }
        return true;
    }

    QIODevice& m_device;
    const Progress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
    QByteArray m_chunk;
    Result m_result = Result::Done;
};

void appendRaw(QByteArray& out, const RawValue& value) {
    switch (value.kind) {
    case RawValue::Kind::Null:
        break;
    case RawValue::Kind::Whole:
        csv::appendWhole(out, value.whole);
        break;
    case RawValue::Kind::Real:
        csv::appendReal(out, value.real);
        break;
    case RawValue::Kind::Text:
        csv::appendField(out, value.text);
        break;
    }
}

template <typename Write> Result toFile(const QString& path, Write write) {
    QSaveFile file(path);
    if (!openPrivateFile(file))
        return Result::Failed;
    const Result result = write(file);
    if (result != Result::Done) {
        file.cancelWriting();
        return result;
    }
    return file.commit() ? Result::Done : Result::Failed;
}

} // namespace

Result writeAll(Database& db, QIODevice& out, const Progress& progress) {
    if (progress && !progress(0, 0))
        return Result::Cancelled;
    Output output(out, progress, db.recordCount());
    QByteArray& row = output.row();
    for (int i = 0; i < FieldCount; ++i) {
        if (i > 0)
            row += csv::Separator;
        csv::appendField(row, fieldTable()[size_t(i)].name);
    }
    if (!output.endRow(true))
        return output.result();
    db.readAll([&output](const RawRecord& record) {
        QByteArray& line = output.row();
        for (int i = 0; i < FieldCount; ++i) {
            if (i > 0)
                line += csv::Separator;
            appendRaw(line, record[size_t(i)]);
        }
        return output.endRow();
    });
    return output.finish();
}

Result writeTable(const Snapshot& rows, const QStringList& captions, QIODevice& out,
                  const Progress& progress) {
    Output output(out, progress, rows.rowCount());
    QByteArray& row = output.row();
    const int columns = rows.columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            row += csv::Separator;
        csv::appendField(row, c < captions.size() ? captions[c].toUtf8() : QByteArray());
    }
    if (!output.endRow(true))
        return output.result();
    // A text a spreadsheet would take for a formula gets an apostrophe in front, in text columns
    // only: a number column may well hold "-5".
    std::vector<bool> textColumn(size_t(columns), false);
    for (int c = 0; c < columns; ++c) {
        const FieldDef* field = findField(rows.columnName(c));
        textColumn[size_t(c)] = field && isTextType(field->type);
    }
    QByteArray protectedText;
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                row += csv::Separator;
            const QByteArrayView text = rows.utf8(r, c);
            if (textColumn[size_t(c)] && csv::looksLikeFormula(text)) {
                protectedText = '\'' + text.toByteArray();
                csv::appendField(row, protectedText);
            } else {
                csv::appendField(row, text);
            }
        }
        if (!output.endRow())
            return output.result();
    }
    return output.finish();
}

Result saveAll(Database& db, const QString& path, const Progress& progress) {
    return toFile(path, [&](QIODevice& file) { return writeAll(db, file, progress); });
}

Result saveTable(const Snapshot& rows, const QStringList& captions, const QString& path,
                 const Progress& progress) {
    return toFile(path,
                  [&](QIODevice& file) { return writeTable(rows, captions, file, progress); });
}

} // namespace csvexport
