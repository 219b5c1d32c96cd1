#include <outside/criptografa.h>

#include <gtest/gtest.h>

TEST(Criptografa, RoundTripKeepsEveryCharacter)
{
    const QString texts[] = {
        QStringLiteral("123456789012345678901234567890"),
        QStringLiteral("Ativação çãõ áéíóú ÀÉ ß €"),
        QStringLiteral("a"),
        QString(),
    };
    for (const QString &text : texts) {
        for (const int key : {0, 7, 12345, -99}) {
            bool ok = false;
            const QString cipher = Criptografa::Cripto(text, key);
            EXPECT_EQ(Criptografa::Uncripto(cipher, key, &ok), text) << key;
            EXPECT_TRUE(ok);
        }
    }
}

TEST(Criptografa, CipherIsHexAndHidesTheText)
{
    const QString cipher = Criptografa::Cripto(QStringLiteral("AAAA"), 12);
    EXPECT_EQ(cipher.size(), 8);
    EXPECT_EQ(cipher, cipher.toUpper());
    for (int i = 0; i < cipher.size(); i += 2) // no byte shows through as it was
        EXPECT_NE(cipher.mid(i, 2), QStringLiteral("41")) << i;
    EXPECT_NE(cipher, Criptografa::Cripto(QStringLiteral("AAAA"), 13));
    EXPECT_EQ(cipher, Criptografa::Cripto(QStringLiteral("AAAA"), 12)); // stable in stored files
}

TEST(Criptografa, BadInputGivesNothing)
{
    for (const char *bad : {"ABC", "ZZ", "12 4", "xyz1"}) {
        bool ok = true;
        EXPECT_EQ(Criptografa::Uncripto(QString::fromLatin1(bad), 3, &ok), QString()) << bad;
        EXPECT_FALSE(ok) << bad;
    }
}
