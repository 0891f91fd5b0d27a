#pragma once

// Constructors of the record set implementations, for Database.

#include "recordset.h"
#include "snapshot.h"

#include <QString>

#include <memory>

struct sqlite3;

namespace store {

class Connection;

std::unique_ptr<RecordSet> openDynaset(std::shared_ptr<Connection> connection, const QString& sql);
std::unique_ptr<Snapshot> readSnapshot(sqlite3* db, const QString& sql);

} // namespace store
