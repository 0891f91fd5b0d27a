#include "csvimport.h"

#include "database.h"
#include "engineerror.h"
#include "germanformat.h"
#include "recordcheck.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace csvimport {

namespace {

constexpr int ProgressEvery = 1000;
const int kNr = fieldIndex(u"Nr");

// A number as a table file holds it: an optional minus, digits, and at most one decimal mark
// followed by digits. Nothing else: no blanks, no "+", no thousands points ("1.000" is a
// thousand to a German reader, never 1), no "&H". Where the mark is a point, as mdb-export
// writes numbers, an exponent may follow ("8.5000000e-01"): older versions of it write every
// real number so, newer ones very large and very small ones. A number beyond what a double holds
// is given as infinity (or zero, for one too close to it), which no column takes.
std::optional<double> fileNumber(QByteArrayView text, char decimalMark) {
    const qsizetype size = text.size();
    auto digits = [&text, size](qsizetype& i) {
        const qsizetype start = i;
        while (i < size && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i > start;
    };
    qsizetype i = text.startsWith('-') ? 1 : 0;
    if (!digits(i))
        return std::nullopt;
    const qsizetype wholeEnd = i;
    if (i < size && text[i] == decimalMark && !digits(++i))
        return std::nullopt;
    const qsizetype mantissaEnd = i;
    qsizetype exponentStart = size;
    if (decimalMark == '.' && i < size && (text[i] == 'e' || text[i] == 'E')) {
        exponentStart = ++i;
        if (i < size && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (!digits(i))
            return std::nullopt;
    }
    if (i < size)
        return std::nullopt;
    std::string number(text.data(), size_t(size));
    std::replace(number.begin(), number.end(), decimalMark, '.');
    double value = 0;
    const auto read = std::from_chars(number.data(), number.data() + number.size(), value);
    if (read.ec == std::errc::result_out_of_range) {
        // Too large or too close to zero: the place of the first digit that is not 0 tells.
        const QByteArrayView mantissa = text.first(mantissaEnd);
        const qsizetype first = std::find_if(mantissa.begin(), mantissa.end(),
                                             [](char c) { return c >= '1' && c <= '9'; }) -
                                mantissa.begin();
        qint64 place = first < wholeEnd ? wholeEnd - first : wholeEnd - first + 1;
        if (exponentStart < size) {
            const bool negative = text[exponentStart] == '-';
            const char* from = text.data() + exponentStart + (text[exponentStart] == '+');
            qint64 exponent = 0;
            if (std::from_chars(from, text.data() + size, exponent).ec != std::errc())
                exponent = negative ? -(qint64(1) << 40) : qint64(1) << 40; // beyond any place
            place += exponent;
        }
        value = std::copysign(place > 0 ? HUGE_VAL : 0.0, text.startsWith('-') ? -1.0 : 1.0);
    }
    return value;
}

// One field's value as a save of a new record would store it, or why it cannot be stored.
std::optional<QString> convertField(int field, const csv::Field* cell, const Layout& layout,
                                    RawValue& value) {
    const FieldDef& def = fieldTable()[size_t(field)];
    if (cell && !cell->quoted && cell->text.isEmpty() && field != kNr) {
        value = RawValue();
        return std::nullopt;
    }
    QByteArrayView text = cell ? cell->text : QByteArrayView();
    if (csv::isBinary(text))
        return QStringLiteral("In der Spalte \"%1\" stehen Binärdaten (etwa ein Bild aus einer "
                              "alten Datenbank), kein Text. mdb-export lässt sie mit der Angabe "
                              "\"-b strip\" weg: mdb-export -b strip TarvexDB.mdb Daten > "
                              "kinder.csv")
            .arg(layout.headings[size_t(field)]);
    if (layout.faults && text.contains(csv::ReplacementCharacter))
        return QStringLiteral("In der Spalte \"%1\" stehen Zeichen, die sich nicht lesen lassen "
                              "(die Datei ist in UTF-8 geschrieben, diese Bytes aber nicht). "
                              "Damit kein falscher Text gespeichert wird, wird die Zeile nicht "
                              "übernommen; bitte berichtigen Sie sie in der Datei.")
            .arg(layout.headings[size_t(field)]);
    if (isTextType(def.type) && layout.captioned[size_t(field)])
        text = csv::withoutFormulaMark(text);
    if (field != kNr && (text.isEmpty() || text == "-"))
        if (const char* placeholder = savedPlaceholder(field, text.isEmpty() ? u"" : u"-"))
            text = placeholder;
    if (isTextType(def.type)) {
        if (std::optional<ValueProblem> problem = textProblem(field, text))
            return problem->message;
        value = RawValue::fromText(text);
        return std::nullopt;
    }
    const QString shown = QString::fromUtf8(text);
    if (text.isEmpty())
        return fieldProblem(field, shown);
    const std::optional<double> number = fileNumber(text, layout.decimalMark);
    if (!number) {
        QString message = notANumberProblem(field, shown).message;
        if (layout.decimalMark == '.' && def.type == FieldType::Single)
            message += QStringLiteral(" In dieser Datei stehen Dezimalzahlen mit Punkt statt "
                                      "Komma, zum Beispiel 2.5.");
        return message;
    }
    if (std::optional<ValueProblem> problem = numberProblem(field, *number, shown))
        return problem->message;
    value = def.type == FieldType::Single ? RawValue::fromReal(double(float(*number)))
                                          : RawValue::fromWhole(qint64(*number));
    return std::nullopt;
}

// A row of the file as a record, or the first reason a save would refuse it.
std::optional<QString> convertRow(const std::vector<csv::Field>& fields, const Layout& layout,
                                  RawRecord& record) {
    for (int i = 0; i < FieldCount; ++i) {
        const int column = layout.columns[size_t(i)];
        const csv::Field* cell = column >= 0 ? &fields[size_t(column)] : nullptr;
        if (std::optional<QString> problem = convertField(i, cell, layout, record[size_t(i)]))
            return problem;
    }
    return std::nullopt;
}

// Whether a stored value looks like a number a spreadsheet read from a text, dropping its
// leading zeros.
bool lostLeadingZeros(int field, QByteArrayView value) {
    if (value.isEmpty() ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const FieldDef& def = fieldDef(field);
    const QByteArrayView caption(def.caption);
    if (caption == "PLZ")
        return value.size() == 4; // a German postcode has five digits
    if (caption.startsWith("Telefon"))
        return value.front() != '0' && value.size() >= 9; // an area code starts with 0
    if (field == fieldIndex(u"KPKNr"))
        return value.size() < qsizetype(std::strlen(def.placeholder));
    return false;
}

bool blankRow(const std::vector<csv::Field>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const csv::Field& f) { return !f.quoted && f.text.trimmed().isEmpty(); });
}

// The field a heading names: a field name, or a caption of the window's table (captioned then
// says so); -1 for none.
int fieldOfHeading(const QString& heading, bool* captioned) {
    static const QStringList captions = [] {
        QStringList list;
        for (const FieldDef& f : fieldTable())
            list << (f.tableCaption ? QString::fromUtf8(f.tableCaption) : QString());
        return list;
    }();
    const QString name = heading.trimmed();
    *captioned = false;
    const int field = fieldIndex(name);
    if (field >= 0)
        return field;
    for (int i = 0; i < FieldCount; ++i)
        if (!captions[i].isEmpty() && name.compare(captions[i], Qt::CaseInsensitive) == 0) {
            *captioned = true;
            return i;
        }
    return -1;
}

// Line breaks in text from..to: CR LF, LF or CR each end one line.
int lineBreaks(QByteArrayView text, qsizetype from, qsizetype to) {
    int breaks = 0;
    for (qsizetype i = from; i < to; ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++breaks;
    return breaks;
}

// The decimal mark of a file's numbers: a point only in a file separated by commas, as
// mdb-export writes, in whose number columns no value holds a comma.
char decimalMarkOf(QByteArrayView text, char separator, qsizetype firstRow,
                   const std::array<int, FieldCount>& columns) {
    if (separator != ',')
        return ',';
    std::vector<int> numberColumns;
    for (int i = 0; i < FieldCount; ++i)
        if (columns[size_t(i)] >= 0 && !isTextType(fieldDef(i).type))
            numberColumns.push_back(columns[size_t(i)]);
    csv::Reader reader(text, separator);
    reader.seek(firstRow);
    std::vector<csv::Field> fields;
    while (reader.next(fields))
        for (int column : numberColumns)
            if (size_t(column) < fields.size() && fields[size_t(column)].text.contains(','))
                return ',';
    return '.';
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
    import->m_faults = text->faults;
    import->m_separator = csv::detectSeparator(import->m_text);
    Layout& layout = import->m_layout;
    layout.faults = text->faults > 0;
    csv::Reader reader(import->m_text, import->m_separator);
    std::vector<csv::Field> fields;
    if (!reader.next(fields))
        return refuse(QStringLiteral("Die Datei ist leer."));

    // The header: which column holds which field.
    layout.columns.fill(-1);
    import->m_columnCount = int(fields.size());
    for (int c = 0; c < int(fields.size()); ++c) {
        const QString heading = QString::fromUtf8(fields[size_t(c)].text);
        bool captioned = false;
        const int field = fieldOfHeading(heading, &captioned);
        if (field < 0) {
            if (import->m_ignoredCount++ < ListedColumns)
                import->m_ignored << heading.trimmed();
            continue;
        }
        if (layout.columns[size_t(field)] >= 0)
            return refuse(QStringLiteral("In der ersten Zeile steht die Spalte \"%1\" zweimal; "
                                         "so ist nicht klar, welche gilt.")
                              .arg(QLatin1String(fieldTable()[size_t(field)].name)));
        layout.columns[size_t(field)] = c;
        layout.headings[size_t(field)] = heading.trimmed();
        layout.captioned[size_t(field)] = captioned;
    }
    if (layout.columns[size_t(kNr)] < 0) {
        if (csv::isBinary(import->m_text))
            return refuse(QStringLiteral("Die Datei ist keine Textdatei. Importiert werden "
                                         "können CSV-Dateien mit einer Kopfzeile aus "
                                         "Feldnamen."));
        return refuse(QStringLiteral("In der ersten Zeile der Datei fehlt die Spalte \"Nr\". Die "
                                     "Datei ist keine Tabelle mit Kinderdaten: Importiert werden "
                                     "können CSV-Dateien, deren erste Zeile die Feldnamen "
                                     "enthält (Nr, KNach, KVor, ...)."));
    }
    for (int i = 0; i < FieldCount; ++i)
        if (layout.columns[size_t(i)] < 0)
            import->m_missing << QLatin1String(fieldTable()[size_t(i)].name);
    layout.decimalMark =
        decimalMarkOf(import->m_text, import->m_separator, reader.position(), layout.columns);

    // The rows, each checked as a save of a new record would check it, and numbered by the line
    // they start on.
    RawRecord record;
    int line = 1 + lineBreaks(import->m_text, 0, reader.rowStart());
    qsizetype counted = reader.rowStart();
    int rows = 0;
    while (reader.next(fields)) {
        line += lineBreaks(import->m_text, counted, reader.rowStart());
        counted = reader.rowStart();
        if (++rows % ProgressEvery == 0 && progress && !progress(reader.position(), reader.size()))
            return refuse(QString());
        if (blankRow(fields))
            continue;
        ++import->m_rowCount;
        const int nrColumn = layout.columns[size_t(kNr)];
        const QString nr = nrColumn < int(fields.size())
                               ? QString::fromUtf8(fields[size_t(nrColumn)].text).trimmed()
                               : QString();
        if (reader.malformed()) {
            import->m_refused << Refusal{line, nr,
                                         QStringLiteral("Ein Anführungszeichen steht an falscher "
                                                        "Stelle; die Zeile ist nicht sicher "
                                                        "lesbar.")};
            continue;
        }
        if (int(fields.size()) != import->m_columnCount) {
            import->m_refused << Refusal{line, nr,
                                         QStringLiteral("Die Zeile hat %1 Felder, die erste "
                                                        "Zeile aber %2.")
                                             .arg(fields.size())
                                             .arg(import->m_columnCount)};
            continue;
        }
        if (std::optional<QString> reason = convertRow(fields, layout, record)) {
            import->m_refused << Refusal{line, nr, *reason};
            continue;
        }
        for (int i = 0; i < FieldCount; ++i) {
            const RawValue& value = record[size_t(i)];
            if (value.kind == RawValue::Kind::Text && lostLeadingZeros(i, value.text) &&
                import->m_suspectCount++ < ListedSuspects)
                import->m_suspects << Suspect{line, nr, i, QString::fromUtf8(value.text)};
        }
        import->m_rows.push_back(Row{reader.rowStart(), record[size_t(kNr)].whole});
    }
    if (reader.unterminated())
        return refuse(QStringLiteral("Die Datei endet mitten in einem Feld in "
                                     "Anführungszeichen (Zeile %1); sie ist unvollständig oder "
                                     "keine CSV-Datei.")
                          .arg(line));
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

bool Import::takesHighestNumber(const QSet<qint64>& stored, Clash clash) const {
    const qint64 highest = qint64(valueRange(fieldDef(kNr).type).highest);
    if (stored.contains(highest))
        return true;
    try {
        for (const std::optional<qint64>& nr : numbering(stored, clash))
            if (nr == highest)
                return true;
    } catch (const EngineError&) {
        return true; // not even these rows find numbers
    }
    return false;
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
            return reader.next(fields) && !convertRow(fields, m_layout, record);
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
