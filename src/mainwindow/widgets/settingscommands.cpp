#include "settingscommands.h"

#include "optionsdialog.h"
#include "recordcontroller.h"

#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>

SettingsCommands::SettingsCommands(const CommandContext& context,
                                   std::function<void(PrintDialog::Setup&)> printSetup,
                                   QObject* parent)
    : QObject(parent), m_context(context), m_printSetup(std::move(printSetup)) {}

void SettingsCommands::pageSetup() {
    Settings& settings = *m_context.settings;
    // The dialog opens with the current orientation, so cancelling it changes nothing.
    QPrinter printer;
    printer.setPageOrientation(settings.Hochformat ? QPageLayout::Portrait
                                                   : QPageLayout::Landscape);
    QPageSetupDialog dialog(&printer, m_context.window);
    m_context.boxes->run(dialog);
    settings.Hochformat = printer.pageLayout().orientation() == QPageLayout::Portrait;
}

void SettingsCommands::openOptions(int tab) {
    runOptions(tab, m_context.window);
}

void SettingsCommands::runOptions(int tab, QWidget* parent) {
    OptionsDialog dialog(*m_context.settings, tab, *m_context.boxes, parent);
    connect(&dialog, &OptionsDialog::applied, this, &SettingsCommands::applied);
    dialog.exec();
}

void SettingsCommands::print() {
    // The lists read the file on their own: the table's selection and the record shown stay as
    // they are, and a record being entered or changed keeps its input.
    Settings& settings = *m_context.settings;
    PrintDialog::Setup setup;
    setup.database = m_context.records->database();
    setup.settings = settings;
    setup.boxes = m_context.boxes;
    QPointer<PrintDialog> shown;
    setup.openPageLayout = [this, &shown] {
        runOptions(OptionsDialog::PageTab, shown.data());
        return *m_context.settings;
    };
    if (m_printSetup)
        m_printSetup(setup);
    PrintDialog dialog(std::move(setup), m_context.window);
    shown = &dialog;
    connect(&dialog, &PrintDialog::hochformatChanged, this,
            [&settings](bool portrait) { settings.Hochformat = portrait; });
    dialog.exec();
}
