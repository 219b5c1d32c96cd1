#pragma once

#include <runtime/variant.h>

#include <QList>
#include <QString>

// The ten arguments of one host call of VendaCons, converted by the runtime's variant rules
// (an empty variant gives an empty text). Index order is the host's.
struct HostCall
{
    QString nrVendaRest;    // 0: restaurant sale of the open table, tab or delivery order
    QString nrComandaExib;  // 1: tab or order number shown to the user
    QString cdCliente;      // 2: client
    QString nrMesa;         // 3: table
    QString nrComanda;      // 4: tab
    QString cdVendedor;     // 5: waiter
    QString modoVenda;      // 6: "B" counter, "M" table, "C" tab, "D" delivery
    QString cdConsumidor;   // 7: consumer (delivery consumer)
    bool flag = false;      // 8: not used by the screen
    QString idRetBalLoja;   // 9: the print parameter IDRETBALLOJA

    // Missing elements read as empty variants.
    static HostCall fromParams(const QList<Variant> &params)
    {
        auto text = [&params](int index) { return index < params.size() ? params.at(index).toString() : QString(); };
        HostCall call;
        call.nrVendaRest = text(0);
        call.nrComandaExib = text(1);
        call.cdCliente = text(2);
        call.nrMesa = text(3);
        call.nrComanda = text(4);
        call.cdVendedor = text(5);
        call.modoVenda = text(6);
        call.cdConsumidor = text(7);
        call.flag = params.size() > 8 && params.at(8).toBool();
        call.idRetBalLoja = text(9);
        return call;
    }
};
