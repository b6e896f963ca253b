#pragma once

#include "platform/message_boxes.h"

#include <QMessageBox>

class QWidget;

namespace ui {

// True when the text, wrapped as a message box wraps it, would make the box taller than
// the screen area available next to owner, so that its buttons could not be reached.
bool tooTallForMessageBox(const QString& text, const QWidget* owner);

// A message box whose text scrolls in a read-only view; the box and its buttons fit the
// screen area available next to owner. For texts that grow with their source, such as the
// change log.
platform::MessageBoxes::Answer scrollingTextBox(QWidget* owner, const QString& text,
                                                const QString& caption, QMessageBox::Icon icon,
                                                platform::MessageBoxes::Buttons buttons);

} // namespace ui
