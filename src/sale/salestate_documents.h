#pragma once

#include <runtime/variant.h>

#include <QString>
#include <QStringList>

// Per-sale families of the sale form's state about the fiscal receipt, its buyer and the
// settlement; they go whole with the sale (SaleRecord in salestate.h).

// The fiscal receipt of the open sale and its buyer.
struct FiscalTexts
{
    QString stCpfCnpjNota;              // buyer's CPF or CNPJ on the fiscal document
    QString stNomeNota;
    QString stEnderecoNota;
    QString stIdEstrangeiroNota;        // buyer's foreign identification
    QString stNRINSJURCLIE;             // CNPJ of the client company of the sale
    // Buyer data of printer model 26's dialog, handed to the receipt opening.
    QString stRecebAux5;
    QString stPedidoAux1;
    QString stPedidoAux2;
    int inPedidoAux1 = 0;
    QString stQrCodeAux1;               // number of the open fiscal receipt (printer's "CUPNR")
    QString stNRCONTCUPOMFISC;          // receipt counter reported by the printer
    int inQrCodeAux1 = 0;               // printer's error integer of the opening, passed on
};

// Numbers and texts the settlement and cancellation roads take and pass on.
struct SettlementTexts
{
    QString stRecebAux1;                // cancellation trace handed to the host's result check
    QString stRecebAux3;                // SAT CF-e number
    QString stRecebAux9;                // sale number taken by the settlement
    QString stRecebAux11;               // header value 31 of the payment screen
    QString stRecebAux12;               // header value 30 of the payment screen
    QString stRecebAux13;
    QString stRecebAux14;
    QString stRecebAux15;               // final credit balance of the consumer, as text
    QString stRecebAux16;               // SAT serial number
    QString stRecebAux17;               // NFC-e access key, or SAT key
    QString stRecebAux18;               // NFC-e or SAT QR-code text
    QString stRecebAux19;               // NFC-e emission date, as text
    QString stRecebAux21;               // approximate tax text
    QString stRecebAux22;               // second approximate tax text
    QString stRecebAux23;               // NFC-e authorisation protocol
    QString stRecebAux24;               // NFC-e series
    QString stConfRecebimento;          // "S": the payment screen confirmed and issued the document
    // The badge's debit receipt kind is sold by hand (IDHABVENDAMAN "S"): every settlement of
    // this sale starts with stConfRecebimento "S"; any other starts without it.
    bool receiptKindSoldByHand = false;
    QString stNrOrdemVnd;               // manual invoice / order number (NRORDEMVND)
    QString stSenhaPedido;              // order pager number of the sale, drawn once while empty
    QString stNotaManualAux1;           // last value typed on the manual-note keypad
    QString stDSOBSFINVEN;              // end-of-sale observation, at most 100 characters
    QString stDSEMAILENVCUPOM;          // consumer's e-mail for the receipt
    QString stCompraCredAux2;           // not empty: a card (TEF) receipt is to be printed
    QString stVendeProdAux1;            // text of the payment screen handed to the print call
    int inRecebAux3 = 0;                // opaque value of the payment screen, passed on
    // Card-payment receipt lines the payment screen fills (a string list despite its prefix).
    QStringList inRecebAux4;
    int inCompraCredAux7 = 0;           // first-copy count of the credit purchase's card receipts
    int inCompraCredAux8 = 0;           // copy count of those receipts
};

// Result variants shared with the host's routines. Callers make a fresh array before each call.
struct SharedResults
{
    Variant vaRetorno;
    Variant vaRetornoItem;              // the two-element answer of getProdCodCestNcm
};
