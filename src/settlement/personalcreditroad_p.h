#pragma once

#include "settlement.h"
#include "settlement_p.h"
#include "settlementend_p.h"

#include <outside/pkg_hrk00002_sale.h>
#include <runtime/variant.h>

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ClientDataSet;
class SaleContext;

// ---- the split of a consumer's sale by balance family (personalcreditroad_split.cpp) ------------
// Shared by the consumer roads that pay part of a sale from the family balances.

// What one balance family gives: never more than its balance, its own rows' value, or what
// any broken limit still leaves.
struct FamilyShare
{
    QString family;
    double amount = 0;
};

// What the broken limits still leave for the whole sale, one room each, at least 0. A room
// is shared by the families in turn, so that two families never both spend the same room.
// `invalid` names a limit whose text is not a number: nothing may be booked then.
struct LimitRooms
{
    QList<double> rooms;
    std::optional<double> balanceFloor; // each family's balance may fall to this, not below
    QString invalid;
};

// The rooms of the personal credit's broken limits: the credit floor, the consumer's maximum,
// the store's daily and monthly maxima.
LimitRooms personalCreditRooms(SaleContext &context);

// Walks the balances (`balances`: CDFAMILISALD, VRSALDCONFAM, in their order) and takes from
// each family the smaller of its balance, the value of its sale rows in `saleRows`
// (quantity x price), its balance above the floor and every room left; the shares add up to at most `saleTotal`. Families
// without rows, or without a positive balance, give nothing. `saleRows` is left unfiltered.
QList<FamilyShare> splitByFamily(const ClientDataSet &balances, ClientDataSet &saleRows, LimitRooms limits,
                                 double saleTotal);

// ---- the document of a road that settles on its own (personalcreditroad_fiscal.cpp) -----------

// The approximate taxes of the sale rows into stRecebAux21/22 and doVrImpostoAprox; answers
// tax text 1 (only the fiscal close wants it).
QString estimateTaxes(SaleContext &context);

// What the consumer debit adds to the close: its figures of the month, its limits and the
// spending of the payroll period.
struct DebitCloseFigures
{
    QString limitPrinting; // IDPARIMPRLIMVDC
    QString maximumDebit;  // VRMAXDEBCONS, as text
    QString monthlySubsidy; // VRMESUBCONS, as text
    Variant monthFigures = Variant::null(); // cdsVrSaldConsumi
    double periodSpending = 0;
};

// What differs between the roads in the fiscal printer's close.
struct OwnRoadClose
{
    QString road;          // "1" personal credit, "2" exchange and consumer debit
    double discount = 0;   // the exchange discount, or the loyalty discount / cashback
    double saleTotal = 0;  // the sale total, or the debit's subsidy value
    QString limitText;     // the consumer's credit still free, the debit still available, or empty
    bool withBalances = false; // the consumer's balances, families and loans go with the printed sale
    std::optional<DebitCloseFigures> debit;
    // The consumer debit passes the first tax text where the others pass the second.
    bool firstTaxText = false;
    // What the grand total is given after the known values: nine empty values on the exchange
    // and the debit; the personal credit gives False, four empty texts, 0 and 0.
    QList<Variant> grandTotalFillers = QList<Variant>(9, Variant(QString()));
};

// Where the fiscal printer left the sale: closed (done), or refused; ImpressaoVenda's models
// answer the document number.
struct FiscalCloseOutcome
{
    bool done = false;
    QString documentNumber;
    QString closeAnswer;
    QString failure;
};

// Models 16, 21 and 30 print the sale themselves in place of the fiscal close.
bool printsSaleItself(int model);

// Models 16, 21 and 30 print the sale with ImpressaoVenda ("Erro" refuses); the others close
// the coupon with FechaCupom and then update the grand total, closed or not.
FiscalCloseOutcome closeOnFiscalPrinter(SaleContext &context, const OwnRoadClose &close);

// The sale's number when the till takes it (no fiscal printer, no electronic interface): a
// reserved number, a Colombian range number, an NFC-e or a non-fiscal number. Empty answer
// when taken (`documentInHand` then holds the NFC-e or reserved number); else the text to
// show (`noNumberText`, or a standard one, when no number came), and nothing may be saved.
QString takeOwnRoadNumber(SaleContext &context, QString &documentInHand, const QString &noNumberText = QString());
// Only the reserved or the Colombian range number: nullopt when neither applies, else the
// answer of takeOwnRoadNumber.
std::optional<QString> takeReservedOrRangeNumber(SaleContext &context, QString &documentInHand,
                                                 const QString &noNumberText = QString());
// Only the NFC-e or non-fiscal number, after the approximate taxes (no reserved or range
// number); the same answer.
QString takeElectronicOrPlainNumber(SaleContext &context, QString &documentInHand,
                                    const QString &noNumberText = QString());

// The rest of a consumer sale on the payment screen, `ownPart` being already paid by the
// road's own row (`namesBuyer`: the consumer is the buyer on the screen). The answer's
// document number becomes the one in hand. True when paid.
bool payRestOnPaymentScreen(SaleContext &context, SettlementRun &run, double ownPart, bool namesBuyer,
                            PaymentAnswer &answer);

// ---- the save of a road that settles on its own (personalcreditroad_save.cpp) ------------------
// The personal credit's and the consumer debit's sub-roads and the merchandise exchange save the same way: the
// save, the NFC-e or SAT document, the failures of that block, and the hand-over with the
// tickets. A sale that was not stored never reaches the tickets.
class OwnRoadSave
{
public:
    struct Options
    {
        Settlement::ClosingRoad road = Settlement::ClosingRoad::PersonalCreditFull;
        QString letter = QStringLiteral("C");  // print letter handed to the order operation
        bool satMessage = true;                // "VENDA_SAT_CAN" before the stored sale is cancelled
        bool endsExchange = false;             // a sold or cancelled sale also ends the exchange
        bool showsPoints = false;              // "PONTUACAO" after the hand-over, then a new pager
        bool clearsReceiptFilter = false;      // the filter of the receipt types goes off at the hand-over
        // The coupon stands (a receipt was printed after it): a sale not stored is recorded as
        // cancelled and the cashier keeps the coupon.
        bool couponStands = false;
        // What follows the reason when a sale without a fiscal printer was not stored; empty:
        // the standard text.
        QString notStoredText;
        // Run once the sale is stored, before the hand-over (the road's own voucher): a sale
        // the base refused gets none.
        std::function<void()> onStored;
    };

    OwnRoadSave(SaleContext &context, RoadEnd &end, Options options) : m_context(context), m_end(end), m_options(options)
    {
    }

    // True when the sale was stored and handed over. The document number in hand goes into
    // the header; `numberBefore` is stRecebAux9 before this settlement took one.
    // `paymentText11` is header value 14 (the fiscal close's or the payment screen's answer).
    bool run(const QString &documentInHand, const QString &paymentText11, const QString &numberBefore);

    // The fiscal printer refused to close: nothing is saved; the coupon is cancelled as after a
    // failed save.
    void refuseUnclosed(const QString &documentInHand, const QString &failure)
    {
        notStored(documentInHand, QString(), failure);
    }

private:
    bool save(const QString &documentInHand, const QString &paymentText11, Settlement::SaveResult &saved);
    bool electronicDocumentIssued(const Settlement::SaveResult &saved);
    void storedSaleFailed(const QString &saleKey, const QString &failure);
    void notStored(const QString &documentInHand, const QString &numberBefore, const QString &failure,
                   const QString &nfceStatus = {});
    void couponKept(const QString &documentInHand, const QString &failure);
    QString balanceRefusal(const QString &failure) const;
    void stopWithSaleOnScreen(const QString &text, const QString &detail);
    void handOver(const QString &saleKey, double points);
    SettlementEnd settlementEnd() const { return SettlementEnd(m_context, m_end); }

    SaleContext &m_context;
    RoadEnd &m_end;
    Options m_options;
};

// ---- the personal-credit road (personalcreditroad.cpp, personalcreditroad_complement.cpp) -------
// A badge consumer's sale paid from the prepaid family balances: whole, closed and numbered by
// the till with a voucher, or, when an item breaks a limit and the operator agrees, the
// balances' part as one row and the rest on the payment screen.
class PersonalCreditRoad
{
public:
    PersonalCreditRoad(SaleContext &context, RoadEnd &end, SettlementRun &run)
        : m_context(context), m_end(end), m_run(run)
    {
    }
    PersonalCreditRoad(const PersonalCreditRoad &) = delete;
    PersonalCreditRoad &operator=(const PersonalCreditRoad &) = delete;

    void run();

private:
    enum class ItemCheck { Passed, Complement, Declined };

    // personalcreditroad.cpp
    void disableButtons();
    bool balancesValidated();
    ItemCheck checkItems();
    void fullCredit();
    bool documentClosed();
    void printVoucher();
    void stop(const QString &text);

    // personalcreditroad_complement.cpp
    void complement();
    QString queryBalances();
    void leaveUnpaid();

    SaleContext &m_context;
    RoadEnd &m_end;
    SettlementRun &m_run;
    QString m_numberBefore;
};
