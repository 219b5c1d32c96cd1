#pragma once

#include <QDate>
#include <QString>

// The few fields of the sale form that outlive one sale. Everything else a sale writes lives in
// the per-sale record (SaleRecord in salestate.h) and is dropped whole when the sale ends. A
// field belongs here only when a later sale must still see it; each says who owns it and why it
// outlives the sale. tests/screen/salelifetime_test.cpp lists them: a field added here must be
// added there too, with its reason.

// What the till itself remembers between sales.
struct TillSession
{
    // Owner: the product buttons. The server was found unreachable; the till stops asking it
    // for the rest of the process.
    bool boBalcaoAux2 = false;
    // Owner: the screen's activation. The first activation of this host call has run; the call
    // start clears it, a sale must not.
    bool boAtivarAux1 = false;
    // Owner: the fiscal receipt and the roads that close one. The kind of the last fiscal
    // movement ("VV", "CP", "DB", "CC"), read by the cancellation of the last receipt after its
    // sale ended.
    QString stCancCupomAux3 = QStringLiteral("VV");
    // Owner: the personal-credit fiscal road. A receipt number the printer gave to a sale that
    // did not go through, used by the next receipt instead of a new one.
    QString stNrCupomReservado;
    // Owner: the pager number. The day the cashier was told that every pager number of the
    // range is in use; the sales after it that day go without one, without telling again.
    QDate pagerRangeFullTold;
};

// The open sale of a table or tab: the host hands the same table to call after call.
struct TableSeats
{
    // Owner: the persons key and the sale reset. Persons at the table; a table keeps them until
    // it is closed, any other sale goes back to one.
    int inNrPessoas = 1;
    // Owner: as inNrPessoas. Seat positions of the table, kept like the persons.
    int inExtratoAux1 = 1;
    // Owner: the receipt grid. The current seat, shown in stPosicao; the call start sets it to 1.
    int inPosicaoGrid = 1;
};

// Where the screen is: a sale ending does not move the cashier to another page or panel.
struct ScreenNavigation
{
    // Owner: the touch grid. Current group page, and product page of the current group.
    int inPaginaGrupo = 1;
    int inPaginaProduto = 1;
    // Owner: the touch grid. Current group button, "01" to "12".
    QString stBalcaoAux1;
    // Owner: the QR-code reading panel. The panel is open; a refused code leaves it open for
    // the next scan.
    bool boLeituraQrCode = false;
};

// A merchandise exchange in force: started from the returned-items file before the sale that
// pays with it, and ended only by that sale or by cancelling the exchange (Limpa_TrocaMercadoria).
// A sale emptied or dropped on the way keeps the exchange, whose credit the screen still shows.
struct ExchangeInForce
{
    // Owner: the exchange road. Merchandise exchange under way.
    bool boTrocaMercadoria = false;
    // Owner: the exchange road. The credit of the returned items.
    double doRecebAux1 = 0.0;
};
