#pragma once

#include "platform/message_boxes.h"

#include <QString>

#include <deque>
#include <optional>
#include <vector>

namespace testsupport {

// Answers every box at once and records what was asked. Answers come from the queues the
// test fills; an empty queue gives the default: Ok for an OK box, No for a Yes/No box, the
// preset text for a prompt (as when the user cancels), an empty file name (cancelled).
class FakeMessageBoxes : public platform::MessageBoxes {
public:
    enum class Kind { Message, Input, SaveFile, OpenFile };

    struct Call {
        Kind kind = Kind::Message;
        QString text;    // message text, prompt, or the open dialog's filter
        QString caption; // caption, or the save dialog's title
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QString preset; // prompt preset, the save dialog's default suffix, the open one's folder
    };

    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString inputBox(const QString& caption, const QString& prompt, const QString& preset) override;
    QString saveFileName(const QString& title, const QString& defaultSuffix) override;
    QString openFileName(const QString& filter, const QString& folder) override;

    std::vector<Call> calls;
    std::deque<Answer> messageAnswers;
    // std::nullopt stands for the user cancelling the prompt.
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QString> fileAnswers;

    // The message boxes among the calls, in order.
    std::vector<Call> messages() const;
};

} // namespace testsupport
