#pragma once

#include "settlement.h"
#include "settlement_p.h"

#include <runtime/clientdataset.h>

#include <QDate>
#include <QString>

#include <optional>

struct PaymentAnswer;

class SaleContext;

// The rooms left under the consumer's limits when an item broke one of them; a limit that held
// has no room (nullopt) and does not restrict the debit.
struct DebitRooms
{
    std::optional<double> balanceFloor;
    std::optional<double> maximumDebit;
    std::optional<double> storeDaily;
    std::optional<double> monthly;
    std::optional<double> storeMonthly;
    std::optional<double> basicBalance;
    std::optional<double> extraBalance;
};

// What the consumer's debit still pays of a sale that broke a limit: the smallest room of the
// broken limits (none broken: nothing more), plus the company subsidy already granted, never
// below zero nor above the sale total.
double debitPart(const DebitRooms &rooms, double subsidyGranted, double saleTotal);

// The day the consumer's payroll period began, for the closing day of the month: the closing
// day of this month once it has passed, else that of the month before; a closing day the month
// does not have is its last day. Nullopt for a closing day that is not a day of a month.
// `text` receives the date as the spending query is given it.
std::optional<QDate> payrollClosingDate(const QDate &today, const QString &closingDay, QString *text = nullptr);

// A sale on the badge consumer's payroll debit: the subsidy split and the limit check of each
// row, then either the whole sale on the debit (the close, the debit receipt, the save) or the
// part the debit still covers with the rest on the payment screen. Runs inside the settle
// button's outer block.
class ConsumerDebitRoad
{
public:
    ConsumerDebitRoad(SaleContext &context, RoadEnd &end, SettlementRun &run)
        : m_context(context), m_end(end), m_run(run)
    {
    }
    ConsumerDebitRoad(const ConsumerDebitRoad &) = delete;
    ConsumerDebitRoad &operator=(const ConsumerDebitRoad &) = delete;

    void run();

private:
    enum class Check { AllPass, Complement, Declined };

    // debitroad.cpp: the entry and the check of the rows.
    bool limitTextsReadable();
    bool itemCheckApplies() const;
    Check checkEveryRow();
    double rowValue() const;
    void refuse(const QString &text, RoadEnd::Kind kind = RoadEnd::Kind::Refused);

    // debitroad_complement.cpp: part on the debit, the rest on the payment screen.
    void complementRoad();
    DebitRooms brokenLimitRooms() const;
    bool writeDebitRow(double part);
    bool numberBeforePayment();
    void paymentRefused(const PaymentAnswer &answer);

    // debitroad_full.cpp: the whole sale on the debit.
    void fullDebitRoad();
    bool closeDocument(bool &documentDone);
    bool numberFullDebit();
    bool readDebitFigures();
    bool readConsumerLimits();
    bool payrollSpending(double &spending);
    void printDebitReceipt();
    bool debitReceiptPrinted(const QString &observation);

    // debitroad_save.cpp: the save and its failures, shared with the other consumer roads.
    void saveSale(Settlement::ClosingRoad road);

    SaleContext &m_context;
    RoadEnd &m_end;
    SettlementRun &m_run;
    double m_subsidy = 0;          // the sale total, or the company subsidy once one applies
    // The debit receipt was printed on the fiscal printer after the coupon, which the printer
    // can then no longer cancel.
    bool m_receiptAfterCoupon = false;
    QString m_numberBefore;        // stRecebAux9 before this settlement took a number
    ClientDataSet m_saldConsumi{QStringLiteral("cdsVrSaldConsumi")};
    ClientDataSet m_limits{QStringLiteral("cdsLimiteCons")};
    QString m_monthlySubsidy;      // VRMESUBCONS of the consumer's limits, as the receipt prints it
};
