#include "importdialog.h"

#include "recordcheck.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Numbers taken are named up to this many in the dialog.
constexpr int ListedNumbers = 60;

QString separatorName(char separator) {
    switch (separator) {
    case ',':
        return QStringLiteral("Komma");
    case '\t':
        return QStringLiteral("Tabulator");
    default:
        return QStringLiteral("Semikolon");
    }
}

QLabel* wrappedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

ImportDialog::ImportDialog(const csvimport::Import& import, const QSet<qint64>& stored,
                           const QString& path, QWidget* parent)
    : QDialog(parent), m_import(import), m_stored(stored) {
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Daten importieren"));
    auto* layout = new QVBoxLayout(this);
    QString file =
        QStringLiteral("Datei: %1\nZeichensatz %2, Trennzeichen %3; %4 unter der Kopfzeile.")
            .arg(QDir::toNativeSeparators(path), import.encoding(),
                 separatorName(import.separator()),
                 import.rowCount() == 1 ? QStringLiteral("1 Zeile")
                                        : QStringLiteral("%1 Zeilen").arg(import.rowCount()));
    if (import.faults() == 1)
        file +=
            QStringLiteral("\nDie Datei enthält ein Byte, das kein UTF-8 ist; steht es in einem "
                           "übernommenen Feld, wird seine Zeile nicht übernommen (siehe "
                           "unten).");
    else if (import.faults() > 1)
        file +=
            QStringLiteral("\nDie Datei enthält %1 Bytes, die kein UTF-8 sind; Zeilen, in deren "
                           "übernommenen Feldern solche Bytes stehen, werden nicht übernommen "
                           "(siehe unten).")
                .arg(import.faults());
    if (import.decimalMark() == '.')
        file += QStringLiteral("\nZahlen mit Dezimalpunkt (wie mdb-export sie schreibt).");
    layout->addWidget(wrappedLabel(file, "lblDatei", this));

    m_count = wrappedLabel(QString(), "lblAnzahl", this);
    QFont bold = m_count->font();
    bold.setBold(true);
    m_count->setFont(bold);
    layout->addWidget(m_count);

    const QList<qint64> taken = import.takenNumbers(stored);
    auto* numbers = new QGroupBox(
        QStringLiteral("Nummern, die schon vergeben sind (%1)").arg(taken.size()), this);
    numbers->setObjectName(QStringLiteral("fraVergeben"));
    auto* numbersLayout = new QVBoxLayout(numbers);
    QStringList listed;
    for (int i = 0; i < taken.size() && i < ListedNumbers; ++i)
        listed << QString::number(taken[i]);
    if (taken.size() > ListedNumbers)
        listed << QStringLiteral("... (%1 weitere)").arg(taken.size() - ListedNumbers);
    numbersLayout->addWidget(
        wrappedLabel(listed.join(QStringLiteral(", ")), "lblVergeben", numbers));
    m_skip = new QRadioButton(QStringLiteral("Diese Datensätze &überspringen"), numbers);
    m_skip->setObjectName(QStringLiteral("optUeberspringen"));
    m_renumber = new QRadioButton(
        QStringLiteral("Diese Datensätze mit &neuen Nummern hinzufügen (nach der höchsten)"),
        numbers);
    m_renumber->setObjectName(QStringLiteral("optNeueNummern"));
    m_skip->setChecked(true);
    numbersLayout->addWidget(m_skip);
    numbersLayout->addWidget(m_renumber);
    numbers->setVisible(!taken.isEmpty());
    layout->addWidget(numbers);
    connect(m_skip, &QRadioButton::toggled, this, &ImportDialog::updateCount);

    const QList<csvimport::Refusal>& refused = import.refused();
    auto* refusals = new QGroupBox(
        QStringLiteral("Zeilen, die nicht übernommen werden (%1)").arg(refused.size()), this);
    refusals->setObjectName(QStringLiteral("fraAbgelehnt"));
    auto* refusalsLayout = new QVBoxLayout(refusals);
    auto* list = new QTreeWidget(refusals);
    list->setObjectName(QStringLiteral("lstAbgelehnt"));
    list->setAccessibleName(QStringLiteral("Zeilen, die nicht übernommen werden"));
    list->setRootIsDecorated(false);
    list->setWordWrap(true);
    list->setHeaderLabels(
        {QStringLiteral("Zeile"), QStringLiteral("Nr."), QStringLiteral("Grund")});
    for (int i = 0; i < refused.size() && i < ListedRefusals; ++i) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, QString::number(refused[i].row));
        item->setText(1, refused[i].nr);
        item->setText(2, refused[i].reason);
        item->setToolTip(2, refused[i].reason);
    }
    if (refused.size() > ListedRefusals) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(
            2, QStringLiteral("... und %1 weitere Zeilen").arg(refused.size() - ListedRefusals));
    }
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list->header()->setStretchLastSection(true);
    refusalsLayout->addWidget(list);
    refusals->setVisible(!refused.isEmpty());
    layout->addWidget(refusals, 1);

    if (import.suspectCount() > 0) {
        QStringList values;
        for (const csvimport::Suspect& s : import.suspects())
            values << QStringLiteral("Zeile %1 (Nr. %2): %3 \"%4\"")
                          .arg(s.row)
                          .arg(s.nr, fieldLabel(s.field), s.value);
        if (import.suspectCount() > values.size())
            values << QStringLiteral("... und %1 weitere")
                          .arg(import.suspectCount() - int(values.size()));
        QLabel* zeros = wrappedLabel(
            QStringLiteral("Bitte prüfen: %1 vermutlich führende Nullen. Ein "
                           "Tabellenprogramm entfernt sie, wenn es eine Spalte als Zahlen liest "
                           "(aus \"01234\" wird 1234). Diese Werte werden so übernommen, wie sie "
                           "in der Datei stehen:\n%2")
                .arg(import.suspectCount() == 1
                         ? QStringLiteral("Einem Wert fehlen")
                         : QStringLiteral("%1 Werten fehlen").arg(import.suspectCount()),
                     values.join(QLatin1Char('\n'))),
            "lblNullen", this);
        layout->addWidget(zeros);
    }

    m_highest = wrappedLabel(
        QStringLiteral("Nach dem Import ist die höchste mögliche Nummer %1 vergeben. Weitere "
                       "Datensätze können dann nicht mehr automatisch nummeriert werden; bei "
                       "\"Neu\" muss eine freie Nummer von Hand eingetragen werden.")
            .arg(qint64(valueRange(fieldDef(fieldIndex(u"Nr")).type).highest)),
        "lblHoechste", this);
    layout->addWidget(m_highest);

    QStringList notes;
    if (import.ignoredCount() > 0) {
        QString columns = import.ignoredColumns().join(QStringLiteral(", "));
        if (import.ignoredCount() > import.ignoredColumns().size())
            columns += QStringLiteral(" und %1 weitere")
                           .arg(import.ignoredCount() - import.ignoredColumns().size());
        notes << (import.ignoredCount() == 1
                      ? QStringLiteral("Diese Spalte gehört zu keinem Feld und wird nicht "
                                       "übernommen: %1.")
                      : QStringLiteral("Diese Spalten gehören zu keinem Feld und werden nicht "
                                       "übernommen: %1."))
                     .arg(columns);
    }
    const QStringList& missing = import.missingFields();
    if (!missing.isEmpty())
        notes << QStringLiteral("Die Datei enthält %1 der %2 Felder; %3 erhalten, was ein neuer "
                                "Datensatz erhält (\"-\", \"o.K.\", 0).")
                     .arg(FieldCount - missing.size())
                     .arg(FieldCount)
                     .arg(missing.size() == 1
                              ? QStringLiteral("das fehlende Feld")
                              : QStringLiteral("die %1 fehlenden").arg(missing.size()));
    if (!notes.isEmpty()) {
        QLabel* columns = wrappedLabel(notes.join(QLatin1Char('\n')), "lblSpalten", this);
        if (!missing.isEmpty())
            columns->setToolTip(
                QStringLiteral("Fehlende Felder: %1").arg(missing.join(QStringLiteral(", "))));
        layout->addWidget(columns);
    }

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("&Importieren"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("cmdImportieren"));
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAbbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Its buttons take the focus; the box itself is no stop of Tab.
    buttons->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(buttons);
    updateCount();
    resize(820, refused.isEmpty() ? 260 : 480);
}

csvimport::Clash ImportDialog::clash() const {
    return m_renumber->isChecked() ? csvimport::Clash::Renumber : csvimport::Clash::Skip;
}

void ImportDialog::updateCount() {
    const int added = m_import.addedCount(m_stored, clash());
    if (added == 0)
        m_count->setText(QStringLiteral("Es wird kein Datensatz hinzugefügt."));
    else if (added == 1)
        m_count->setText(QStringLiteral("1 Datensatz wird hinzugefügt."));
    else
        m_count->setText(QStringLiteral("%1 Datensätze werden hinzugefügt.").arg(added));
    m_ok->setEnabled(added > 0);
    m_highest->setVisible(added > 0 && m_import.takesHighestNumber(m_stored, clash()));
}
