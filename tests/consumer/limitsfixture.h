#pragma once

#include <support/saleformfixture.h>

#include <consumer/consumersale.h>
#include <outside/pkg_hrk0000_common.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/messages.h>
#include <runtime/variant.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QStringList>

#include <memory>

// A packet of the named columns: "VR..." and "QT..." are numbers, the rest texts.
inline DataPacket packetOf(const QStringList &names, const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    for (const QString &name : names) {
        const bool number = name.startsWith(QLatin1String("VR")) || name.startsWith(QLatin1String("QT"));
        packet.fields.append({name, number ? FieldType::Double : FieldType::String, number ? 0 : 40, false});
    }
    packet.rows = rows;
    return packet;
}

inline void fill(ClientDataSet &target, const QStringList &names, const QList<QList<Variant>> &rows)
{
    target.Close();
    target.SetData(packetOf(names, rows));
    target.First();
}

// The sale form of a badge consumer of client 000002 at branch 0001, store 01, with the
// consumer accounts' server functions scripted by the test: the family order and the store
// maxima answer what the members below hold, and every call is counted.
class LimitsTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        SaleState &s = state();
        s.editParams().stCDFILIAL = QStringLiteral("0001");
        s.editParams().stCDLOJA = QStringLiteral("01");
        s.host.stCdClienteVenda = QStringLiteral("000002");
        s.consumer.stCDCONSUMIDOR = QStringLiteral("000101");
        s.consumer.stNmConsumidor = QStringLiteral("JOSÉ CARLOS OLIVEIRA");
        s.consumer.stNrCracha = QStringLiteral("1001");
        s.consumer.stCDTIPOCONS = QStringLiteral("01");
        // One family, first in approval order: the gate is open.
        familyOrder(QStringLiteral("REF"), QStringLiteral("001"), QStringLiteral("S"), Variant::null(),
                    {{QStringLiteral("REF"), QStringLiteral("001")}}, 0.0);
        storeLimits(Variant::null(), Variant::null(), Variant::null(), Variant::null(), Variant::null());
        Seam::Consumers seams = Seam::Consumers::current();
        seams.getOrdemFamilia = [this](const QString &, const QString &, const QString &, const QString &,
                                       const QString &) {
            ++calls;
            return ordemFamilia;
        };
        seams.getTipoConsLoja = [this](const QString &, const QString &, const QString &, const QString &) {
            ++calls;
            return tipoConsLoja;
        };
        seams.getQtdeProdDia = [this](const QString &, const QString &, const QString &, const QString &,
                                      const QString &, double, const Variant &) {
            ++calls;
            return qtdeProdDia;
        };
        seams.getProdVenDiaServ = [this](const QString &, const QString &, const QString &, const QString &,
                                         const QString &) {
            ++calls;
            return prodVenDiaServ;
        };
        seams.getGtDiaServ = [this](const QString &, const QString &, const QString &, const QString &) {
            ++calls;
            return gtDiaServ;
        };
        seams.getVerifProdConsumi = [this](const QString &, const QString &, const QString &) {
            ++calls;
            return verifProdConsumi;
        };
        seams.getCadConsumidor = [this](const QString &, const QString &, const QString &, const QString &,
                                        const QString &) {
            ++calls;
            return cadConsumidor;
        };
        scoped = std::make_unique<ScopedTable<Seam::Consumers>>(seams);
    }

    void TearDown() override
    {
        scoped.reset();
        SaleFormTest::TearDown();
    }

    // getOrdemFamilia: the item family's rule, the families up to it in approval order and
    // today's family consumption.
    void familyOrder(const QString &family, const QString &order, const QString &negative, const Variant &daily,
                     const QList<QPair<QString, QString>> &before, double spentToday)
    {
        QList<QList<Variant>> rows;
        for (const auto &[code, number] : before)
            rows.append({code, number});
        ordemFamilia = Variant(QList<Variant>{
            Variant(packetOf({"CDFAMILISALD", "NRORDAPRSALD", "IDSALDNEGFAM", "VRCONSDIAFAM"},
                             {{family, order, negative, daily}})),
            Variant(packetOf({"CDFAMILISALD", "NRORDAPRSALD"}, rows)),
            Variant(packetOf({"VRDIARIOFAM"}, {{spentToday}}))});
    }

    void storeLimits(const Variant &dayC, const Variant &monthC, const Variant &dayD, const Variant &monthD,
                     const Variant &monthly)
    {
        tipoConsLoja = Variant(packetOf({"VRMAXCONSDIAC", "VRMAXCONSMESC", "VRMAXCONSDIAD", "VRMAXCONSMESD",
                                         "VRMAXCONSMENSAL"},
                                        {{dayC, monthC, dayD, monthD, monthly}}));
    }

    void balances(const QList<QList<Variant>> &rows)
    {
        fill(data().cdsConsultaSaldo, {"CDFAMILISALD", "NMFAMILISALD", "VRSALDCONFAM"}, rows);
    }

    ConsumerSale &consumer() { return context().consumer(); }

    bool credit(const QString &price, const QString &fromSettle = QStringLiteral("N"),
                const QString &family = QStringLiteral("REF"), const QString &combo = QString())
    {
        return consumer().Valida_Parametros_Credito_Pessoal(family, QStringLiteral("1"), price, QString(), QString(),
                                                            QString(), fromSettle, combo);
    }

    bool debit(const QString &price, const QString &fromSettle = QStringLiteral("N"))
    {
        return consumer().Valida_Parametros_Debito_Consumidor(QStringLiteral("1"), price, QString(), QString(),
                                                              QString(), fromSettle);
    }

    QString lastMessage() const { return messages->count() ? messages->calls().last().text : QString(); }
    QString message(const QString &key, const QStringList &args = {})
    {
        return Lvm_msg::Format(context().Msg(key), args);
    }

    Variant ordemFamilia;
    Variant tipoConsLoja;
    Variant qtdeProdDia{QStringLiteral("QTDE_OK")};
    Variant prodVenDiaServ{0.0};
    Variant gtDiaServ{0.0};
    Variant verifProdConsumi{DataPacket{}};
    Variant cadConsumidor;
    int calls = 0;
    std::unique_ptr<ScopedTable<Seam::Consumers>> scoped;
};
