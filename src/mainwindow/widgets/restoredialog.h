#pragma once

#include "backupfolder.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

// "Datensicherung zurückspielen": the copies of the database, newest first, with the date, the
// time and the number of records of each (or that it cannot be read). The user chooses one;
// the window asks and restores it.
class RestoreDialog : public QDialog {
    Q_OBJECT
  public:
    RestoreDialog(const QList<BackupEntry>& entries, const QString& folder,
                  QWidget* parent = nullptr);

    // The copy chosen, or nothing.
    std::optional<BackupEntry> chosen() const;

  private:
    QList<BackupEntry> m_entries;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_restore = nullptr;
};

// "01.03.2024" and "07:45:00" as the dialog and the messages show a copy's time.
QString backupDate(const QDateTime& time);
QString backupTime(const QDateTime& time);
