#pragma once

#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

#include <functional>

// The server functions the product entry and the keyboard map call, as one replaceable table:
// by default the server layer's own (Srv_Kal51000); tests replace members. Results follow the
// server-call convention (a packet, a value, or a failure); the callers hand them to
// the sale context's answer checker.
struct EntryServer
{
    EntryServer(); // every member holds the server layer's function

    std::function<Variant(const QString &CDFILIAL, const QString &NRCONFTELA, const QString &code)>
        getCodigoAtalho;
    std::function<Variant(const QString &code)> getCodigoBarra;
    std::function<Variant(const QString &CDFILIAL, const QString &CDCAIXA, const QString &prefix,
                          const QString &rangeStart, const QString &rangeEnd)>
        getPrxVendaColombia;
    std::function<Variant(const QString &CDFILIAL)> getProdPesq;
    // The server layer has no such function yet: the default answers a failure, and the search
    // then takes the family its list row carries.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCdFamiliSald;
    std::function<QString(const QString &CDFILIAL, const QString &CDLOJA)> getProdTxServ;
    std::function<bool(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &seat)>
        verificaIDSTLUGARMESA;
    std::function<Variant(const QString &CDFILIAL, const QString &NRCOMANDA, const QString &NRVENDAREST)>
        getAgrupProd;
    // Refills: packet of NRPRODCOMVEN of the tab's ordinary live lines of product and seat;
    // setProdRefil adds the quantity to one line's count (empty, or the failure).
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &CDPRODUTO, const QString &NRLUGARMESA)>
        getProdRefil;
    std::function<Variant(const QString &CDFILIAL, const QString &NRVENDAREST, const QString &NRCOMANDA,
                          const QString &NRPRODCOMVEN, double quantity)>
        setProdRefil;
    // Packet of the product's coupons usable at the branch; the failure otherwise.
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getCuponsValidos;
    std::function<Variant(const QString &CDPRODUTO)> getCampCompGanhe;
    std::function<Variant(const QString &CDCAMPANHA, const QDateTime &start)> getBrCampCompGanhe;
    std::function<QString(const QString &CDGRPOCOR, const QString &CDOCORR)> getDsOcorr;
    std::function<Variant(const QString &CDOPERADOR)> setLogAcesso;
    // The product button's own lookups: the day price of the weekday, the QR printing of the
    // desk and product (both "S" or not), and the product's loyalty campaigns.
    std::function<QString(const QString &CDFILIAL, const QString &CDPRODUTO, const QString &TIPOCONS,
                          const QString &DIASEMAN)>
        getIDUTILDESCDIA;
    std::function<QString(const QString &CDCAIXA, const QString &CDFILIAL, const QString &CDPRODUTO)>
        getIDIMPQRTOPDATA;
    std::function<Variant(const QString &CDFILIAL, const QString &CDPRODUTO)> getProdPromoFidelidade;

    static Variant notInstalled(const QString &name);
};

// The process's table.
EntryServer &entryServer();

// Installs a table for the life of the scope and puts the previous one back afterwards.
class ScopedEntryServer
{
public:
    explicit ScopedEntryServer(EntryServer replacement);
    ~ScopedEntryServer();
    ScopedEntryServer(const ScopedEntryServer &) = delete;
    ScopedEntryServer &operator=(const ScopedEntryServer &) = delete;

    EntryServer &table() { return entryServer(); }

private:
    EntryServer m_previous;
};
