#include "recordingmessageboxes.h"

#include <QMetaObject>

MessageBoxes::Answer RecordingMessageBoxes::show(QWidget*, const QString& text, Buttons buttons,
                                                 Icon icon, const QString& title) {
    Shown s{title.isEmpty() ? programTitle() : title, text, buttons, icon};
    shown.push_back(s);
    if (onShow)
        onShow(s);
    if (!answers.empty()) {
        Answer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
}

void RecordingMessageBoxes::run(QDialog& dialog) {
    for (const QMetaObject* m = dialog.metaObject(); m; m = m->superClass()) {
        const auto script = m_dialogScripts.constFind(m->className());
        if (script != m_dialogScripts.constEnd()) {
            (*script)(dialog);
            break;
        }
    }
    if (dialog.isVisible() || dialog.result() != QDialog::Accepted)
        dialog.reject();
}

std::optional<QString> RecordingMessageBoxes::askPassword(QWidget*, const QString&,
                                                          const QString& prompt) {
    return password ? password(prompt) : std::nullopt;
}

void RecordingMessageBoxes::progressed(QProgressDialog& dialog) {
    if (progress)
        progress(dialog);
}

QStringList RecordingMessageBoxes::texts() const {
    QStringList result;
    for (const Shown& s : shown)
        result << s.text;
    return result;
}

std::function<void(QFileDialog&)> chooseFile(const QString& path, QString* proposed) {
    return [path, proposed](QFileDialog& dialog) {
        if (proposed)
            *proposed = dialog.selectedFiles().value(0);
        if (!path.isEmpty())
            dialog.selectFile(path);
        static_cast<QDialog&>(dialog).done(QDialog::Accepted);
    };
}
