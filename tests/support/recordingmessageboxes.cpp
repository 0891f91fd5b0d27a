#include "recordingmessageboxes.h"

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
