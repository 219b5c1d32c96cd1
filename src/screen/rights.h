#pragma once

class SaleContext;

// The seven rights of the operator held in stCDOPERADOR, asked of the host's ControleAcess
// with the access codes of the parameter row: at start-up and when the operator changes.
void askOperatorRights(SaleContext &context);
