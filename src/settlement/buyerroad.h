#pragma once

#include <QString>

class SaleContext;

// Steps of the buyer identification shared by its files (buyer.cpp, buyerpinpad.cpp).
namespace BuyerRoad {

// Whether the result array holds what the operator chose, or the dialog was abandoned and
// the buyer must stay as it was.
enum class Outcome { Taken, Abandoned };

// The additional-data dialog in its CPF form, `cpf` shown in it; `cashbackCpf` tells the dialog
// that the number is already known. Its answer goes to vaRetorno, made afresh first.
Outcome callDialog(SaleContext &context, const QString &cpf, bool cashbackCpf);

// The buyer types the CPF on the PinPad; the dialog follows as the terminal's answer says.
Outcome pinpadRoute(SaleContext &context, bool cashbackCpf);

// An error message of the PinPad road: no colour scheme, 5 on a self-service desk.
void pinpadMessage(SaleContext &context, const QString &text);

} // namespace BuyerRoad
