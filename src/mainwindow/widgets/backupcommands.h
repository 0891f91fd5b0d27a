#pragma once

#include "commandcontext.h"

#include <QObject>

#include <memory>

class AutomaticBackups;

// The automatic backups at start and end, and "Datensicherung zurückspielen...": the copies
// listed, one chosen, checked and written back after a question.
class BackupCommands : public QObject {
    Q_OBJECT
  public:
    explicit BackupCommands(const CommandContext& context, QObject* parent = nullptr);
    ~BackupCommands() override;

    // A copy at the start when none was made within the last day; files only (a server's
    // database is backed up on the server).
    void atStart();
    // A copy at the end after records were stored, changed or deleted.
    void atShutdown();
    // Whether the database has a backup folder (a file opened at the start).
    bool available() const { return m_backups != nullptr; }

    void restore();

  signals:
    // The database holds the restored records now: the table is read anew.
    void restored();

  private:
    CommandContext m_context;
    std::unique_ptr<AutomaticBackups> m_backups;
};
