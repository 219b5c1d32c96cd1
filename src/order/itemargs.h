#pragma once

#include <QString>

// The values handed to the two item routines, by name instead of by position. Amounts and
// quantities travel as decimal texts, as the callers have them ("1,5", "0,01"; a decimal point
// is read too); the number in each comment is the position the callers count by.

// PreenchePedido: one product the caller has resolved, priced and weighed.
struct PreenchePedidoArgs
{
    QString CDPRODUTO;          // 1
    QString CDPRODPROMOCAO;     // 2 promotion product; ordinary callers pass the product again
    QString CDARVPROD;          // 3
    QString NMPRODUTO;          // 4
    QString CDFAMILISALD;       // 5 balance family, may be empty
    QString VRPRECO;            // 6 unit price
    QString VRDESCONTO;         // 7 discount of the line
    QString VRACRESCIMO;        // 8 addition of the line
    QString IDPESAPROD;         // 9 "N": not sold by weight
    QString VRPRECOCLIE;        // 10 unit price charged to the client company
    QString QTPRODCOMVEN;       // 11 quantity
    QString SGUNIDADE;          // 12
    QString IDPROMOCAO;         // 13 promotion mark: "S", "N" or empty
    QString NRSEQPRODCOM;       // 14 combined-product line the line belongs to
    double QTTARAPROD = 0.0;    // 15 tare; not used by the registration
    bool validaServico = true;  // 16 apply the service-product check
    QString CDPORIMPPROD;       // 17 production printer port
    QString IDIMPCANITEM;       // 18 print a cancellation ticket for the line
    QString CDCAMPPROMO;        // 19
    QString STOBSPEDIDO;        // 20 order observation
    QString STOBSDIGITADA;      // 21 typed observation
    QString NRSEQPROMOOBS;      // 22 promotion line whose observation products are added
    QString CDCAMPCOMPGANHE;    // 23
    QString DTINIVGCAMPCG;      // 24
    QString NRSEQITCANC;        // 25
    QString IDIMPPRGRPROMO;     // 26
    QString NRSEQORIG;          // 27
};

// AddProduto: one line, after every registration check has passed.
struct AddProdutoArgs
{
    QString CDPRODUTO;          // 1
    QString CDPRODPROMOCAO;     // 2
    QString NMPRODUTO;          // 3
    QString CDFAMILISALD;       // 4
    QString CDSERVFILI;         // 5
    QString QTPRODCOMVEN;       // 6 signed; stored without its sign
    QString SGUNIDADE;          // 7
    QString VRPRECCOMVEN;       // 8 unit price
    QString VRDESCCOMVEN;       // 9 discount
    QString VRACRCOMVEN;        // 10 addition
    QString CDARVPROD;          // 11
    QString VRUNITVENDCL;       // 12 client-company price
    QString CDORDALIQIMPR;      // 13 printer's tax-rate code
    QString VRALIQIMPR;         // 14 tax rate
    QString IDPROMOCAO;         // 15
    QString NRSEQPRODCOM;       // 16
    QString CDPORIMPPROD;       // 17
    QString IDIMPCANITEM;       // 18
    QString CDCAMPPROMO;        // 19
    QString STOBSPEDIDO;        // 20
    QString STOBSDIGITADA;      // 21
    QString IDPESAPROD;         // 22
    QString promotionObsKey;      // 23 promotion observation key, for TrataObsPromo
    QString CDCAMPCOMPGANHE;    // 24
    QString DTINIVGCAMPCG;      // 25
    QString NRSEQITCANC;        // 26
    QString IDIMPPRGRPROMO;     // 27
    QString NRSEQORIG;          // 28
};

// The tax data of a product as the tax validation answers them.
struct ItemTax
{
    bool accepted = true;         // false: refused, the operator was told
    QString CDORDALIQIMPR;      // printer's rate code; empty when no printer rate applies
    QString VRALIQIMPR;         // rate value as text; empty when no rate applies
};

// What the fiscal printer made of one item of a counter sale.
enum class FiscalItemSale {
    Sold,          // sold on the printer and registered as a line
    ItemRefused,     // the printer refused the item; no line was added
    OpeningRefused, // the receipt did not open; the registration ends
};
