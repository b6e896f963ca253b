#pragma once

#include <QObject>
#include <QString>

namespace i18n {

class LanguageSelect;

// Reads the language lang (the default language when empty) into the current tables and
// gives the component and every named component below it the text its object name
// translates to. Names starting with a capital "N" (the menu separators N1, N2, ...) and
// Qt's own internal children are left alone.
void initCaptions(LanguageSelect& language, QObject* component, const QString& lang);

// Replaces the caption of a menu item, check box, panel, tab sheet, label or window, in
// this order of kinds, by text; an empty caption stays empty and other kinds (buttons,
// edits, ...) are not touched.
void applyCaption(QObject* component, const QString& text);

} // namespace i18n
