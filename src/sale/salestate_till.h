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

// The busy guards of the handlers. Each belongs to the handler that sets it, which clears it on
// every way out (BusyFlag, OnExit); a sale that ends while the handler still runs (the reset it
// runs itself, a sale dropped under it) leaves the guard alone, so the same key or button cannot
// come in again meanwhile. A new host call starts with none (SaleState::beginSale).
struct HandlerGuards
{
    // Owner: the item entry (Enter key) and the roads that register through it. An item is on
    // its entry road.
    bool boDigitacaoAux1 = false;
    // Owner: the product button press. A press is being handled.
    bool boBalcaoAux3 = false;
    // Owner: the receipt and item cancellations, the product search, observations, the combined
    // product and the fiscal functions: one of them is running.
    bool boCancCupomAux1 = false;
    // Owner: the settlement and the order sending. Re-entry guard of the settlement, also set
    // when the store's message was declined, so that the next press skips it once.
    bool boProcessando = false;
    // Owner: the order button. Sending was confirmed: a second press does nothing.
    bool boVenderAux1 = false;
    // Owner: the credit purchase. A personal-credit voucher is still printing.
    bool boImprimindoCompCred = false;
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
    // Owner: the price-consultation key (F5). Price-consultation mode, on while the key is down:
    // it stays across items and sales until the key is pressed again, so a sale dropped under
    // it never leaves the key down over a mode that sells.
    bool boConsultaPreco = false;
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

// The till's link to the fuel-station loyalty programme (ClubPetro); the customer consulted
// through it is the sale's (ClubPetroCustomer in salestate_consumer.h).
struct ClubPetroLink
{
    // Owner: the token request. The access token of the last successful request; the product
    // button asks for a new one before each consult.
    QString stTokenApiClubPetro;
    // Owner: the token request. The programme's sale API address the token answer named; the
    // call start clears it.
    QString UrlRaizAPIClubPetro;
    // Owner: the call start and the partner's steps. "N" after a failed token or consult request;
    // only the next call start sets it back to "S".
    QString stClubPetroOnline = QStringLiteral("S");
};
