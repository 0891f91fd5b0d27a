#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QProgressDialog;
class QWidget;

// Every question the program asks goes through this interface: the message boxes, every modal
// dialog (file, font, page set-up, print, preview, restore, import preview), the password prompt
// and the progress of long jobs. Tests record what would be shown and answer it from a script;
// a new dialog needs nothing new here, it is run with run(). A box without a title of its own
// carries the program's title.
class MessageBoxes {
  public:
    enum class Icon { None, Critical, Question, Warning, Information };
    // YesNoOrBack: "Ja" and "Nein", and Escape or the window's close button answer Cancel, for a
    // question where "Nein" throws something away.
    enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel, YesNoOrBack };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~MessageBoxes() = default;
    // Shows a box and returns the button chosen. An empty title gives "Tarvex".
    virtual Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                        const QString& title = QString()) = 0;

    // Runs a modal dialog the caller has made ready and returns when it is closed; its result()
    // tells how.
    virtual void run(QDialog& dialog) = 0;
    // Asks for a password with this prompt; nothing when the user cancels.
    virtual std::optional<QString> askPassword(QWidget* parent, const QString& title,
                                               const QString& prompt) = 0;
    // Called at every step of a long job's progress, with the dialog updated.
    virtual void progressed(QProgressDialog& dialog) { (void)dialog; }

    static QString programTitle() { return QStringLiteral("Tarvex"); }

    // The box every record procedure shows on an error it traps:
    // "Fehler in <place>", empty line, "Nummer :<n> - <description>", plus optional lines.
    static QString errorText(const QString& place, int number, const QString& description,
                             const QStringList& closingLines = {});
    // What the user is told when a file the program writes (a PDF file, an exported table)
    // could not be written to path.
    static QString notWrittenText(const QString& path);
};
