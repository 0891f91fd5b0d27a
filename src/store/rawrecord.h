#pragma once

#include "recordfields.h"

#include <QByteArrayView>
#include <QSet>

#include <array>
#include <optional>

// A record's values as the engine holds them, for handing whole tables in and out without
// turning every cell into a QVariant: at 100,000 records the conversions would cost more than
// the reading.
struct RawValue {
    enum class Kind : quint8 { Null, Whole, Real, Text };
    Kind kind = Kind::Null;
    qint64 whole = 0;
    double real = 0;
    QByteArrayView text; // UTF-8; valid until the next record is read or filled

    static RawValue fromWhole(qint64 value) { return {Kind::Whole, value, 0, {}}; }
    static RawValue fromReal(double value) { return {Kind::Real, 0, value, {}}; }
    static RawValue fromText(QByteArrayView value) { return {Kind::Text, 0, 0, value}; }
};

// One value per field, in the field table's order.
using RawRecord = std::array<RawValue, FieldCount>;

// What Database::addRecords stores: records handed over one by one.
class RecordFeed {
  public:
    virtual ~RecordFeed() = default;
    // Called once, under the write lock and before the first record, with the numbers stored
    // at that moment, so that clashes are settled against what really is in the table.
    virtual void start(const QSet<qint64>& storedNumbers) = 0;
    // Fills the next record; false when there is none left. Nr must be a whole number.
    virtual bool next(RawRecord& record) = 0;
    // Called after every few hundred records with how many are written; false cancels, and
    // nothing is kept.
    virtual bool progress(int written) = 0;
};
