#include "i18n/language_select.h"
#include "platform/registry.h"

#include "support/lang_folder.h"

using i18n::LanguageSelect;
using platform::RegistryStore;

namespace {

const QString kPath = QStringLiteral("\\SOFTWARE\\Kestrelwald\\");

class RememberedLanguage : public LangFolder {
protected:
    void SetUp() override {
        writeLang("english_en_gb.ini", "hello=Hello\n");
        writeLang("german_de_de.ini", "hello=Hallo\n");
    }

    std::optional<QString> stored(const RegistryStore& store) const {
        const std::optional<platform::RegValue> value =
            store.value(QStringLiteral("\\software\\kestrelwald\\"), QStringLiteral("UserLang"));
        if (!value || value->type != platform::RegType::String)
            return std::nullopt;
        return value->text;
    }
};

} // namespace

TEST_F(RememberedLanguage, ReadingAListedLanguageRemembersIt) {
    RegistryStore store(programDir() + "/registry.txt");
    LanguageSelect language(&store, kPath, programDir(), 2057);
    ASSERT_TRUE(language.initLangs());
    ASSERT_TRUE(language.readFile("german"));
    EXPECT_EQ(stored(store), "german");

    // The value is in the file, not only in memory.
    RegistryStore reloaded(programDir() + "/registry.txt");
    reloaded.load();
    EXPECT_EQ(stored(reloaded), "german");
}

TEST_F(RememberedLanguage, AnUnknownOrEmptyLanguageWritesNothing) {
    RegistryStore store(programDir() + "/registry.txt");
    LanguageSelect language(&store, kPath, programDir(), 2057);
    language.initLangs();
    EXPECT_FALSE(language.readFile("klingon"));
    EXPECT_FALSE(language.readFile(""));
    EXPECT_EQ(stored(store), std::nullopt);
}

TEST_F(RememberedLanguage, AStoreThatCannotBeWrittenIsPassedOverSilently) {
    // The store's folder would have to be inside a plain file.
    write("blocker", "not a folder");
    RegistryStore store(programDir() + "/blocker/registry.txt");
    LanguageSelect language(&store, kPath, programDir(), 2057);
    language.initLangs();
    EXPECT_TRUE(language.readFile("german"));
    EXPECT_EQ(language.translate("hello"), "Hallo");
    EXPECT_EQ(stored(store), std::nullopt);
}

TEST_F(RememberedLanguage, WithoutAStoreNothingIsRemembered) {
    LanguageSelect language(nullptr, kPath, programDir(), 2057);
    language.initLangs();
    EXPECT_TRUE(language.readFile("german"));
    EXPECT_EQ(language.translate("hello"), "Hallo");
}
