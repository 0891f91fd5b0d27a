#include "recordcontroller.h"

#include "engineerror.h"
#include "germanformat.h"
#include "messageboxes.h"
#include "refreshquery.h"

#include <QStringList>

namespace {

const QString kDynasetSql = QStringLiteral("SELECT * FROM Daten ORDER BY Nr ASC");
const QString kSaveQuestion = QStringLiteral("Möchten Sie die Daten übernehmen?");

const QStringList kReligionFields = {QStringLiteral("KKonf"), QStringLiteral("MKonf"),
                                     QStringLiteral("VKonf")};
const QStringList kNationalityFields = {QStringLiteral("KNat"), QStringLiteral("MNat"),
                                        QStringLiteral("VNat")};

int fieldOf(const char* name) {
    return fieldIndex(QString::fromLatin1(name));
}

// A new record's texts: the number, the four fees "0", no lunch, everything else empty.
RecordTexts blankNewRecord(const QString& nr) {
    RecordTexts t;
    t[size_t(fieldOf("Nr"))] = nr;
    for (const char* fee : {"KBasis", "KFaktor", "KBuchFak", "KSumme"})
        t[size_t(fieldOf(fee))] = QStringLiteral("0");
    t[size_t(fieldOf("KEssen"))] = QStringLiteral("nein");
    return t;
}

QString numberText(qint64 nr) {
    return QString::number(nr);
}

} // namespace

QString statusText(const QString& nr, const QString& surname, const QString& firstName) {
    return QStringLiteral("aktueller Datensatz : Nr. %1 - %2, %3").arg(nr, surname, firstName);
}

QString emptyStatusText() {
    return QStringLiteral("aktueller Datensatz : -");
}

QString RowSummary::line() const {
    return nr + QStringLiteral(" - ") + surname + QStringLiteral(", ") + firstName;
}

RecordController::RecordController(MessageBoxes& boxes) : m_boxes(boxes) {}

RecordController::~RecordController() {
    close();
}

void RecordController::open(const QString& path, const QString& password) {
    auto db = Database::open(path, password);
    auto rs = db->openDynaset(kDynasetSql);
    m_db = std::move(db);
    m_rsDaten = std::move(rs);
}

void RecordController::close() {
    m_reconnect.stop();
    if (m_rsDaten)
        m_rsDaten->close();
    m_rsDaten.reset();
    m_db.reset();
}

void RecordController::reopenDynaset() {
    // Assigned only when the new set is open, so a failure leaves the old one usable.
    m_rsDaten = m_db->openDynaset(kDynasetSql);
}

void RecordController::forgetShown() {
    m_shownNr.clear();
    m_shownTexts = RecordTexts();
}

void RecordController::reopenAfterRestore() {
    forgetShown();
    try {
        reopenDynaset();
    } catch (const EngineError& e) {
        report(QStringLiteral("TarvexMain.Datensicherung_zurueckspielen"), e);
    }
}

void RecordController::showError(const QString& place, int number, const QString& description) {
    m_boxes.show(nullptr, MessageBoxes::errorText(place, number, description),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical, QStringLiteral("Fehler"));
}

bool RecordController::report(const QString& place, const EngineError& error) {
    if (error.number() != ErrorNumber::ConnectionLost) {
        showError(place, error.number(), error.description());
        return false;
    }
    const bool saving = place == QLatin1String("TarvexMain.DS_Speichern");
    // Each step fails the same way until the server answers again: said once, except that a
    // save always says that it stored nothing.
    if (!m_lostSaid || saving) {
        m_lostSaid = true;
        QString text = QStringLiteral(
            "Die Verbindung zum Datenbankserver ist unterbrochen.\r\rBitte prüfen Sie, ob dieser "
            "Rechner mit dem Netzwerk verbunden ist und ob der Datenbankserver läuft. Das "
            "Programm verbindet sich im Hintergrund neu und arbeitet ohne Neustart weiter, "
            "sobald der Server wieder antwortet.");
        if (saving)
            text += QStringLiteral("\r\rDer Datensatz wurde nicht gespeichert. Ihre Eingaben "
                                   "bleiben erhalten; bitte wählen Sie \"Speichern\" erneut, "
                                   "wenn die Verbindung wieder besteht.");
        if (!error.detail().isEmpty())
            text += QStringLiteral("\r\r(Meldung des Servers: %1)").arg(error.detail());
        m_boxes.show(nullptr, text, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning,
                     QStringLiteral("Verbindung unterbrochen"));
    }
    if (!m_reconnect.running()) {
        m_reconnect.start(m_db.get(), [this] { connectionBack(); });
        if (m_connectionHandler)
            m_connectionHandler(false);
    }
    return true;
}

void RecordController::connectionBack() {
    m_lostSaid = false;
    try {
        reopenDynaset();
    } catch (const EngineError& e) {
        report(QStringLiteral("TarvexMain.Data_Refresh"), e);
        return;
    }
    if (m_connectionHandler)
        m_connectionHandler(true);
}

std::unique_ptr<Snapshot> RecordController::Data_Refresh(const std::array<QString, 6>& search,
                                                         const std::array<int, 16>& columnChoice,
                                                         const QString& sortBy, bool ascending) {
    const QString sql = buildRefreshStatement(search, columnChoice, sortBy, ascending);
    m_refreshLocked = false;
    try {
        auto rows = m_db->openSnapshot(sql);
        m_lastSort = sortBy;
        m_lastAscending = ascending;
        return rows;
    } catch (const EngineError& e) {
        m_refreshLocked = e.number() == ErrorNumber::RecordLocked;
        if (!m_refreshLocked && report(QStringLiteral("TarvexMain.Data_Refresh"), e)) {
            // Read as asked for once the server is back.
            m_lastSort = sortBy;
            m_lastAscending = ascending;
        }
    }
    return nullptr;
}

bool RecordController::findInDynaset(qint64 nr) {
    const QString criteria = QStringLiteral("Nr = ") + numberText(nr);
    if (m_rsDaten->findFirst(criteria))
        return true;
    // A record stored meanwhile at another workstation: the full-record set learns of it when
    // it is opened again.
    reopenDynaset();
    return m_rsDaten->findFirst(criteria);
}

RecordController::ReadResult RecordController::Data_Reposition(const QString& nr) {
    ReadResult result;
    const std::optional<qint64> number = GermanFormat::parseWholeNumber(nr);
    try {
        if (!number || !findInDynaset(*number)) {
            result.outcome = Read::Missing;
            return result;
        }
        result.texts = displayTexts(m_rsDaten->values());
        result.outcome = Read::Done;
        m_shownNr = nr;
        m_shownTexts = result.texts;
    } catch (const EngineError& e) {
        if (e.number() == ErrorNumber::NoCurrentRecord) {
            // Deleted at another workstation between the find and the read.
            result.outcome = Read::Missing;
            try {
                reopenDynaset();
            } catch (const EngineError&) {
            }
            return result;
        }
        report(QStringLiteral("Quendal.Data1.Reposition"), e);
        result.outcome = Read::Failed;
    }
    return result;
}

void RecordController::fillChoiceLists() {
    const QList<QStringList> lists = m_db->valuesInOrder({kReligionFields, kNationalityFields});
    m_choices.add(lists[0], lists[1]);
}

RecordController::NewRecord RecordController::DS_Neu(const RecordTexts& shown,
                                                     const std::optional<RowSummary>& current) {
    NewRecord result;
    if (m_state != EditState::Browse)
        return result;
    m_state = EditState::New;
    m_numberBeforeNew = m_shownNr;
    result.started = true;
    result.texts = shown;
    const QString place = QStringLiteral("TarvexMain.DS_Neu");
    // So that the new number and the lists see every record as stored.
    try {
        reopenDynaset();
    } catch (const EngineError& e) {
        report(place, e);
        if (e.number() == ErrorNumber::RecordLocked)
            return result;
    }
    std::optional<qint64> highest;
    try {
        highest = m_db->highestNumber();
    } catch (const EngineError& e) {
        // Without the highest number stored, no number can be offered: nothing is started.
        report(place, e);
        m_state = EditState::Browse;
        result.started = false;
        return result;
    }
    try {
        if (highest)
            fillChoiceLists();
    } catch (const EngineError& e) {
        report(place, e);
    }
    if (!highest) {
        // An empty table: the first record gets number 1, nothing to copy.
        result.texts = blankNewRecord(QStringLiteral("1"));
        return result;
    }
    const std::optional<qint64> next = nextNumber(highest);
    const QString nr = next ? numberText(*next) : QString();
    if (!next)
        m_boxes.show(nullptr,
                     QStringLiteral("Die höchste mögliche Nummer %1 ist schon vergeben; nach ihr "
                                    "gibt es keine Nummer mehr, die der neue Datensatz bekommen "
                                    "könnte.\r\rBitte tragen Sie im Feld \"Nummer\" eine freie "
                                    "Nummer von Hand ein.")
                         .arg(*highest),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
    if (current) {
        const auto answer = m_boxes.show(
            nullptr,
            QStringLiteral("Möchten Sie die Angaben vom aktuellen DS übernehmen?\r\r") +
                current->line(),
            MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, QStringLiteral("Frage"));
        if (answer == MessageBoxes::Answer::Yes) {
            result.copied = true;
            result.texts[size_t(fieldOf("Nr"))] = nr;
            return result;
        }
    }
    result.texts = blankNewRecord(nr);
    return result;
}

bool RecordController::DS_Aendern() {
    if (m_state != EditState::Browse || m_shownNr.isEmpty())
        return false;
    m_state = EditState::Change;
    m_changeNr = GermanFormat::parseWholeNumber(m_shownNr).value_or(0);
    m_changeBaseline = m_shownTexts;
    try {
        fillChoiceLists();
    } catch (const EngineError& e) {
        // The lists stay as they were; the record can still be changed.
        report(QStringLiteral("TarvexMain.DS_Aendern"), e);
    }
    return true;
}

RecordController::Deletion RecordController::DS_Loeschen(const std::optional<RowSummary>& current) {
    Deletion result;
    if (m_state != EditState::Browse || !current)
        return result;
    const std::optional<qint64> nr = GermanFormat::parseWholeNumber(current->nr);
    if (!nr)
        return result;
    result.asked = true;
    const auto answer = m_boxes.show(
        nullptr, QStringLiteral("Möchten Sie den aktuellen DS löschen?\r\r") + current->line(),
        MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Warning,
        QStringLiteral("Löschen bestätigen"));
    if (answer != MessageBoxes::Answer::Yes)
        return result;
    result.refresh = true;
    try {
        if (!findInDynaset(*nr)) {
            m_boxes.show(nullptr,
                         QStringLiteral("Der Datensatz Nr. %1 ist nicht mehr vorhanden. Er wurde "
                                        "vermutlich an einem anderen Arbeitsplatz gelöscht.")
                             .arg(*nr),
                         MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
            return result;
        }
        // The record shown next: the nearest one before it in number order, or when there is
        // none the nearest one after it; none when it was the only one. A neighbour another
        // workstation has deleted meanwhile is passed over: it neither stops the delete nor is
        // it shown.
        const auto stillStored = [this]() -> std::optional<QString> {
            try {
                return m_rsDaten->field(u"Nr").toString();
            } catch (const EngineError& e) {
                if (e.number() != ErrorNumber::NoCurrentRecord)
                    throw;
                return std::nullopt;
            }
        };
        for (m_rsDaten->movePrevious(); !m_rsDaten->bof() && !result.neighbour;
             m_rsDaten->movePrevious())
            result.neighbour = stillStored();
        if (!result.neighbour && findInDynaset(*nr))
            for (m_rsDaten->moveNext(); !m_rsDaten->eof() && !result.neighbour;
                 m_rsDaten->moveNext())
                result.neighbour = stillStored();
        if (!findInDynaset(*nr))
            return result;
        m_rsDaten->deleteCurrent();
    } catch (const EngineError& e) {
        report(QStringLiteral("TarvexMain.DS_Loeschen"), e);
        // Refused (another workstation holds the record, the connection failed): nothing was
        // deleted, and the record stays shown. Only a record that is gone makes way for its
        // neighbour.
        if (e.number() != ErrorNumber::NoCurrentRecord) {
            result.refresh = false;
            result.neighbour.reset();
            try {
                findInDynaset(*nr);
            } catch (const EngineError&) {
                // The set is read again at the next step anyway.
            }
        }
    }
    return result;
}

std::optional<RowSummary> RecordController::storedSummary(qint64 nr) {
    auto rows = m_db->openSnapshot(
        QStringLiteral("SELECT Nr, KNach, KVor FROM Daten WHERE Nr = %1").arg(nr));
    if (rows->rowCount() == 0)
        return std::nullopt;
    return RowSummary{rows->text(0, 0), rows->text(0, 1), rows->text(0, 2)};
}

void RecordController::refuse(const QString& message) {
    m_boxes.show(nullptr,
                 QStringLiteral("Der Datensatz wurde nicht gespeichert.\r\r") + message +
                     QStringLiteral("\r\rIhre Eingaben bleiben erhalten. Bitte korrigieren Sie "
                                    "sie und wählen Sie dann erneut \"Speichern\"."),
                 MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning,
                 QStringLiteral("Speichern"));
}

RecordController::SaveResult RecordController::kept(SaveResult result, int field) {
    result.outcome = Saved::Kept;
    result.problemField = field;
    return result;
}

RecordController::SaveResult RecordController::discarded(SaveResult result, const QString& nr) {
    result.outcome = Saved::Discarded;
    result.numberToFind = nr;
    m_state = EditState::Browse;
    return result;
}

void RecordController::writeFields(const RecordTexts& texts, bool newRecord) {
    for (int column : writeColumns(newRecord))
        m_rsDaten->setField(QString::fromLatin1(fieldTable()[size_t(column)].name),
                            texts[size_t(column)]);
    m_rsDaten->update();
}

RecordController::SaveResult RecordController::DS_Speichern(const RecordTexts& typed,
                                                            bool closing) {
    SaveResult result;
    result.texts = typed;
    if (m_state == EditState::Browse)
        return result;
    const QString typedNr = typed[size_t(fieldOf("Nr"))];
    applyPlaceholders(result.texts);

    const auto answer = m_boxes.show(nullptr, kSaveQuestion,
                                     closing ? MessageBoxes::Buttons::YesNoCancel
                                             : MessageBoxes::Buttons::YesNoOrBack,
                                     MessageBoxes::Icon::Question, QStringLiteral("Speichern"));
    if (answer == MessageBoxes::Answer::Cancel)
        return kept(result);
    if (answer != MessageBoxes::Answer::Yes)
        return discarded(result, m_state == EditState::New ? m_numberBeforeNew : typedNr);
    const bool newRecord = m_state == EditState::New;
    if (const auto problem = checkRecord(result.texts, newRecord)) {
        refuse(problem->message);
        return kept(result, problem->field);
    }
    return newRecord ? storeNew(result) : storeChange(result);
}

RecordController::SaveResult RecordController::storeNew(SaveResult result) {
    const int nrField = fieldOf("Nr");
    const qint64 nr = *GermanFormat::parseWholeNumber(result.texts[size_t(nrField)]);
    try {
        if (const auto existing = storedSummary(nr)) {
            // The number "Neu" would give, as the way out that is sure to be free.
            const std::optional<qint64> next = nextNumber(m_db->highestNumber());
            const QString free = next
                                     ? QStringLiteral("Die nächste freie Nummer ist %1.").arg(*next)
                                     : QStringLiteral("Nach der höchsten Nummer ist keine "
                                                      "Nummer mehr frei.");
            refuse(QStringLiteral("Die Nummer %1 ist bereits vergeben:\r%2\r\rBitte geben Sie "
                                  "eine andere Nummer ein. %3")
                       .arg(nr)
                       .arg(existing->line(), free));
            return kept(result, nrField);
        }
        m_rsDaten->addNew();
        writeFields(result.texts, true);
    } catch (const EngineError& e) {
        m_rsDaten->cancelUpdate();
        report(QStringLiteral("TarvexMain.DS_Speichern"), e);
        return kept(result, e.number() == ErrorNumber::UpdateRefused ? nrField : -1);
    }
    result.outcome = Saved::Stored;
    result.numberToFind = numberText(nr);
    m_state = EditState::Browse;
    return result;
}

RecordController::SaveResult RecordController::storeChange(SaveResult result) {
    const QString place = QStringLiteral("TarvexMain.DS_Speichern");
    const qint64 nr = m_changeNr;
    const QString nrText = numberText(nr);
    RecordTexts baseline = m_changeBaseline;
    try {
        for (;;) {
            if (!findInDynaset(nr)) {
                const auto answer = m_boxes.show(
                    nullptr,
                    QStringLiteral("Der Datensatz Nr. %1 wurde inzwischen an einem anderen "
                                   "Arbeitsplatz gelöscht.\r\rSollen Ihre Angaben als neuer "
                                   "Datensatz mit der Nummer %1 gespeichert werden?\r\r"
                                   "Ja: speichern   Nein: verwerfen   Abbrechen: zurück zur "
                                   "Eingabe")
                        .arg(nr),
                    MessageBoxes::Buttons::YesNoCancel, MessageBoxes::Icon::Warning,
                    QStringLiteral("Speichern"));
                if (answer == MessageBoxes::Answer::Cancel)
                    return kept(result);
                if (answer == MessageBoxes::Answer::No)
                    return discarded(result, QString());
                m_state = EditState::New;
                result.texts[size_t(fieldOf("Nr"))] = nrText;
                result = storeNew(result);
                if (result.outcome == Saved::Kept)
                    m_state = EditState::Change;
                return result;
            }
            // The write lock is taken here; what is stored now is compared with what was shown
            // when the change began.
            try {
                m_rsDaten->edit();
            } catch (const EngineError& e) {
                if (e.number() != ErrorNumber::NoCurrentRecord)
                    throw;
                // Deleted meanwhile: the set opened afresh no longer holds it, and the user is
                // asked above.
                reopenDynaset();
                continue;
            }
            const RecordTexts stored = displayTexts(m_rsDaten->values());
            if (stored == baseline)
                break;
            m_rsDaten->cancelUpdate(); // no lock is held while the user decides
            QStringList changed;
            for (int f = 0; f < FieldCount; ++f)
                if (stored[size_t(f)] != baseline[size_t(f)])
                    changed << fieldLabel(f);
            const auto answer = m_boxes.show(
                nullptr,
                QStringLiteral("Der Datensatz Nr. %1 wurde inzwischen an einem anderen "
                               "Arbeitsplatz geändert (%2).\r\rSollen Ihre Angaben die dortigen "
                               "Änderungen überschreiben?\r\rJa: Ihre Angaben speichern   Nein: "
                               "Ihre Angaben verwerfen und den Datensatz zeigen, wie er jetzt "
                               "gespeichert ist   Abbrechen: zurück zur Eingabe")
                    .arg(nr)
                    .arg(changed.join(QStringLiteral(", "))),
                MessageBoxes::Buttons::YesNoCancel, MessageBoxes::Icon::Warning,
                QStringLiteral("Speichern"));
            if (answer == MessageBoxes::Answer::Cancel)
                return kept(result);
            if (answer == MessageBoxes::Answer::No)
                return discarded(result, nrText);
            baseline = stored; // checked again under the lock
        }
        writeFields(result.texts, false);
    } catch (const EngineError& e) {
        m_rsDaten->cancelUpdate();
        report(place, e);
        return kept(result);
    }
    result.outcome = Saved::Stored;
    result.numberToFind = nrText;
    m_state = EditState::Browse;
    return result;
}
