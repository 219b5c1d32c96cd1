#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <gtest/gtest.h>

TEST(Variant, FailureIsItsOwnKindAndNeverAText)
{
    const Variant failure = Variant::failure(QStringLiteral("ORA-00942: table does not exist"));
    EXPECT_TRUE(failure.isFailure());
    EXPECT_FALSE(failure.isText());
    EXPECT_EQ(failure.failureText(), QStringLiteral("ORA-00942: table does not exist"));
    EXPECT_NE(failure, Variant(QStringLiteral("ORA-00942: table does not exist")));
}

TEST(Variant, TextsConvertWithTheDecimalComma)
{
    struct Case { const char *text; double value; bool ok; };
    const Case cases[] = {
        {"1,5", 1.5, true}, {"1.5", 1.5, true}, {" 12 ", 12.0, true},
        {"-0,01", -0.01, true}, {"abc", 0.0, false}, {"1.234,5", 0.0, false},
    };
    for (const Case &c : cases) {
        bool ok = false;
        EXPECT_DOUBLE_EQ(Variant(c.text).toDouble(&ok), c.value) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    EXPECT_EQ(Variant(2.5).toString(), QStringLiteral("2,5"));
    EXPECT_EQ(Variant(0.1 + 0.2).toString(), QStringLiteral("0,3"));
    EXPECT_EQ(Variant(100.0).toString(), QStringLiteral("100"));
}

TEST(Variant, ArrayElementsAreCopiedOnWrite)
{
    Variant answer = Variant::array(10);
    Variant copy = answer;
    answer.setAt(4, QStringLiteral("CUPOM"));
    EXPECT_EQ(answer.at(4).toString(), QStringLiteral("CUPOM"));
    EXPECT_TRUE(copy.at(4).isEmpty());
    EXPECT_TRUE(answer.at(42).isEmpty());
}

TEST(Variant, PacketKeepsItsRows)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDPRODUTO"), FieldType::String, 20}};
    packet.rows = {{Variant(QStringLiteral("0101"))}, {Variant::null()}};
    const Variant value(packet);
    ASSERT_TRUE(value.isPacket());
    EXPECT_EQ(value.packet().value(0, QStringLiteral("cdproduto")).toString(), QStringLiteral("0101"));
    EXPECT_TRUE(value.packet().value(1, QStringLiteral("CDPRODUTO")).isNull());
    EXPECT_EQ(value, Variant(packet));
}
