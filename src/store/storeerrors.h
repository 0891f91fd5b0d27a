#pragma once

// German descriptions of the refusals every engine reports alike.

#include "engineerror.h"

#include <QString>
#include <QVariant>

namespace store {

EngineError lockedError();
EngineError noCurrentRecord();
EngineError rangeError(const char* field);
// A record refused by one of the table's named rules ("<Field>_Laenge", "<Field>_leer",
// "<Field>_Bereich"); message is the engine's own text, shown for a rule of another name.
EngineError ruleRefused(const QString& constraint, const QString& message);
// A record whose number is taken; number may be invalid when it is not known.
EngineError duplicateNumber(const QVariant& number);
EngineError numberMissing();

} // namespace store
