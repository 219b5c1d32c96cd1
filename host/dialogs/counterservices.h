#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

// The counter's smaller host services: the operator change, the price consultation, the
// fiscal reports menu, the lost-server notice, the buyer-data form of the export printer, the
// loyalty registration, the biometric reader and the card receipt lines. In a script each
// takes its queued answer; unattended without one it is cancelled and logged.
namespace CounterServices {

// The keypad gives the new operator's code; a code of the branch's operators
// (Dados/Cadastros/Operador.cds) becomes the till's operator file (ControleAcess.cds).
OperatorChangeAnswer TrocaOperadorCaixa(const OperatorChangeRequest &request);
// The product's price for the sale's client and consumer, told in a message.
HostResult CriaConsultaProd(const PriceConsultationRequest &request);
// The reports menu: "X" prints a reading on the simulated printer's tape.
HostResult RelFiscais();
// The server is out: the operator is told the sale cannot be recorded now.
HostResult CriaRegVenda();
// The seven buyer fields; a scripted answer gives them ";"-separated, in order.
ArgentineBuyerAnswer CriaDadosClienteArgentina(const ArgentineBuyerData &data);
// The consumer's loyalty registration, kept one line a registration in Dados/Fidelidade.txt.
HostResult CriaFidelidade(const LoyaltyDialogRequest &request);
// The consumer whose finger the reader read (a scripted `answer biometric CODE`).
BiometricAnswer CriaConfirmaBio(const BiometricRequest &request);
// The card receipt lines, printed on the till's third non-fiscal printer.
HostResult ImprCupons(const CardReceiptLinesRequest &request);

} // namespace CounterServices
