#pragma once

#include "filelocations.h"
#include "settings.h"

#include <QStringList>

class MessageBoxes;
class RecordController;

// The program's start-up and the settings' way back at the end, without widgets: the folders,
// the diagnostic mode, the settings file (made from its template, read, the time of this start
// written), the database (made after a question when the file is missing, signed in to on a
// server) and the records opened. Every message goes through MessageBoxes.
class StartUp {
  public:
    StartUp(const FileLocations& files, MessageBoxes& boxes);

    // Runs the start-up into settings and records. False when the program must end (refused
    // or failed; what went wrong has been said).
    bool run(const QStringList& arguments, Settings& settings, RecordController& records);
    // "debug" anywhere in the arguments (case-sensitive): the diagnostic mode.
    bool debug() const { return m_debug; }

    // Writes the settings back at the end; says so when the file cannot be written.
    void saveSettings(const Settings& settings);

  private:
    void failed(int number, const QString& description);
    void settingsWarning(const QString& text, const QString& reason);

    FileLocations m_files;
    MessageBoxes& m_boxes;
    SettingsFile m_settingsFile;
    bool m_debug = false;
};
