#include "csvimport.h"

#include "database.h"
#include "engineerror.h"
#include "germanformat.h"
#include "recordcheck.h"

#include <algorithm>
#include <charconv>

namespace csvimport {

namespace {

constexpr int ProgressEvery = 1000;
const int kNr = fieldIndex(u"Nr");

// The plain forms most numbers come in: an optional minus, digits, at most one decimal comma or
// point. Anything else (blanks, "+", "&H") goes the slow way through the program's one
// definition of a number.
std::optional<double> plainNumber(QByteArrayView text) {
    char buffer[64];
    if (text.isEmpty() || text.size() >= qsizetype(sizeof buffer))
        return std::nullopt;
    int marks = 0, digits = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if ((c == ',' || c == '.') && ++marks == 1)
            ;
        else if (!(c == '-' && i == 0))
            return std::nullopt;
        buffer[i] = c == ',' ? '.' : c;
    }
    if (digits == 0)
        return std::nullopt;
    double value = 0;
    const auto read = std::from_chars(buffer, buffer + text.size(), value);
    if (read.ec != std::errc() || read.ptr != buffer + text.size())
        return std::nullopt;
    return value;
}

// One field's value as a save of a new record would store it, or why it cannot be stored.
std::optional<QString> convertField(int field, const csv::Field* cell, RawValue& value) {
    const FieldDef& def = fieldTable()[size_t(field)];
    if (cell && !cell->quoted && cell->text.isEmpty() && field != kNr) {
        value = RawValue();
        return std::nullopt;
    }
    QByteArrayView text = cell ? cell->text : QByteArrayView();
    if (field != kNr && (text.isEmpty() || text == "-"))
        if (const char* placeholder = savedPlaceholder(field, text.isEmpty() ? u"" : u"-"))
            text = placeholder;
    if (isTextType(def.type)) {
        if (std::optional<ValueProblem> problem = textProblem(field, text))
            return problem->message;
        value = RawValue::fromText(text);
        return std::nullopt;
    }
    std::optional<double> number = plainNumber(text);
    if (!number) {
        const QString shown = QString::fromUtf8(text);
        if (const std::optional<QString> problem = fieldProblem(field, shown))
            return problem;
        number = GermanFormat::parseNumber(shown);
    }
    if (!fitsColumn(def.type, *number))
        return numberProblem(field, *number, QString::fromUtf8(text))->message;
    value = def.type == FieldType::Single ? RawValue::fromReal(double(float(*number)))
                                          : RawValue::fromWhole(qint64(*number));
    return std::nullopt;
}

// A row of the file as a record, or the first reason a save would refuse it.
std::optional<QString> convertRow(const std::vector<csv::Field>& fields,
                                  const std::array<int, FieldCount>& columns, RawRecord& record) {
    for (int i = 0; i < FieldCount; ++i) {
        const int column = columns[size_t(i)];
        const csv::Field* cell = column >= 0 ? &fields[size_t(column)] : nullptr;
        if (std::optional<QString> problem = convertField(i, cell, record[size_t(i)]))
            return problem;
    }
    return std::nullopt;
}

bool blankRow(const std::vector<csv::Field>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const csv::Field& f) { return !f.quoted && f.text.trimmed().isEmpty(); });
}

// The field a heading names: a field name, or a caption of the window's table; -1 for none.
int fieldOfHeading(const QString& heading) {
    const QString name = heading.trimmed();
    const int field = fieldIndex(name);
    if (field >= 0)
        return field;
    for (int i = 0; i < FieldCount; ++i) {
        const char* caption = fieldTable()[size_t(i)].tableCaption;
        if (caption && name.compare(QString::fromUtf8(caption), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool looksLikeDatabaseFile(const QByteArray& bytes) {
    return bytes.startsWith("SQLite format 3") || bytes.mid(4, 15) == "Standard Jet DB" ||
           bytes.mid(4, 15) == "Standard ACE DB";
}

// Hands the accepted rows to the database with the numbers settled under its write lock.
class Feed : public RecordFeed {
  public:
    Feed(const Progress& progress,
         std::function<std::vector<std::optional<qint64>>(const QSet<qint64>&)> numbering,
         std::function<bool(int, std::vector<csv::Field>&, RawRecord&)> row)
        : m_progress(progress), m_numbering(std::move(numbering)), m_row(std::move(row)) {}

    void start(const QSet<qint64>& stored) override {
        m_numbers = m_numbering(stored);
        m_total = std::count_if(m_numbers.begin(), m_numbers.end(),
                                [](const std::optional<qint64>& n) { return n.has_value(); });
    }
    bool next(RawRecord& record) override {
        while (m_next < m_numbers.size() && !m_numbers[m_next])
            ++m_next;
        if (m_next >= m_numbers.size())
            return false;
        if (!m_row(int(m_next), m_fields, record))
            throw EngineError(ErrorNumber::ConversionFailed,
                              QStringLiteral("Die Datei hat sich beim Lesen verändert."));
        record[size_t(kNr)] = RawValue::fromWhole(*m_numbers[m_next]);
        ++m_next;
        return true;
    }
    bool progress(int written) override { return !m_progress || m_progress(written, m_total); }

  private:
    const Progress& m_progress;
    std::function<std::vector<std::optional<qint64>>(const QSet<qint64>&)> m_numbering;
    std::function<bool(int, std::vector<csv::Field>&, RawRecord&)> m_row;
    std::vector<std::optional<qint64>> m_numbers;
    std::vector<csv::Field> m_fields;
    size_t m_next = 0;
    qint64 m_total = 0;
};

} // namespace

std::unique_ptr<Import> Import::read(const QByteArray& bytes, QString* problem,
                                     const Progress& progress) {
    auto refuse = [problem](const QString& why) -> std::unique_ptr<Import> {
        if (problem)
            *problem = why;
        return nullptr;
    };
    if (problem)
        problem->clear();
    if (looksLikeDatabaseFile(bytes))
        return refuse(QStringLiteral(
            "Die Datei ist eine Datenbankdatei, keine CSV-Datei. Eine alte Datenbankdatei "
            "(TarvexDB.mdb) wird zuerst mit dem Befehl\r mdb-export TarvexDB.mdb Daten > "
            "kinder.csv\rin eine CSV-Datei umgewandelt, die sich dann importieren lässt."));
    QString why;
    std::optional<csv::Text> text = csv::decode(bytes, &why);
    if (!text)
        return refuse(why + QStringLiteral(" Importiert werden können CSV-Dateien mit einer "
                                           "Kopfzeile aus Feldnamen."));

    auto import = std::unique_ptr<Import>(new Import);
    import->m_text = std::move(text->utf8);
    import->m_encoding = text->encoding;
    import->m_separator = csv::detectSeparator(import->m_text);
    csv::Reader reader(import->m_text, import->m_separator);
    std::vector<csv::Field> fields;
    if (!reader.next(fields))
        return refuse(QStringLiteral("Die Datei ist leer."));

    // The header: which column holds which field.
    import->m_columns.fill(-1);
    import->m_columnCount = int(fields.size());
    for (int c = 0; c < int(fields.size()); ++c) {
        const QString heading = QString::fromUtf8(fields[size_t(c)].text);
        const int field = fieldOfHeading(heading);
        if (field < 0) {
            import->m_ignored << heading.trimmed();
            continue;
        }
        if (import->m_columns[size_t(field)] >= 0)
            return refuse(QStringLiteral("In der ersten Zeile steht die Spalte \"%1\" zweimal; "
                                         "so ist nicht klar, welche gilt.")
                              .arg(QLatin1String(fieldTable()[size_t(field)].name)));
        import->m_columns[size_t(field)] = c;
    }
    if (import->m_columns[size_t(kNr)] < 0)
        return refuse(QStringLiteral("In der ersten Zeile der Datei fehlt die Spalte \"Nr\". Die "
                                     "Datei ist keine Tabelle mit Kinderdaten: Importiert werden "
                                     "können CSV-Dateien, deren erste Zeile die Feldnamen "
                                     "enthält (Nr, KNach, KVor, ...)."));
    for (int i = 0; i < FieldCount; ++i)
        if (import->m_columns[size_t(i)] < 0)
            import->m_missing << QLatin1String(fieldTable()[size_t(i)].name);

    // The rows, each checked as a save of a new record would check it.
    RawRecord record;
    int row = 1;
    qsizetype position = reader.position();
    while (reader.next(fields)) {
        ++row;
        const qsizetype start = position;
        position = reader.position();
        if (row % ProgressEvery == 0 && progress && !progress(position, reader.size()))
            return refuse(QString());
        if (blankRow(fields)) {
            --row;
            continue;
        }
        ++import->m_rowCount;
        const int nrColumn = import->m_columns[size_t(kNr)];
        const QString nr = nrColumn < int(fields.size())
                               ? QString::fromUtf8(fields[size_t(nrColumn)].text).trimmed()
                               : QString();
        if (reader.malformed()) {
            import->m_refused << Refusal{row, nr,
                                         QStringLiteral("Ein Anführungszeichen steht an falscher "
                                                        "Stelle; die Zeile ist nicht sicher "
                                                        "lesbar.")};
            continue;
        }
        if (int(fields.size()) != import->m_columnCount) {
            import->m_refused << Refusal{row, nr,
                                         QStringLiteral("Die Zeile hat %1 Felder, die erste "
                                                        "Zeile aber %2.")
                                             .arg(fields.size())
                                             .arg(import->m_columnCount)};
            continue;
        }
        if (std::optional<QString> reason = convertRow(fields, import->m_columns, record)) {
            import->m_refused << Refusal{row, nr, *reason};
            continue;
        }
        import->m_rows.push_back(Row{start, record[size_t(kNr)].whole});
    }
    if (reader.unterminated())
        return refuse(QStringLiteral("Die Datei endet mitten in einem Feld in "
                                     "Anführungszeichen (Zeile %1); sie ist unvollständig oder "
                                     "keine CSV-Datei.")
                          .arg(row));
    if (progress && !progress(reader.size(), reader.size()))
        return refuse(QString());
    return import;
}

std::vector<std::optional<qint64>> Import::numbering(const QSet<qint64>& stored,
                                                     Clash clash) const {
    qint64 highest = 0;
    for (qint64 nr : stored)
        highest = std::max(highest, nr);
    for (const Row& row : m_rows)
        highest = std::max(highest, row.nr);
    QSet<qint64> seen = stored;
    std::vector<std::optional<qint64>> numbers;
    numbers.reserve(m_rows.size());
    qint64 next = highest + 1;
    for (const Row& row : m_rows) {
        if (!seen.contains(row.nr)) {
            seen.insert(row.nr);
            numbers.push_back(row.nr);
        } else if (clash == Clash::Skip) {
            numbers.push_back(std::nullopt);
        } else {
            if (!fitsColumn(fieldDef(kNr).type, double(next)))
                throw EngineError(ErrorNumber::NumericOverflow,
                                  QStringLiteral("Für die Datensätze, deren Nummer schon "
                                                 "vergeben ist, ist keine freie Nummer mehr "
                                                 "übrig (höchstens %1).")
                                      .arg(qint64(valueRange(fieldDef(kNr).type).highest)));
            numbers.push_back(next++);
        }
    }
    return numbers;
}

QList<qint64> Import::takenNumbers(const QSet<qint64>& stored) const {
    const std::vector<std::optional<qint64>> numbers = numbering(stored, Clash::Skip);
    QList<qint64> taken;
    for (size_t i = 0; i < numbers.size(); ++i)
        if (!numbers[i])
            taken << m_rows[i].nr;
    return taken;
}

int Import::addedCount(const QSet<qint64>& stored, Clash clash) const {
    if (clash == Clash::Renumber)
        return acceptedCount();
    return acceptedCount() - int(takenNumbers(stored).size());
}

std::optional<int> Import::store(Database& db, Clash clash, const Progress& progress) const {
    csv::Reader reader(m_text, m_separator);
    Feed feed(
        progress, [this, clash](const QSet<qint64>& stored) { return numbering(stored, clash); },
        [this, &reader](int index, std::vector<csv::Field>& fields, RawRecord& record) {
            reader.seek(m_rows[size_t(index)].position);
            return reader.next(fields) && !convertRow(fields, m_columns, record);
        });
    return db.addRecords(feed);
}

QSet<qint64> storedNumbers(Database& db) {
    const std::unique_ptr<Snapshot> numbers =
        db.openSnapshot(QStringLiteral("SELECT Nr FROM Daten"));
    QSet<qint64> stored;
    stored.reserve(numbers->rowCount());
    for (int row = 0; row < numbers->rowCount(); ++row)
        stored.insert(numbers->text(row, 0).toLongLong());
    return stored;
}

} // namespace csvimport
