#include "editstate.h"

QString editCaption(EditState state) {
    switch (state) {
    case EditState::New:
        return QStringLiteral("Tarvex - Ein neuer Datensatz wird angelegt");
    case EditState::Change:
        return QStringLiteral("Tarvex - Datensatz wird geändert");
    case EditState::Browse:
        break;
    }
    return QString();
}

RecordMenuStates recordMenuStates(EditState state, bool hasRecords) {
    RecordMenuStates s;
    if (isEditing(state)) {
        s.speichern = true;
        return s;
    }
    s.neu = true;
    s.aendern = hasRecords;
    s.loeschen = hasRecords;
    return s;
}
