#pragma once

#include "messageboxes.h"

#include <functional>
#include <vector>

// Records every box and answers from a script: the answers given in order, then Ok, or Yes for a
// question.
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

    std::vector<Shown> shown;
    std::vector<Answer> answers; // consumed front to back
    std::function<void(const Shown&)> onShow;
};
