#pragma once

#include <QString>

#include <functional>

class MessageBoxes;

// Signs in to the database server named by an address: asks for the password when the server
// wants one (again after a refusal, until the user gives up; it is kept only for this run, never
// in the settings), offers to make a missing table, and says what is wrong when the server cannot
// be reached. Every question goes through MessageBoxes.
class ServerSignIn {
  public:
    // Opens the database with this password; throws EngineError as Database::open does.
    using Open = std::function<void(const QString& password)>;
    // Makes the table "Daten" on the server.
    using MakeTable = std::function<void(const QString& password)>;

    explicit ServerSignIn(MessageBoxes& boxes);

    // Whether the database is open. Failures other than the sign-in's own are thrown on.
    bool open(const QString& address, const Open& open, const MakeTable& makeTable);

    // The password question for the address; refused puts the server's refusal first.
    static QString passwordPrompt(const QString& address, bool refused);

  private:
    MessageBoxes& m_boxes;
};
