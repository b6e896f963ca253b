#pragma once

#include "support/fake_message_boxes.h"

#include <QStringList>

// The texts of the message boxes shown so far, in order.
inline QStringList messageTexts(const testsupport::FakeMessageBoxes& boxes) {
    QStringList texts;
    for (const testsupport::FakeMessageBoxes::Call& call : boxes.messages())
        texts.append(call.text);
    return texts;
}
