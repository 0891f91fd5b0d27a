#include "childinformation.h"

#include "busypointer.h"
#include "editstate.h"
#include "listdocument.h"
#include "messageboxes.h"
#include "recordcontroller.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// A part of a file name made of a name: characters a folder cannot hold and blanks become "_".
QString fileNamePart(const QString& name) {
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\s]+"));
    QString part = name.trimmed();
    part.replace(unsafe, QStringLiteral("_"));
    return part.isEmpty() || part == QLatin1String("-") ? QStringLiteral("_") : part;
}

} // namespace

ChildInformation::ChildInformation(const CommandContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

void ChildInformation::write() {
    RecordController& records = *m_context.records;
    MessageBoxes& boxes = *m_context.boxes;
    QWidget* window = m_context.window;
    const QString nr = records.shownNr();
    if (nr.isEmpty() || isEditing(records.state()))
        return;
    // What is stored, read afresh: the form may show what another workstation has changed since.
    const RecordController::ReadResult read = records.Data_Reposition(nr);
    if (read.outcome == RecordController::Read::Missing) {
        emit recordGone(nr);
        return;
    }
    if (read.outcome != RecordController::Read::Done)
        return;
    auto text = [&read](const char* name) {
        return read.texts[size_t(fieldIndex(QString::fromLatin1(name)))];
    };
    const std::optional<QString> path =
        askPdfPath(window, QStringLiteral("Auskunft als PDF-Datei speichern"),
                   QStringLiteral("InfoFileDialog"), m_context.documentsFolder,
                   QStringLiteral("Auskunft_%1_%2.pdf")
                       .arg(fileNamePart(text("KNach")), fileNamePart(text("KVor"))),
                   boxes);
    if (!path)
        return;

    BusyPointer busy;
    const std::unique_ptr<ListDocument> document =
        childInfoDocument(read.texts, *m_context.settings,
                          m_context.now().date().toString(QStringLiteral("dd.MM.yyyy")));
    if (document->result() != ListPlan::Result::Pages) {
        boxes.show(window,
                   QStringLiteral("Die Seitenränder und Schriften lassen auf der Seite keinen "
                                  "Platz für die Auskunft. Bitte verkleinern Sie sie unter "
                                  "\"Einstellungen\" - \"Seitenlayout\"."),
                   MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
        return;
    }
    if (savePdf(*document, *path) == OutputResult::Done) {
        emit statusMessage(QStringLiteral("Die Auskunft ist gespeichert: %1")
                               .arg(QDir::toNativeSeparators(*path)));
        return;
    }
    boxes.show(window, MessageBoxes::notWrittenText(*path), MessageBoxes::Buttons::Ok,
               MessageBoxes::Icon::Warning);
}
