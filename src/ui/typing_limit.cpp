#include "ui/typing_limit.h"

#include <QLineEdit>
#include <QValidator>

namespace ui {

namespace {

// The edit asks the validator both for what the user types or pastes and for texts the
// program sets; only the user's changes mark the edit modified. While it runs, the edit
// already holds the candidate, so the length to compare with is the last one taken.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit* edit, int maximum)
        : QValidator(edit), edit(edit), maximum(maximum), takenLength(edit->text().size()) {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { takenLength = text.size(); });
    }

    State validate(QString& input, int&) const override {
        const bool typed = edit->isModified();
        const bool grows = input.size() > takenLength;
        return typed && grows && input.size() > maximum ? Invalid : Acceptable;
    }

private:
    const QLineEdit* edit;
    int maximum;
    qsizetype takenLength;
};

} // namespace

void limitTyping(QLineEdit* edit, int maximum) {
    edit->setValidator(new TypingLimit(edit, maximum));
}

} // namespace ui
