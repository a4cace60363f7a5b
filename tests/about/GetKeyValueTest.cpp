#include "AboutBox.h"
#include "InMemoryRegistry.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tarnwick {
namespace {

const QByteArray Key = "SOFTWARE\\Test";

class GetKeyValueTest : public testing::Test {
protected:
    void Store(quint32 type, const QByteArray& bytes) { Values.SetValue(Key, "V", type, bytes); }
    bool Read(QString& keyVal) {
        return GetKeyValue(Values, Registry::LocalMachine, QString::fromLatin1(Key),
                           QStringLiteral("V"), keyVal);
    }

    InMemoryRegistry Values;
};

TEST_F(GetKeyValueTest, TextLosesOnlyAFinalNul) {
    QString keyVal;
    Store(Registry::TextType, QByteArray("C:\\Info\\msinfo32.exe\0", 21));
    ASSERT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("C:\\Info\\msinfo32.exe"));

    Store(Registry::TextType, QByteArray("C:\\Info"));
    ASSERT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("C:\\Info")) << "a value stored without NUL is kept whole";

    Store(Registry::TextType, QByteArray("ab\0\0", 4));
    ASSERT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QString::fromLatin1("ab\0", 3)) << "only the last character is cut";
    EXPECT_EQ(Values.OpenKeyCount(), 0u);
}

TEST_F(GetKeyValueTest, NumberBecomesHexDigitsOfItsBytesFromLastToFirst) {
    QString keyVal;
    Store(Registry::NumberType, QByteArray("\x10\x00\x00\x00", 4));
    ASSERT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("&h0010")) << "the final zero byte is cut like a NUL";

    keyVal.clear();
    Store(Registry::NumberType, QByteArray("\x01\x0b\xab\xcd", 4));
    ASSERT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("&hCDABB1")) << "upper case, no leading zeros";
}

TEST_F(GetKeyValueTest, OtherTypesCountAsFoundButLeaveTheValueAsItCameIn) {
    QString keyVal = QStringLiteral("before");
    Store(Registry::ExpandableTextType, QByteArray("%SystemRoot%\\x.exe\0", 19));
    EXPECT_TRUE(Read(keyVal));
    EXPECT_EQ(keyVal, QStringLiteral("before"));
}

TEST_F(GetKeyValueTest, MissingKeyOrValueClearsTheValueAndFails) {
    QString keyVal = QStringLiteral("before");
    EXPECT_FALSE(Read(keyVal));
    EXPECT_TRUE(keyVal.isEmpty());

    Values.SetValue(Key, "Other", Registry::TextType, "x");
    keyVal = QStringLiteral("before");
    EXPECT_FALSE(Read(keyVal));
    EXPECT_TRUE(keyVal.isEmpty());
    EXPECT_EQ(Values.OpenKeyCount(), 0u) << "the opened key is closed after a failed query";
}

TEST_F(GetKeyValueTest, ZeroByteValueIsAnErrorAndTheKeyIsStillClosed) {
    QString keyVal;
    Store(Registry::TextType, QByteArray());
    EXPECT_THROW(Read(keyVal), std::out_of_range);
    EXPECT_EQ(Values.OpenKeyCount(), 0u);
}

} // namespace
} // namespace tarnwick
