#pragma once

#include <outside/pkg_hrk00002.h>

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The host's payment screen (Recebimento): takes one or several payment means for the sale
// and fills cdsMovCaixa with one row per payment. The means are the receipt types the base
// shows (TIPORECE, IDMOSTRARECE "S" or empty), completed from the till's copy
// (cdsConfTipoRece) with their fiscal-printer data. Cash may exceed what is left to pay (the
// change is shown and kept in VRTROCO; VRMOVIVEND is what the payment leaves in the sale);
// any other means may not. Paying less than the total is refused; leaving the screen pays
// nothing and leaves cdsMovCaixa empty.
namespace Payment {

struct Means
{
    QString cdTipoRece;
    QString nmTipoRece;
    QString idTipoRece;   // "1" cash, "2" credit card, "3" debit card, "5" voucher, ...
    QString cdTipoTroco;
    QString nrOrdTroco;
    QString dsImpFiscal;
    QString cdBanCartCr;
    QString cdFpImpFis;

    bool isCash() const { return idTipoRece == QLatin1String("1"); }
    // Credit and debit cards: charged through the card program (cardterminal.h).
    bool isCard() const { return idTipoRece == QLatin1String("2") || idTipoRece == QLatin1String("3"); }
};

// The means offered, in code order. The consumer's balance means ("9" personal credit, "A"
// consumer debit) are paid by their own roads and are not offered.
QList<Means> availableMeans(const ClientDataSet &cdsConfTipoRece);

struct Entry
{
    Means means;
    double amount = 0;  // what the payment leaves in the sale
    double change = 0;  // cash handed back
};

// The payments of one sale, with the rules of the screen; money truncated to cents.
class Session
{
public:
    explicit Session(double due);

    // Adds a payment; answers the refusal text, or empty when taken. `tendered` is what the
    // customer hands over.
    QString add(const Means &means, double tendered);
    void removeLast();

    double due() const { return m_due; }
    double paid() const;
    double remaining() const;
    double change() const;
    bool complete() const { return remaining() <= 0; }
    const QList<Entry> &entries() const { return m_entries; }

private:
    double m_due = 0;
    QList<Entry> m_entries;
};

// What goes into every cdsMovCaixa row beside the payment itself.
struct RowContext
{
    QString cdFilial;
    QString cdCliente;
    QString cdConsumidor;
    QString cdCcusClie;
    QDateTime now;
};

// Recreates cdsMovCaixa (adding the payment columns it lacks) with one row per entry.
void fillMovCaixa(ClientDataSet &cdsMovCaixa, const Session &session, const RowContext &context);
// Recreates cdsMovCaixa empty.
void clearMovCaixa(ClientDataSet &cdsMovCaixa);

// What the sale still owes: its rows less what the caller says was paid already.
double amountDue(const ClientDataSet &cdsVenda, const Variant &alreadyPaid);

// The host routine.
PaymentAnswer Recebimento(const PaymentRequest &request, PaymentDatasets &datasets);

// The screen. Objects: "frmRecebimento", "lblTotal", "lblFalta", "lblTroco", "lstPagamentos",
// "edtValor", one button "btnMeio<CDTIPORECE>" per means, "btnRemove", "btnOK", "btnCancela",
// "lblMensagem". A means button takes the typed value (what is left when none is typed).
class PaymentDialog : public QDialog
{
    Q_OBJECT
public:
    PaymentDialog(const QList<Means> &means, double due, QWidget *parent = nullptr);
    const Session &session() const { return m_session; }
    void pay(const Means &means);
    void confirm();

private:
    void refresh();
    Session m_session;
    QLineEdit *m_value = nullptr;
    QListWidget *m_list = nullptr;
    QLabel *m_remaining = nullptr;
    QLabel *m_change = nullptr;
    QLabel *m_message = nullptr;
};

} // namespace Payment
