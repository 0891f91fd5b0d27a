#pragma once

#include "choicelists.h"
#include "database.h"
#include "editstate.h"
#include "recordcheck.h"
#include "recordtexts.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>

class MessageBoxes;

// A row of the window's record set as the questions name it: "17 - Muster, Anna".
// "aktueller Datensatz : Nr. 12 - Maier, Anna"; "aktueller Datensatz : -" without a record.
QString statusText(const QString& nr, const QString& surname, const QString& firstName);
QString emptyStatusText();

struct RowSummary {
    QString nr;
    QString surname;
    QString firstName;
    QString line() const;
};

// The records behind the main window, without widgets: the open database (dbDaten), the
// full-record set rsDaten, the edit state and the choice lists, and the four record commands.
// The window hands in what the user sees and typed, shows what comes back, and moves its table;
// every question and error box goes through MessageBoxes.
//
// Nothing typed is lost without the user's say: a save that cannot store the record whole
// stores nothing and leaves the state as it was, with the input handed back.
class RecordController {
  public:
    explicit RecordController(MessageBoxes& boxes);
    ~RecordController();
    RecordController(const RecordController&) = delete;
    RecordController& operator=(const RecordController&) = delete;

    // Opens dbDaten and rsDaten. Engine failures are thrown (start-up reports them).
    // Opens the database file at path or the server's database at an address; password for a
    // server that asks for one.
    void open(const QString& path, const QString& password = QString());
    void close();
    bool isOpen() const { return m_db != nullptr; }

    EditState state() const { return m_state; }
    // The number of the record shown: the one Data_Reposition last read, until forgetShown();
    // empty for the blank record. The window asks here; it keeps no copy.
    QString shownNr() const { return m_shownNr; }
    // No record is shown any more (the form is blank, the record is gone or deleted).
    void forgetShown();
    const ChoiceLists& choiceLists() const { return m_choices; }

    // Data_Refresh's query: the rows for the search texts and the column choice, sorted by a
    // field. Nothing after a failure, which has been shown; the window then keeps its rows.
    // A file locked by another workstation is no failure to show: nothing comes back and
    // refreshLocked() tells the window to try again.
    std::unique_ptr<Snapshot> Data_Refresh(const std::array<QString, 6>& search,
                                           const std::array<int, 16>& columnChoice,
                                           const QString& sortBy, bool ascending);
    bool refreshLocked() const { return m_refreshLocked; }
    QString lastSort() const { return m_lastSort; }
    bool lastAscending() const { return m_lastAscending; }

    // Data_Reposition's read: the whole record with this number from rsDaten, as the form shows
    // it. Missing when no such record is stored any more (another workstation deleted it);
    // Failed when the read failed (the box has been shown).
    enum class Read { Done, Missing, Failed };
    struct ReadResult {
        Read outcome = Read::Failed;
        RecordTexts texts;
    };
    ReadResult Data_Reposition(const QString& nr);

    // DS_Neu: enters the new-record state unless the window is already editing. current is the
    // current row of the window's record set (none on an empty list); shown what the form shows.
    // The texts to show come back: the blank new record, or a copy of the shown one, each with
    // the next free number.
    struct NewRecord {
        bool started = false;
        bool copied = false;
        RecordTexts texts;
    };
    NewRecord DS_Neu(const RecordTexts& shown, const std::optional<RowSummary>& current);

    // DS_Aendern: enters the change state for the record last read by Data_Reposition. Returns
    // whether it did.
    bool DS_Aendern();

    // DS_Loeschen: asks, then deletes exactly the record the question names. The window then
    // rebuilds its record set and shows the neighbour (the next lower number, or the next higher
    // one after the lowest). Nothing happens without a current row or while editing.
    struct Deletion {
        bool asked = false;
        bool refresh = false; // the database may have changed: rebuild the record set
        std::optional<QString> neighbour;
    };
    Deletion DS_Loeschen(const std::optional<RowSummary>& current);

    // DS_Speichern: writes the placeholders into typed, asks, and stores the record whole or not
    // at all. closing adds Cancel to the question (the window is being closed).
    enum class Saved {
        NotEditing, // browsing: nothing asked, nothing changed
        Stored,     // back to browsing; find numberToFind
        Discarded,  // back to browsing; nothing written
        Kept,       // still editing: refused, locked, or the user went back to the input
    };
    struct SaveResult {
        Saved outcome = Saved::NotEditing;
        RecordTexts texts;     // what the form shows now: the input with its placeholders
        QString numberToFind;  // the record to show after Stored or Discarded
        int problemField = -1; // the field to correct after a refusal
    };
    SaveResult DS_Speichern(const RecordTexts& typed, bool closing = false);

    Database* database() const { return m_db.get(); }
    // After the database's content was replaced by a backup: rsDaten is opened again and no
    // record counts as shown. A failure is shown.
    void reopenAfterRestore();

  private:
    void reopenDynaset();
    void fillChoiceLists();
    bool findInDynaset(qint64 nr);
    std::optional<RowSummary> storedSummary(qint64 nr);
    SaveResult storeNew(SaveResult result);
    SaveResult storeChange(SaveResult result);
    SaveResult kept(SaveResult result, int field = -1);
    SaveResult discarded(SaveResult result, const QString& nr);
    void writeFields(const RecordTexts& texts, bool newRecord);
    void showError(const QString& place, int number, const QString& description);
    void refuse(const QString& message);

    MessageBoxes& m_boxes;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<RecordSet> m_rsDaten;
    EditState m_state = EditState::Browse;
    ChoiceLists m_choices;
    QString m_lastSort = QStringLiteral("Nr");
    bool m_lastAscending = true;
    bool m_refreshLocked = false;
    // The record shown and its texts as shown: what a change is compared with before it is
    // written, so that another workstation's change is never overwritten silently.
    QString m_shownNr;
    RecordTexts m_shownTexts;
    qint64 m_changeNr = 0;
    RecordTexts m_changeBaseline;
    QString m_numberBeforeNew; // shown again when a new record is discarded
};
