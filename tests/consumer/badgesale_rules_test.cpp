#include <consumer/badgesale_p.h>

#include <gtest/gtest.h>

// The pure rules of the badge sale, each on its table of cases.

namespace {

struct LetterCase
{
    const char *typeLetter;
    const char *kinds;
    const char *letter;
};

class AccountLetter : public ::testing::TestWithParam<LetterCase>
{
};

TEST_P(AccountLetter, ComesFromTheTypeElseFromTheAllowedKinds)
{
    const LetterCase &c = GetParam();
    EXPECT_EQ(BadgeSaleRules::accountLetter(QString::fromLatin1(c.typeLetter), QString::fromLatin1(c.kinds)),
              QString::fromLatin1(c.letter));
}

INSTANTIATE_TEST_SUITE_P(Table, AccountLetter,
                         ::testing::Values(LetterCase{"D", "7", "D"}, LetterCase{"", "4", "A"}, LetterCase{"", "7", "A"},
                                           LetterCase{"", "5", "D"}, LetterCase{"", "6", "C"}, LetterCase{"", "1", ""},
                                           LetterCase{"", "2", ""}, LetterCase{"", "3", ""}, LetterCase{"", "", ""}));

struct PayrollCase
{
    QDate today;
    const char *closingDay;
    QDate start;
    const char *text;
};

class PayrollPeriod : public ::testing::TestWithParam<PayrollCase>
{
};

TEST_P(PayrollPeriod, StartsAfterTheClosingDayOfThisOrThePreviousMonth)
{
    const PayrollCase &c = GetParam();
    QString text;
    EXPECT_EQ(BadgeSaleRules::payrollPeriodStart(c.today, QString::fromLatin1(c.closingDay), &text), c.start);
    EXPECT_EQ(text, QString::fromLatin1(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PayrollPeriod,
    ::testing::Values(PayrollCase{QDate(2025, 3, 5), "10", QDate(2025, 2, 10), "10/2/2025"},
                      PayrollCase{QDate(2025, 3, 20), "10", QDate(2025, 3, 10), "10/03/2025"},
                      // The day equal to the closing day still belongs to the previous period.
                      PayrollCase{QDate(2025, 3, 10), "10", QDate(2025, 2, 10), "10/2/2025"},
                      PayrollCase{QDate(2024, 3, 10), "31", QDate(2024, 2, 29), "29/2/2024"},
                      PayrollCase{QDate(2025, 3, 10), "31", QDate(2025, 2, 28), "28/2/2025"},
                      // January goes back to December of the year before.
                      PayrollCase{QDate(2025, 1, 5), "20", QDate(2024, 12, 20), "20/12/2024"},
                      // A closing day the month does not have ends on its last day, a valid date.
                      PayrollCase{QDate(2025, 5, 10), "31", QDate(2025, 4, 30), "30/4/2025"},
                      PayrollCase{QDate(2025, 3, 7), "5", QDate(2025, 3, 5), "5/03/2025"}));

struct KindsCase
{
    const char *code;
    bool debit, credit, cash, valid;
};

class AllowedKinds : public ::testing::TestWithParam<KindsCase>
{
};

TEST_P(AllowedKinds, OfferTheKindsOfTheCode)
{
    const KindsCase &c = GetParam();
    const BadgeSaleRules::AllowedKinds kinds = BadgeSaleRules::allowedKinds(QString::fromLatin1(c.code));
    EXPECT_EQ(kinds.debit, c.debit);
    EXPECT_EQ(kinds.credit, c.credit);
    EXPECT_EQ(kinds.cash, c.cash);
    EXPECT_EQ(kinds.valid, c.valid);
}

INSTANTIATE_TEST_SUITE_P(Table, AllowedKinds,
                         ::testing::Values(KindsCase{"1", true, false, false, true}, KindsCase{"2", false, true, false, true},
                                           KindsCase{"3", false, false, true, true}, KindsCase{"4", true, true, false, true},
                                           KindsCase{"5", true, false, true, true}, KindsCase{"6", false, true, true, true},
                                           KindsCase{"7", true, true, true, true}, KindsCase{"8", false, false, false, false},
                                           KindsCase{"0", false, false, false, false}, KindsCase{"", false, false, false, false},
                                           KindsCase{"17", false, false, false, false}));

struct WindowCase
{
    const char *now, *start, *end;
    bool open, cashOpen;
};

class ServiceWindow : public ::testing::TestWithParam<WindowCase>
{
};

TEST_P(ServiceWindow, IsOpenInsideItsHours)
{
    const WindowCase &c = GetParam();
    const QString now = QString::fromLatin1(c.now), start = QString::fromLatin1(c.start), end = QString::fromLatin1(c.end);
    EXPECT_EQ(BadgeSaleRules::serviceOpen(now, start, end), c.open);
    EXPECT_EQ(BadgeSaleRules::cashServiceOpen(now, start, end), c.cashOpen);
}

INSTANTIATE_TEST_SUITE_P(Table, ServiceWindow,
                         ::testing::Values(WindowCase{"1400", "1100", "1400", true, false},
                                           WindowCase{"1401", "1100", "1400", false, false},
                                           WindowCase{"1100", "1100", "1400", true, true},
                                           WindowCase{"1059", "1100", "1400", false, false},
                                           WindowCase{"0130", "2200", "0200", true, false},
                                           WindowCase{"2230", "2200", "0200", true, false},
                                           WindowCase{"0201", "2200", "0200", false, false},
                                           WindowCase{"1200", "1200", "1200", false, false}));

TEST(FirstDayOfMonth, IsMidnightOfDayOne)
{
    EXPECT_EQ(BadgeSaleRules::PrimeiroDiaMes(QDateTime(QDate(2025, 12, 31), QTime(17, 40))),
              QDateTime(QDate(2025, 12, 1), QTime(0, 0)));
    EXPECT_EQ(BadgeSaleRules::PrimeiroDiaMes(QDateTime(QDate(2024, 3, 1), QTime(0, 0))), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
}

} // namespace
