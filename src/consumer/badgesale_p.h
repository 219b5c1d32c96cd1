#pragma once

// Private steps of the badge consumer sale: the consumer's figures, the sale-kind chooser,
// the badge road, the automatic loading of the service's products and the statement texts.
// Never included outside src/consumer/.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <exception>
#include <functional>

class ClientDataSet;
class SaleContext;
class Variant;
struct SaleState;
struct PreenchePedidoArgs;
struct ConsumerSearchAnswer;

// Takes the consumer the badge search found into the sale's state (its client and every field
// the consumer roads read). The badge sale and the credit purchase both start with it.
void takeSearchedConsumer(SaleState &state, const ConsumerSearchAnswer &found);

// Rolls the consumer's credit balances forward before they are shown or loaded: by the central
// service's host call, or from the consumer's first statement date on this base (nothing to do
// online, or for a consumer without statement lines). A failure is shown, never raised.
void refreshCreditBalances(SaleContext &context);

namespace BadgeSaleRules {

// The account the balance check before the sale consults: the type's letter when it has one,
// else "A" for kinds "4" and "7", "D" for "5", "C" for "6", nothing for any other.
QString accountLetter(const QString &IDTPVENDATPCONS, const QString &IDTPVENDACONS);

// Start of the payroll period for closing day D (text): this month when today's day is past
// D, else the month before; a D beyond the month's last day is brought to that last day (the
// February clamp gives 28, or 29 in a leap year). `text` gets "d/m/yyyy" as the central base
// takes it.
QDate payrollPeriodStart(const QDate &today, const QString &closingDay, QString *text = nullptr);

// Which kinds the chooser offers for an allowed-kinds code "1".."7": debit, credit, cash.
struct AllowedKinds
{
    bool debit = false;
    bool credit = false;
    bool cash = false;
    bool valid = false; // the code is one of "1".."7"
};
AllowedKinds allowedKinds(const QString &code);

// The service windows, on HHMM texts. A service whose start is before its end is open from
// start to end, both included; one whose start is after its end runs across midnight; equal
// start and end is never open. The cash kind's automatic filter excludes the end and knows no
// window across midnight.
bool serviceOpen(const QString &now, const QString &start, const QString &end);
bool cashServiceOpen(const QString &now, const QString &start, const QString &end);

// Midnight of the first day of the date's month.
QDateTime PrimeiroDiaMes(const QDateTime &date);

} // namespace BadgeSaleRules

// Sald_Gast_Cons: the consumer's spending and balances from the online service, the central
// base or the local server functions. Failures raise std::runtime_error with the text to show.
class ConsumerFiguresRun
{
public:
    explicit ConsumerFiguresRun(SaleContext &context);
    void run(const QString &Kind, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
             const QString &CDFAMILISALD);

private:
    void spendingToday();
    void storeAndMonth();
    void debitFigures();
    void basicExtraScheme();
    void creditFamilyBalance();

    double onlineFigure(const QString &operation, const QString &family, const QString &date);
    Variant onlineAnswer(const QString &operation, const QString &family, const QString &date);
    double centralDebit(const QString &operation, const QString &date = QString());
    Variant centralCredit(const QString &operation, const QString &family);
    Variant local(const Variant &answer, const QString &method, const QStringList &keys, bool keepContext);
    void loadBalance(const Variant &packet);

    SaleContext &m_context;
    SaleState &m_state;
    QString m_kind;
    QString m_client;
    QString m_consumer;
    QString m_family;
};

// The consumer's register checks and the small consumer services of the form.
class ConsumerRecord
{
public:
    explicit ConsumerRecord(SaleContext &context);
    void preparaVarPreVDSaldo();
    bool ValidarCadastro();
    void ConectaExtConsOnline(const QString &number);
    void CarregaFotoConsumidor(const QString &code);
    void spbCadConsClick();

private:
    void refuseConsumer(const QString &text);
    SaleContext &m_context;
};

// The sale-kind chooser: the panel over the function buttons and its four handlers.
class SaleKindChooser
{
public:
    explicit SaleKindChooser(SaleContext &context);
    void SelecionarTipoVenda(const QString &code);
    // One of the chooser's buttons: stores the kind and gives the main panel back.
    void close(const QString &kind);

private:
    void showPanel(const QString &code);
    void waitForKind();
    SaleContext &m_context;
};

// The automatic loading of the service's products once a badge sale's kind is set up.
// Answers false when a refused product in an automatically printed service stopped the run
// (the receipt is then cancelled and the till freed).
class ServiceProductsRun
{
public:
    // Registers one product on the sale; true when it was registered (order entry's
    // PreenchePedido unless a test puts another in).
    using Register = std::function<bool(const PreenchePedidoArgs &)>;
    ServiceProductsRun(SaleContext &context, const QString &kind, Register registration = {});
    bool run();
    // A service open now prints its receipt by itself: the sale is settled at once.
    bool autoPrint() const { return m_autoPrint; }

private:
    bool typePhase();
    bool servicePhase();
    bool walk(ClientDataSet &rows, bool typeRows);
    bool loadRow(ClientDataSet &rows, bool typeRows);
    bool price(const QString &product);
    void stop();
    static bool anyAutoPrint(ClientDataSet &rows);

    SaleContext &m_context;
    SaleState &m_state;
    QString m_kind;
    QString m_time; // HHMM of the filters
    Register m_register;
    bool m_autoPrint = false;
};

// spbCartaoClick: the badge consumer sale from its guards to the kind set up.
class BadgeSaleRoad
{
public:
    explicit BadgeSaleRoad(SaleContext &context);
    void press();

private:
    bool guards();
    bool identify();
    bool weekendBlock();
    void setUpDebit();
    void setUpCredit();
    void setUpCash();
    bool debitReceiptKind();
    bool creditReceiptKind();
    void refreshCreditBalances();
    void loadFamilyBalances();
    void subsidyLine();
    void basicExtraLines();
    void familyLines();
    void consumerCaptions(const QString &cashierKey);
    void display(const QString &line2);
    void releaseBadge();
    void holdBadge();
    void resetSale();
    void loadServiceProducts(const QString &kind);
    void commonEnd();

    SaleContext &m_context;
    SaleState &m_state;
    bool m_stopped = false;  // the automatic loading ended the sale
    bool m_autoPrint = false; // a service open now prints its receipt by itself
};
