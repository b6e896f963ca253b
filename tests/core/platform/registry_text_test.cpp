#include "platform/registry_text.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const RegistryKeyNode* key(const RegistryTextParse& parse, const QString& path) {
    return parse.root.find(path.split(u'\\'));
}

TEST(RegistryTextRead, AcceptsHandEditedFiles) {
    const QByteArray text = "\xef\xbb\xbf; comment\r\n"
                            "\r\n"
                            "  [SOFTWARE\\Kestrelwald]  \r\n"
                            "\"A\" = \"x\"\r\n"
                            "\"B\"=DWORD:FFFFFFFF\n"
                            "\"C\"=HEX:0A, ff ,00\n"
                            "\"D\"=dword:1\n"
                            "[software\\KESTRELWALD\\Sub]\n"
                            "[Software\\Kestrelwald]\n"
                            "\"E\"=hex:\n";
    const RegistryTextParse parse = readRegistryText(text);
    ASSERT_TRUE(parse.error.isEmpty()) << parse.error.toStdString();
    const RegistryKeyNode* node = key(parse, "software\\kestrelwald");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->value("a")->text, "x");
    EXPECT_EQ(node->value("B")->number, -1);
    EXPECT_EQ(node->value("C")->bytes, QByteArray("\x0a\xff\x00", 3));
    EXPECT_EQ(node->value("D")->number, 1);
    EXPECT_EQ(node->value("E")->type, RegType::Binary);
    EXPECT_EQ(node->children.size(), 1u);
    EXPECT_EQ(parse.root.children.size(), 1u);
}

TEST(RegistryTextRead, ValuesBeforeTheFirstKeyBelongToTheRoot) {
    RegistryKeyNode root;
    root.setValue("Top", RegValue{RegType::Integer, {}, 5, {}});
    root.findOrCreate({"a"});
    const RegistryTextParse parse = readRegistryText(writeRegistryText(root));
    ASSERT_TRUE(parse.error.isEmpty()) << parse.error.toStdString();
    EXPECT_EQ(parse.root.value("top")->number, 5);
    EXPECT_NE(parse.root.child("A"), nullptr);
}

struct Damage {
    const char* text;
    const char* where;
};

class RegistryTextDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(RegistryTextDamage, IsRejectedWithItsLineAndNothingIsKept) {
    const RegistryTextParse parse = readRegistryText(GetParam().text);
    EXPECT_TRUE(parse.error.startsWith(GetParam().where)) << parse.error.toStdString();
    EXPECT_TRUE(parse.root.children.empty());
    EXPECT_TRUE(parse.root.values.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Damages, RegistryTextDamage,
    ::testing::Values(
        Damage{"[a]\n\"v\"=\"open\n", "line 2:"},
        Damage{"[a]\n\"v\"=\"bad \\q escape\"\n", "line 2:"},
        Damage{"[a]\n\"v\"=\"\\u12\"\n", "line 2:"},
        Damage{"[a]\n\"v\"=dword:123456789\n", "line 2:"}, Damage{"[a]\n\"v\"=dword:\n", "line 2:"},
        Damage{"[a]\n\"v\"=dword:12 34\n", "line 2:"}, Damage{"[a]\n\"v\"=hex:1,2\n", "line 2:"},
        Damage{"[a]\n\"v\"=hex:0102\n", "line 2:"}, Damage{"[a]\n\"v\"=hex:01,\n", "line 2:"},
        Damage{"[a]\n\"v\"=qword:1\n", "line 2:"}, Damage{"[a]\n\"v\" \"x\"\n", "line 2:"},
        Damage{"[a]\nv=1\n", "line 2:"}, Damage{"\n\n[a\n", "line 3:"},
        Damage{"[\\\\]\n", "line 1:"}, Damage{"[a%4]\n", "line 1:"}, Damage{"[a%zz]\n", "line 1:"},
        Damage{"[a]\n[b%5cc]\n", "line 2:"}, Damage{"[%5C]\n", "line 1:"},
        Damage{"\xff\xfe[a]\n", "the file is not UTF-8"},
        Damage{"[a]\n\"v\"=\"x\" trailing\n", "line 2:"}));

} // namespace
