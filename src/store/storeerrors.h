#pragma once

// German descriptions of the refusals every engine reports alike.

#include "engineerror.h"

#include <QString>
#include <QVariant>

namespace store {

EngineError lockedError();
EngineError noCurrentRecord();
// A record whose number is taken; number may be invalid when it is not known.
EngineError duplicateNumber(const QVariant& number);
EngineError numberMissing();

} // namespace store
