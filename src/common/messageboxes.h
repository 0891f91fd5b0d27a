#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through this interface, so that tests can record what
// would be shown and answer it from a script. A box without a title of its own carries the
// program's title.
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

    static QString programTitle() { return QStringLiteral("Tarvex"); }

    // The box every record procedure shows on an error it traps:
    // "Fehler in <place>", empty line, "Nummer :<n> - <description>", plus optional lines.
    static QString errorText(const QString& place, int number, const QString& description,
                             const QStringList& closingLines = {});
    // What the user is told when a file the program writes (a PDF file, an exported table)
    // could not be written to path.
    static QString notWrittenText(const QString& path);
};
