#include "support/fake_message_boxes.h"

namespace testsupport {

namespace {

template <typename T> std::optional<T> takeFront(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    T front = queue.front();
    queue.pop_front();
    return front;
}

} // namespace

platform::MessageBoxes::Answer FakeMessageBoxes::messageBox(const QString& text,
                                                            const QString& caption, Icon icon,
                                                            Buttons buttons) {
    calls.push_back(Call{Kind::Message, text, caption, icon, buttons, QString()});
    const Answer fallback = buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    return takeFront(messageAnswers).value_or(fallback);
}

QString FakeMessageBoxes::inputBox(const QString& caption, const QString& prompt,
                                   const QString& preset) {
    calls.push_back(Call{Kind::Input, prompt, caption, Icon::None, Buttons::Ok, preset});
    return takeFront(inputAnswers).value_or(std::nullopt).value_or(preset);
}

QString FakeMessageBoxes::saveFileName(const QString& title, const QString& defaultSuffix) {
    calls.push_back(Call{Kind::SaveFile, QString(), title, Icon::None, Buttons::Ok, defaultSuffix});
    return takeFront(fileAnswers).value_or(QString());
}

QString FakeMessageBoxes::openFileName(const QString& filter, const QString& folder) {
    calls.push_back(Call{Kind::OpenFile, filter, QString(), Icon::None, Buttons::Ok, folder});
    return takeFront(fileAnswers).value_or(QString());
}

std::vector<FakeMessageBoxes::Call> FakeMessageBoxes::messages() const {
    std::vector<Call> result;
    for (const Call& call : calls) {
        if (call.kind == Kind::Message) {
            result.push_back(call);
        }
    }
    return result;
}

} // namespace testsupport
