#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class MessageBoxes;
class QWidget;
class RecordController;
struct Settings;

// What the window's command parts share: the window their dialogs open over, the questions, the
// records, the settings in memory, where files are proposed and the clock.
struct CommandContext {
    QWidget* window = nullptr;
    MessageBoxes* boxes = nullptr;
    RecordController* records = nullptr;
    Settings* settings = nullptr;
    // Where the information for parents and exported tables are proposed; empty: the user's
    // documents folder.
    QString documentsFolder;
    // The time now; empty: the system's clock.
    std::function<QDateTime()> clock;

    QDateTime now() const { return clock ? clock() : QDateTime::currentDateTime(); }
};
