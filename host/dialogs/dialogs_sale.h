#pragma once

#include <outside/pkg_hrk00002.h>

#include <QString>

// The host's dialogs of the sale screen's actions: observations, the fiscal functions menu,
// the production message and the consumer's e-mail. Each takes a scripted answer first
// (ScriptedAnswers); unattended without one it cancels and logs.
namespace SaleDialogs {

// Line, group and end-of-sale observations. A scripted answer reads
// "TEXT;MINUTES;GROUP;OCCURRENCES;REPLACE": OCCURRENCES is a comma list of occurrence codes,
// "CODE=PRODUCT" for one that adds a product; REPLACE "S" replaces the line's earlier ones.
// Left: the text "erro" (no observation).
ObservationAnswer Observacao(const ObservationRequest &request);
// One scripted answer into the dialog's answer (exposed for the tests).
ObservationAnswer observationOf(const QString &scripted);

// The menu: True = back to the sale ("back"), False = close the till ("close"); "troca VALUES"
// records an exchange's returned items, "carga" cancels a credit load of the desk. Left: back.
bool CriaFuncoesFiscais(const FiscalFunctionsRequest &request, ClientDataSet &cdsProdutos);

// The free production message, printed on the kitchen printer with the table or tab.
HostResult CriaMensagemProducao(const ProductionMessageRequest &request);
// The production printer the message goes to, and the text printed.
QString productionMessagePort();
QString productionMessageText(const ProductionMessageRequest &request, const QString &message);

// The e-mail form of the additional-data dialog: an address is asked again until one is
// typed or the form is left (then empty).
AdditionalDataAnswer emailForm(const AdditionalDataRequest &request);

} // namespace SaleDialogs
