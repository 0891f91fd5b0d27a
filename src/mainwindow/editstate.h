#pragma once

#include <QString>

// The main window is browsing records, entering a new record or changing the shown one. One value
// instead of two flags, so the two editing states can never both be set.
enum class EditState { Browse, New, Change };

inline bool isEditing(EditState state) {
    return state != EditState::Browse;
}

// The window caption an editing state sets: "Tarvex - Ein neuer Datensatz wird angelegt" or
// "Tarvex - Datensatz wird geändert"; empty for browsing, whose caption start-up and saving set.
QString editCaption(EditState state);

// The caption after every save or discard.
inline QString browseCaptionAfterSave() {
    return QStringLiteral("Tarvex - Morvelin");
}

// Enabled states of the four record commands "&Neu", "Änd&ern", "&Löschen " and "&Speichern".
struct RecordMenuStates {
    bool neu = false;
    bool aendern = false;
    bool loeschen = false;
    bool speichern = false;
    bool operator==(const RecordMenuStates&) const = default;
};

// While a record is entered or changed only "&Speichern" is enabled, whatever the record set
// holds. Browsing, "&Neu" is always enabled (also on an empty table), change and delete only when
// the window's record set has records, and there is nothing to save.
RecordMenuStates recordMenuStates(EditState state, bool hasRecords);
