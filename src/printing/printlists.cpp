#include "printlists.h"

#include "recordfields.h"
#include "snapshot.h"

const std::array<PrintList, 3>& printLists() {
    static const std::array<PrintList, 3> lists{{
        {"Namensliste", "Nr, KNach, KVor, KGeb, KKonf, KOrt, KStr", "Nr ASC", false},
        {"Gruppenauflistung", "Nr, KNach, KVor, KGeb, KKonf, KOrt, KStr", "KGrp ASC, Nr ASC", true},
        {"Telefonliste", "Nr, KNach, KVor, KTel1, KTel2, MTel1, MTel2, VTel1, VTel2",
         "KGrp ASC, Nr ASC", true},
    }};
    return lists;
}

QStringList listFields(const PrintList& list) {
    return QString::fromLatin1(list.columns).split(QStringLiteral(", "));
}

QString listCaption(const QString& field) {
    const FieldDef* def = findField(field);
    if (def == nullptr)
        return QString();
    return QString::fromUtf8(def->tableCaption != nullptr ? def->tableCaption : def->caption);
}

QString listQuery(const PrintList& list) {
    return QStringLiteral("SELECT %1%2 FROM Daten ORDER BY %3")
        .arg(QLatin1String(list.columns), list.grouped ? QStringLiteral(", KGrp") : QString(),
             QLatin1String(list.order));
}

namespace {

class SnapshotRows final : public ListRows {
  public:
    SnapshotRows(std::unique_ptr<Snapshot> snapshot, int listColumns)
        : m_snapshot(std::move(snapshot)),
          m_groupColumn(m_snapshot->columnCount() > listColumns ? listColumns : -1) {}

    int rowCount() const override { return m_snapshot->rowCount(); }
    QString text(int row, int column) const override { return m_snapshot->text(row, column); }
    QString group(int row) const override {
        return m_groupColumn < 0 ? QString() : m_snapshot->text(row, m_groupColumn);
    }

  private:
    std::unique_ptr<Snapshot> m_snapshot;
    int m_groupColumn;
};

} // namespace

std::unique_ptr<ListRows> snapshotRows(std::unique_ptr<Snapshot> snapshot, int listColumns) {
    return std::make_unique<SnapshotRows>(std::move(snapshot), listColumns);
}
