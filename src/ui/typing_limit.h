#pragma once

class QLineEdit;

namespace ui {

// Limits what the user can type or paste into the edit to `maximum` characters, the way the
// platform's edit limit works: a longer text that the program itself puts there (a state
// text such as "not configurable") is shown in full, and the user can still shorten it.
void limitTyping(QLineEdit* edit, int maximum);

} // namespace ui
