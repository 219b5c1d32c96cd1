#include "schema.h"

namespace {

using namespace Schema;

// Loyalty: campaigns and their benefits, the benefits granted to consumers and each use of
// them, the point rows of sale items, and the buy-and-win campaigns.
const Area loyalty{
    {"MOVBENEFICIOCTR",
     {text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), text("CDCAMPANHA", 20), text("NRSEQPRODCAMP", 20),
      text("NRSEQBENEFICIO", 20), text("IDTPDESBENECONS", 1), integer("QTDEBENEFICIO"), number("VRDESBENECONS"),
      dateTime("DTINIVALBENECONS"), dateTime("DTFIMVALBENECONS"), text("IDIMPTMOVCTR", 1)},
     {"CDCLIENTE", "CDCONSUMIDOR", "CDCAMPANHA", "NRSEQPRODCAMP", "NRSEQBENEFICIO"}},
    {"MOVBENEFICIOCONS",
     {text("NRSEQBENECONS", 20), text("CDCAMPANHA", 20), text("NRSEQPRODCAMP", 20), text("NRSEQBENEFICIO", 20),
      text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), dateTime("DTUTBENECONS"), text("IDIMPTMOV", 1),
      text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUITVEND", 20)},
     {}},
    {"ITFIDELIDADE",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUITVEND", 20),
      dateTime("DTVENDA"), text("CDPRODUTO", 20), number("QTPRODVEND", 15, 3), text("CDCLIENTE", 20),
      text("CDCONSUMIDOR", 20), text("IDTPOPERITFIDEL", 1), text("IDATUSERVIDOR", 1), text("CDCAMPANHA", 20),
      number("VRPONTOBRINDE"), text("NRSEQUITORIG", 20)},
     {}},
    {"CAMPANHA",
     {text("CDCAMPANHA", 20), text("NMCAMPANHA", 100), text("IDCAMPANHA", 1), dateTime("DTINIVIGCAMP"),
      dateTime("DTFIMVIGCAMP")},
     {"CDCAMPANHA"}},
    {"FILICAMPANHA", {text("CDCAMPANHA", 20), text("CDFILIAL", 20)}, {}},
    {"PRODCAMPANHA", {text("CDCAMPANHA", 20), text("NRSEQPRODCAMP", 20), text("CDPRODUTO", 20)}, {}},
    {"BENEFICIOCAMP",
     {text("CDCAMPANHA", 20), text("NRSEQPRODCAMP", 20), text("NRSEQBENEFICIO", 20), text("IDTPBENEFICIO", 1),
      integer("QTBENEFICIOCAMP"), integer("NRDIASVALBENECAMP"), number("VRBENEFICIO"),
      text("IDTPATIVABENEFICIO", 1)},
     {}},
    {"PRODBENECAMP",
     {text("CDCAMPANHA", 20), text("NRSEQPRODCAMP", 20), text("NRSEQBENECAMP", 20), text("CDPRODUTO", 20)},
     {}},
    {"CAMPCOMPGANHE",
     {text("CDCAMPCOMPGANHE", 20), text("DSCAMPCOMPGANHE", 100), integer("QTCOMPGANHE")},
     {"CDCAMPCOMPGANHE"}},
    // Validity periods; IDDIASEMANA holds one character a weekday, Sunday first.
    {"VGCAMPCOMPGANHE",
     {text("CDCAMPCOMPGANHE", 20), dateTime("DTINIVGCAMPCG"), dateTime("DTFIMVGCAMPCG"), text("IDDIASEMANA", 7)},
     {}},
    {"PRCAMPCOMPGANHE", {text("CDCAMPCOMPGANHE", 20), text("CDPRODUTO", 20)}, {}},
    {"BRCAMPCOMPGANHE", {text("CDCAMPCOMPGANHE", 20), dateTime("DTINIVGCAMPCG"), text("CDPRODUTO", 20)}, {}},
    {"CONSUMIDOR", {text("CDCLIENTE", 20), text("CDCONSUMIDOR", 20), text("CDIDCONSUMID", 25)},
     {"CDCLIENTE", "CDCONSUMIDOR"}},
    // Sale items and cancelled items, by receipt order, to bind benefit uses to them.
    {"ITEMVENDA",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQUITVEND", 20),
      text("CDPRODUTO", 20), text("NRORDITCUPFIS", 5)},
     {}},
    {"ITVENDACAN",
     {text("CDFILIAL", 20), text("CDCAIXA", 20), text("NRSEQVENDA", 20), text("NRSEQITVENDC", 20),
      text("NRORDITCUPFISCA", 5)},
     {}},
};

} // namespace
