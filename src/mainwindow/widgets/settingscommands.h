#pragma once

#include "commandcontext.h"
#include "printdialog.h"

#include <QObject>

#include <functional>

struct Settings;

// The commands on the settings in memory: "Druckereinri&chtung...", "&Drucken..." and the three
// tabs of "&Einstellungen". Applied options are reported by applied(); the orientation chosen in
// the printer set-up or the print dialog goes straight into the settings.
class SettingsCommands : public QObject {
    Q_OBJECT
  public:
    // printSetup changes what the print dialog is given (its printer, the printer check); may be
    // empty.
    SettingsCommands(const CommandContext& context,
                     std::function<void(PrintDialog::Setup&)> printSetup,
                     QObject* parent = nullptr);

    void pageSetup();
    void print();
    // The options dialog on one of its tabs (OptionsDialog::Tab) over the window.
    void openOptions(int tab);

  signals:
    void applied(const Settings& settings);

  private:
    void runOptions(int tab, QWidget* parent);

    CommandContext m_context;
    std::function<void(PrintDialog::Setup&)> m_printSetup;
};
