#include "ui/language_page.h"

#include "i18n/language_select.h"

#include <QLocale>
#include <QVBoxLayout>

namespace ui {

LanguagePage::LanguagePage(QWidget* parent) : TabSheet(parent) {
    setObjectName(QStringLiteral("LanguageSheet"));
    setCaption(QStringLiteral("Language"));

    // The settings store takes the page's direct children as its settings.
    LabelLanguage = new QLabel(QStringLiteral("Language:"), this);
    LabelLanguage->setObjectName(QStringLiteral("LabelLanguage"));
    ComboBoxLanguage = new QComboBox(this);
    ComboBoxLanguage->setObjectName(QStringLiteral("ComboBoxLanguage"));
    ComboBoxLanguage->setMinimumWidth(220);
    LabelLanguage->setBuddy(ComboBoxLanguage);
    LabelLanguageNextStart = new QLabel(QStringLiteral("Applies at the next start."), this);
    LabelLanguageNextStart->setObjectName(QStringLiteral("LabelLanguageNextStart"));
    LabelLanguageNextStart->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->addWidget(LabelLanguage);
    column->addWidget(ComboBoxLanguage, 0, Qt::AlignLeft);
    column->addWidget(LabelLanguageNextStart);
    column->addStretch();

    // A stored text that no entry shows any more (the desktop entry in another language, a
    // language file since removed) leaves no entry chosen: that is the desktop's language.
    connect(ComboBoxLanguage, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0 && ComboBoxLanguage->count() > 0)
            ComboBoxLanguage->setCurrentIndex(0);
    });
}

void LanguagePage::setLanguages(const i18n::LanguageSelect& language) {
    const QString chosen = chosenLanguage();
    ComboBoxLanguage->clear();
    ComboBoxLanguage->addItem(language.translate(QStringLiteral("LanguageDesktop")), QString());
    const QStringList& names = language.languages();
    const QStringList& locales = language.locales();
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString title = languageTitle(names[i], i < locales.size() ? locales[i] : QString());
        // Two files of one locale are told apart by their file's language name.
        if (ComboBoxLanguage->findText(title, Qt::MatchExactly) >= 0)
            title += QStringLiteral(" (") + names[i] + QLatin1Char(')');
        ComboBoxLanguage->addItem(title, names[i]);
    }
    const int index = ComboBoxLanguage->findData(chosen);
    ComboBoxLanguage->setCurrentIndex(index >= 0 ? index : 0);
}

QString LanguagePage::chosenLanguage() const {
    return ComboBoxLanguage->currentData().toString();
}

QString languageTitle(const QString& languageName, const QString& locale) {
    const QLocale known(locale);
    const QString title = known.language() == QLocale::C ? QString() : known.nativeLanguageName();
    return title.isEmpty() ? languageName : title;
}

} // namespace ui
