#pragma once

// Private to the screen subsystem: the small actions of the sale screen.

#include <QString>

class SaleContext;

// Alt+A: the number of persons of the sale, checked against the branch's maximum.
class PersonsKeypad
{
public:
    explicit PersonsKeypad(SaleContext &context) : m_context(context) {}

    void spbNrPessoasClick();

    // Why a confirmed value is refused, as a message key; empty when accepted. `maximum` 0
    // means none.
    static QString refusalOf(const QString &typed, int maximum);

private:
    // The confirmed value; empty when the keypad was left.
    QString askUntilNotZero();
    int branchMaximum();

    SaleContext &m_context;
};

// The manual invoice number that goes with the sale.
class ManualInvoice
{
public:
    explicit ManualInvoice(SaleContext &context) : m_context(context) {}

    void spbVendaManuClick();

private:
    SaleContext &m_context;
};

// The loyalty-programme dialog of the sale-kind chooser, which ends the choice.
class LoyaltyDialog
{
public:
    explicit LoyaltyDialog(SaleContext &context) : m_context(context) {}

    void sbtFidelidadeClick();

private:
    SaleContext &m_context;
};

// The end-of-sale observation and the consumer e-mail, asked by the settlement before the
// sale is saved.
class SaleClosingTexts
{
public:
    explicit SaleClosingTexts(SaleContext &context) : m_context(context) {}

    void GetObsFinVen();
    void relacionaEmailVenda();

private:
    QString askEmail(const QString &stored);
    void markSaleRows(const QString &email, const QString &situation);

    SaleContext &m_context;
};
