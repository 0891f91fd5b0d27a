#pragma once

#include "messageboxes.h"

#include <QByteArray>
#include <QDialog>
#include <QFileDialog>
#include <QMap>

#include <functional>
#include <vector>

// Records every box and answers from a script: the answers given in order, then Ok, or Yes for a
// question. A dialog is answered by the script given for its class (or a base class of it);
// one without a script, or one its script leaves open, is cancelled.
class RecordingMessageBoxes : public MessageBoxes {
  public:
    struct Shown {
        QString title;
        QString text;
        Buttons buttons;
        Icon icon;
    };
    Answer show(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
                const QString& title = QString()) override;
    void run(QDialog& dialog) override;
    std::optional<QString> askPassword(QWidget* parent, const QString& title,
                                       const QString& prompt) override;
    void progressed(QProgressDialog& dialog) override;
    // The texts of the boxes shown.
    QStringList texts() const;

    // Answers every later dialog of class D (and of its subclasses) with script; an empty script
    // cancels them again.
    template <class D> void answer(std::function<void(D&)> script) {
        const QByteArray name = D::staticMetaObject.className();
        if (!script)
            m_dialogScripts.remove(name);
        else
            m_dialogScripts[name] = [script](QDialog& d) { script(static_cast<D&>(d)); };
    }
    // Answers the password prompt (cancelled when empty), and sees every step of a long job.
    std::function<std::optional<QString>(const QString& prompt)> password;
    std::function<void(QProgressDialog&)> progress;

    std::vector<Shown> shown;
    std::vector<Answer> answers; // consumed front to back
    std::function<void(const Shown&)> onShow;

  private:
    QMap<QByteArray, std::function<void(QDialog&)>> m_dialogScripts;
};

// Answers a file dialog with path (with the path it proposes when empty); proposed, when given,
// gets the path the dialog proposed.
std::function<void(QFileDialog&)> chooseFile(const QString& path, QString* proposed = nullptr);
