#pragma once

// Private steps of the consumer limits: the personal-credit and consumer-debit checks, the
// daily quantity of personal credit, the daily service limits, the subsidy split and the
// minimum consumption. Never included outside src/consumer/.

#include <runtime/datapacket.h>
#include <runtime/money.h>
#include <runtime/variant.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>

class ClientDataSet;
enum class ConsumerLimit;
class SaleContext;
struct SaleState;
class SaleDatasets;

namespace Limits {

// A limit as the back office left it: none (an empty or blank text, a null column), a number,
// or a text that does not read as a number, which refuses the item rather than letting it pass.
struct Limit
{
    enum class Kind { None, Value, Invalid };
    Kind kind = Kind::None;
    double value = 0.0;
    QString text; // what was read, for the message of an invalid limit

    bool applies() const { return kind != Kind::None; }
};
Limit readLimit(const QString &text);
Limit readLimit(const Variant &value);
// The column of the current row; a closed dataset, no row or no such column is no limit.
Limit readLimit(const ClientDataSet &dataSet, const QString &field);

// The till's side of the rule the server validates with (runtime/limitrule.h).
bool exceedsMaximum(double limit, double total);
bool belowLevel(double level, double remaining);

// Cent rounding of the subsidy split: x * 100 + 0.005 to the nearest integer, ties to the
// even one, back to cents. Worked on the decimal digits, not on binary noise.
double centRound(double value);

// How a sale row's unit price divides between the consumer (P) and the subsidy (C).
struct UnitSplit
{
    double P = 0.0;
    double C = 0.0;
};
// The subsidy covers the whole row of value V and quantity Q.
UnitSplit wholeCover(double V, double Q);
// The consumer's own subsidy R covers part of the row: both parts cent-rounded.
UnitSplit partialSubsidy(double V, double Q, double R);
// The basic balance B covers part of the row; the parts are then made to add up to the row's
// unit value V / Q at cents (the row's discount and addition are spread over its units, so
// Q * (P + C) gives back V).
UnitSplit partialBasic(double V, double Q, double B);

// Reads an argument text of the checks (decimal comma); an empty text is 0.
bool readNumber(const QString &text, double &value);

// What the checks share: the sale's context, the consumer as messages name it, refusals.
class Steps
{
protected:
    explicit Steps(SaleContext &context);

    SaleState &state() const;
    SaleDatasets &data() const;
    // Consumer code, " - " and name.
    QString consumerText() const;
    // An error message (kind 3) from the form's tables, its placeholders filled in order.
    void refuse(const QString &key, const QStringList &args = {}) const;
    void warn(const QString &text) const;
    // Refuses a limit or argument that does not read as a number, naming it.
    void refuseUnreadable(const QString &name, const QString &text) const;
    // Reads a limit; false (refused, named) when it does not convert.
    bool limitOf(const QString &name, const Limit &limit) const;
    // Fills `target` from a checked server answer's packet (empty dataset for any other answer).
    static void load(ClientDataSet &target, const Variant &value);

    SaleContext &m_context;
};

// Valida_Parametros_Credito_Pessoal.
class CreditLimits : Steps
{
public:
    struct Arguments
    {
        QString Family, Quantity, UnitPrice, ClientPrice, Discount, Addition, FromSettle, ComboFlag;
    };
    explicit CreditLimits(SaleContext &context) : Steps(context) {}
    bool run(const Arguments &arguments);

private:
    bool readArguments();
    bool prepare();
    bool gateOpen() const;
    bool maxima();
    bool maximum(const QString &name, const Limit &limit, double spent, const QString &key, ConsumerLimit which);
    bool balanceFloor();
    bool lowBalanceWarning();
    bool familyNoNegative();
    void refuseNegative() const;
    // A family before the item's in approval order, as the family order answered it.
    struct Lender
    {
        QString family, order, negative;
        double balance = 0.0;
    };
    bool coveredByLoan() const;
    QList<Lender> earlierFamilies() const;
    QList<std::pair<QString, double>> saleAmounts() const;
    QString lenderFor(const QString &family, const QString &order, double missing, const QList<Lender> &lenders,
                      const QList<std::pair<QString, double>> &amounts, const QMap<QString, double> &moved) const;
    double familyBalance(const QString &family, const QList<Lender> &lenders) const;
    bool familyDaily();
    double familyInSale() const;
    double itemPart() const;
    double salePart() const;
    double remaining() const;

    Arguments m_args;
    bool m_settle = false;
    double m_itemValue = 0.0;
    double m_displayed = 0.0;
    bool m_familyFound = false;
    double m_balance = 0.0;
    QString m_familyName;
};

// Valida_Parametros_Debito_Consumidor.
class DebitLimits : Steps
{
public:
    struct Arguments
    {
        QString Quantity, UnitPrice, ClientPrice, Discount, Addition, FromSettle;
    };
    explicit DebitLimits(SaleContext &context) : Steps(context) {}
    bool run(const Arguments &arguments);

private:
    bool readArguments();
    bool basicBalance();
    bool extraBalance();
    bool maximum(const QString &name, const Limit &limit, double spent, const QString &key, ConsumerLimit which,
                 bool recordRefused);
    bool balanceFloor();
    bool lowBalanceWarning();
    void refuseBalances();
    double part() const;

    Arguments m_args;
    bool m_settle = false;
    double m_quantity = 0.0;
    double m_unitPrice = 0.0;
    double m_itemValue = 0.0;
    double m_displayed = 0.0;
};

// Valida_QtdeDia_Credito_Pessoal.
class DailyQuantity : Steps
{
public:
    explicit DailyQuantity(SaleContext &context) : Steps(context) {}
    bool run(const QString &Family, const QString &Product, const QString &Quantity, const ClientDataSet &Items);
};

// Valida_Produtos_Servico and Servico_Consu_Qtde.
class ServiceLimits : Steps
{
public:
    struct Item
    {
        QString CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDTIPOCONS, CDPRODUTO, NMPRODUTO;
        double quantity = 0.0;
        double unitValue = 0.0;
    };
    explicit ServiceLimits(SaleContext &context) : Steps(context) {}
    bool validate(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Quantity,
                  const QString &UnitPrice, const QString &ClientPrice, const ClientDataSet &Items);
    bool check(const Item &item, const DataPacket &items, const DataPacket &typeRows, const DataPacket &serviceRows);

private:
    bool quantityLimit(const Item &item, const QString &service, const Limit &limit, double inSale);
    bool valueLimit(const Item &item, const QString &service, const Limit &limit, double inService);
    bool dayFigure(const Variant &answer, const QString &method, const QStringList &context, double &value);
};

// VerifVrSubsBasico, VerifVrSubsBasicExtra and VerifVrMinConsumoProd.
class Subsidy : Steps
{
public:
    explicit Subsidy(SaleContext &context) : Steps(context) {}
    void consumerSubsidy(double &total);
    void balances(double &total);
    void minimumConsumption(const QString &CDPRODUTO);

private:
    struct Row
    {
        QString CDPRODUTO;
        double Q = 0.0, P = 0.0, C = 0.0, D = 0.0, A = 0.0;
        double value() const { return (P + C) * Q - D + A; }
        // The row's value to the cent as the sale counts it: a whole balance covers this, not
        // its quantity times a rounded unit (3 x 0,97 would book 2,91 for a row of 2,90).
        double cents() const { return Money::RoundDec(Money::Trunc2((P + C) * Q) - D + A, 2); }
    };
    static double coveredPart(const Row &row, const UnitSplit &split, double left);
    Row currentRow() const;
    void writeRow(const UnitSplit &split);
    bool subsidised(const QString &CDPRODUTO) const;
    void basicThenExtra(const Row &row, double &total);
    void basicOnly(const Row &row, double &total);
    void extraOnly(const Row &row, double &total);
    bool consumedToday(const QString &CDPRODUTO);
};

} // namespace Limits
