#pragma once

#include <outside/pkg_hrk00002.h>

class ClientDataSet;

// The host's dialogs of the item kinds: the combined-product dialog over the site's combined
// parts and menus, and the smart-promotion dialog over the base's promotion groups. Each first
// takes a scripted answer (ScriptedAnswers Combined / Promotion); unattended, without one, it
// chooses nothing and logs; otherwise it asks the person.
namespace ItemDialogs {

// Scripted: "CODE[*QTY];CODE..." of the parts of ProdutoCombinado.cds; a part outside the
// cadastre, a quantity of 0 or less, or more parts of a menu than its NRLIMPRODCOM answer a
// failure text.
CombinedProductAnswer ProdCombinado(const CombinedProductRequest &request, ClientDataSet &cdsProdutoCombinado,
                                    ClientDataSet &cdsMenuComb);
// One component of each promotion group of the product (GRUPROMOCPROD), priced by the host's
// price function. Scripted: "CODE;CODE" the component chosen per group, in group order.
bool CriaPromocaoInteligente(const SmartPromotionRequest &request, SmartPromotionDatasets &datasets);

} // namespace ItemDialogs
