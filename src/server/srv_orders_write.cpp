#include "srv_orders_write.h"

#include "servercall.h"

#include <outside/consiste.h>

#include <runtime/clock.h>

namespace OrderWriting {

namespace {

const Statement adqIdControProd{"adqIdControProd",
    "SELECT IDCONTROPROD FROM LOJA WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA"};
const Statement adqSetorProdLoja{"adqSetorProdLoja",
    "SELECT CDSETOR FROM PRODLOJA WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA AND CDPRODUTO = :P_CDPRODUTO"};
// An all-you-can-eat product already ordered for the seat is not ordered again.
const Statement adqProdRodizio{"adqProdRodizio",
    "SELECT I.NRPRODCOMVEN FROM ITCOMANDAVEN I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
    "WHERE I.CDFILIAL = :P_CDFILIAL AND I.NRVENDAREST = :P_NRVENDAREST AND I.NRCOMANDA = :P_NRCOMANDA "
    "AND I.NRLUGARMESA = :P_NRLUGARMESA AND I.CDPRODUTO = :P_CDPRODUTO AND P.IDTIPOCOMPPROD = '6' "
    "AND P.IDIMPPRODUTO = '1' AND COALESCE(I.IDSTPRCOMVEN, ' ') NOT IN ('6', '7') ORDER BY I.NRPRODCOMVEN"};
const Statement adqInsProd{"adqInsProd",
    "INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, QTPRODCOMVEN, "
    "VRPRECCOMVEN, TXPRODCOMVEN, IDSTPRCOMVEN, VRDESCCOMVEN, NRLUGARMESA, DTHRINCOMVEN, CDLOJA, NRSEQPRODCOM, "
    "VRACRCOMVEN, NRSEQPRODCUP, CDCAIXACOLETOR, CDPRODPROMOCAO, VRPRECCLCOMVEN, CDVENDEDOR, CDSENHAPED, "
    "NRATRAPRODCOVE, DSOBSPEDDIGCMD, QTITEMREFIL, IDPRODREFIL, IDORIGEMVENDA, NMCONSVEND, NRINSCRCONS, "
    "CDCUPOMDESCQUB, CDCAMPCOMPGANHE, DTINIVGCAMPCG, IDIMPPRGRPROMO, IDOBSERVACAOAD, NRSEQPRODPAI, CDGRUPROMOC) "
    "VALUES (:CDFILIAL, :NRVENDAREST, :NRCOMANDA, :NRPRODCOMVEN, :CDPRODUTO, :QTPRODCOMVEN, :VRPRECCOMVEN, "
    ":TXPRODCOMVEN, :IDSTPRCOMVEN, :VRDESCCOMVEN, :NRLUGARMESA, :DTHRINCOMVEN, :CDLOJA, :NRSEQPRODCOM, "
    ":VRACRCOMVEN, :NRSEQPRODCUP, :CDCAIXACOLETOR, :CDPRODPROMOCAO, :VRPRECCLCOMVEN, :CDVENDEDOR, :CDSENHAPED, "
    ":NRATRAPRODCOVE, :DSOBSPEDDIGCMD, :QTITEMREFIL, :IDPRODREFIL, :IDORIGEMVENDA, :NMCONSVEND, :NRINSCRCONS, "
    ":CDCUPOMDESCQUB, :CDCAMPCOMPGANHE, :DTINIVGCAMPCG, :IDIMPPRGRPROMO, :IDOBSERVACAOAD, :NRSEQPRODPAI, "
    ":CDGRUPROMOC)"};
// Options and part options are written once per key: a repeat is left alone.
const Statement acmInsObsItComandaVen{"acmInsObsItComandaVen",
    "INSERT INTO OBSITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDGRPOCOR, CDOCORR) "
    "VALUES (:CDFILIAL, :NRVENDAREST, :NRCOMANDA, :NRPRODCOMVEN, :CDGRPOCOR, :CDOCORR) ON CONFLICT DO NOTHING"};
const Statement acmInsObsItComandaEst{"acmInsObsItComandaEst",
    "INSERT INTO OBSITCOMANDAEST (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, CDGRPOCOR, CDOCORR) "
    "VALUES (:CDFILIAL, :NRVENDAREST, :NRCOMANDA, :NRPRODCOMVEN, :CDPRODUTO, :CDGRPOCOR, :CDOCORR) "
    "ON CONFLICT DO NOTHING"};
const Statement adqItComandaEst{"adqItComandaEst",
    "SELECT 1 AS EXISTE FROM ITCOMANDAEST WHERE CDFILIAL = :P_CDFILIAL AND NRVENDAREST = :P_NRVENDAREST "
    "AND NRCOMANDA = :P_NRCOMANDA AND NRPRODCOMVEN = :P_NRPRODCOMVEN AND CDPRODUTO = :P_CDPRODUTO"};
const Statement adqInsItComandaEst{"adqInsItComandaEst",
    "INSERT INTO ITCOMANDAEST (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, QTPROCOMEST, "
    "VRPRECCOMEST, VRDESITCOMEST, TXPRODCOMVENEST, DSOBSPEDDIGEST, NRATRAPRODCOES, VRACRITCOMEST, IDIMPPRGRPROMO, "
    "NRSEQITVENDAEST, NRSEQCOMB, CDGRUPROMOC) VALUES (:CDFILIAL, :NRVENDAREST, :NRCOMANDA, :NRPRODCOMVEN, "
    ":CDPRODUTO, :QTPROCOMEST, :VRPRECCOMEST, :VRDESITCOMEST, :TXPRODCOMVENEST, :DSOBSPEDDIGEST, "
    ":NRATRAPRODCOES, :VRACRITCOMEST, :IDIMPPRGRPROMO, :NRSEQITVENDAEST, :NRSEQCOMB, :CDGRUPROMOC)"};
// A part sent again to the same item adds its quantity and discount (never its surcharge)
// and extends its texts, each kept to 2000 characters.
const Statement adqUpdItComandaEst{"adqUpdItComandaEst",
    "UPDATE ITCOMANDAEST SET QTPROCOMEST = COALESCE(QTPROCOMEST, 0) + :QTPROCOMEST, "
    "VRDESITCOMEST = COALESCE(VRDESITCOMEST, 0) + :VRDESITCOMEST, "
    "TXPRODCOMVENEST = SUBSTR(COALESCE(TXPRODCOMVENEST, '') || COALESCE(:TXPRODCOMVENEST, ''), 1, 2000), "
    "DSOBSPEDDIGEST = SUBSTR(COALESCE(DSOBSPEDDIGEST, '') || COALESCE(:DSOBSPEDDIGEST, ''), 1, 2000) "
    "WHERE CDFILIAL = :CDFILIAL AND NRVENDAREST = :NRVENDAREST AND NRCOMANDA = :NRCOMANDA "
    "AND NRPRODCOMVEN = :NRPRODCOMVEN AND CDPRODUTO = :CDPRODUTO"};

const QStringList requiredItemFields{QStringLiteral("NRSEQ"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTPRODCOMVEN")};

QString textOf(const ClientDataSet &dataSet, const char *name)
{
    return dataSet.FindField(QString::fromLatin1(name)).AsString();
}

Variant valueOf(const ClientDataSet &dataSet, const char *name)
{
    return dataSet.FindField(QString::fromLatin1(name)).Value();
}

double numberOf(const ClientDataSet &dataSet, const char *name)
{
    return dataSet.FindField(QString::fromLatin1(name)).AsFloat();
}

// A blank text is no date (the column takes null, not an empty text).
Variant dateOrNull(const Variant &value)
{
    if (value.isBlank() || (value.isText() && value.toString().trimmed().isEmpty()))
        return Variant::null();
    return value;
}

Variant loadPacket(ClientDataSet &dataSet, const Variant &packet)
{
    if (packet.isBlank())
        return dataSet.SetData(DataPacket{}) ? Variant() : Variant::failure(QStringLiteral("pacote vazio recusado"));
    if (!packet.isPacket())
        return Variant::failure(QStringLiteral("%1: o argumento não é um pacote de dados").arg(dataSet.Name()));
    QString error;
    if (!dataSet.SetData(packet.packet(), &error))
        return Variant::failure(QStringLiteral("%1: %2").arg(dataSet.Name(), error));
    return Variant();
}

// Runs `step` for every row `dataSet` shows under `predicate`, then removes the filter.
template <typename Step>
Variant forEachFiltered(ClientDataSet &dataSet, ClientDataSet::Predicate predicate, Step step)
{
    dataSet.SetFilter(std::move(predicate));
    dataSet.SetFiltered(true);
    Variant result;
    for (dataSet.First(); !dataSet.Eof() && !result.isFailure(); dataSet.Next())
        result = step(dataSet);
    dataSet.SetFiltered(false);
    dataSet.SetFilter({});
    return result;
}

} // namespace

Variant OrderPackets::load(const Variant &itens, const Variant &itPromoComb, const Variant &obsItens,
                           const Variant &obsItensEst)
{
    for (auto [dataSet, packet] : {std::pair{&cdsItems, &itens}, {&cdsItPromoComb, &itPromoComb},
                                   {&cdsObsItens, &obsItens}, {&cdsObsItensEst, &obsItensEst}}) {
        if (Variant r = loadPacket(*dataSet, *packet); r.isFailure())
            return r;
    }
    if (!cdsItems.IsEmpty()) {
        for (const QString &name : requiredItemFields) {
            if (!cdsItems.HasField(name))
                return Variant::failure(QStringLiteral("cdsItems: falta o campo %1").arg(name));
        }
        cdsItems.SetIndexFieldNames(QStringLiteral("NRSEQ"), ixCaseInsensitive);
    }
    return Variant();
}

struct OrderWriter::ItemRow
{
    QString NRSEQ;
    QString CDPRODUTO;
    double quantity = 0;
    QString seat; // NRLUGARMESA, two digits
    int NRATRAPROD = 0;
    QString NRSEQPRODPAI;
};

OrderWriter::OrderWriter(ServerCall &call, const OrderKeys &keys, OrderPackets &packets)
    : m_call(call), m_keys(keys), m_packets(packets)
{
}

Variant OrderWriter::writeItems(qint64 firstNumber, const QString &NRSEQPRODCUP)
{
    m_NRSEQPRODCUP = NRSEQPRODCUP;
    ClientDataSet &items = m_packets.cdsItems;
    qint64 number = firstNumber;
    for (items.First(); !items.Eof() && m_refusal.isEmpty(); items.Next()) {
        if (Variant r = writeRow(Consiste::Ajusta(QString::number(number), 6)); r.isFailure())
            return r;
        ++number; // reused rows consume their number too
    }
    return Variant();
}

Variant OrderWriter::readItem(ItemRow *item) const
{
    const ClientDataSet &items = m_packets.cdsItems;
    item->NRSEQ = textOf(items, "NRSEQ");
    item->CDPRODUTO = textOf(items, "CDPRODUTO");
    bool ok = false;
    item->quantity = valueOf(items, "QTPRODCOMVEN").toDouble(&ok);
    if (!ok || textOf(items, "QTPRODCOMVEN").trimmed().isEmpty())
        return Variant::failure(QStringLiteral("quantidade inválida na linha %1: \"%2\"")
                                    .arg(item->NRSEQ, textOf(items, "QTPRODCOMVEN")));
    const QString rounds = textOf(items, "NRATRAPROD").trimmed();
    item->NRATRAPROD = rounds.isEmpty() ? 0 : rounds.toInt(&ok);
    if (!rounds.isEmpty() && !ok)
        return Variant::failure(QStringLiteral("NRATRAPROD inválido na linha %1: \"%2\"").arg(item->NRSEQ, rounds));
    item->seat = Consiste::Ajusta(textOf(items, "NRLUGARMESA"), 2);
    item->NRSEQPRODPAI = textOf(items, "NRSEQPRODPAI");
    return Variant();
}

Variant OrderWriter::writeRow(const QString &number)
{
    ItemRow item;
    if (Variant r = readItem(&item); r.isFailure())
        return r;
    const Srv_Kal51000::OrderRowPrice price = priceOf({m_keys.CDFILIAL, m_keys.CDCLIENTE, item.CDPRODUTO,
                                                       m_keys.CDLOJA, m_keys.CDCONSUMIDOR, m_keys.modoVenda});
    if (price.isFailed())
        return Variant::failure(price.text());
    if (price.isRefused()) {
        // The order is written whole or not at all: the screen keeps the sale for another
        // try, and a resend must not find half of it written already.
        m_refusal = price.text();
        return Variant();
    }
    QString status;
    if (Variant r = productionStatus(item, &status); r.isFailure())
        return r;
    const Variant reused = m_call.value(adqProdRodizio, {{"P_CDFILIAL", m_keys.CDFILIAL},
        {"P_NRVENDAREST", m_keys.NRVENDAREST}, {"P_NRCOMANDA", m_keys.NRCOMANDA},
        {"P_NRLUGARMESA", item.seat}, {"P_CDPRODUTO", item.CDPRODUTO}}, "NRPRODCOMVEN");
    if (reused.isFailure())
        return reused;
    const QString parent = item.NRSEQPRODPAI.isEmpty() ? QString() : m_cdsNrSeqItem.value(item.NRSEQPRODPAI);
    const QString itemNumber = reused.isBlank() ? number : reused.toString();
    if (reused.isBlank()) {
        if (Variant r = insertItem(item, itemNumber, status, parent); r.isFailure())
            return r;
        m_insertedItems = true;
    }
    m_cdsNrSeqItem.insert(item.NRSEQ, itemNumber);
    if (Variant r = writeOptions(item, itemNumber); r.isFailure())
        return r;
    const ClientDataSet &items = m_packets.cdsItems;
    m_total += item.quantity * price.value() - numberOf(items, "VRDESCCOMVEN") + numberOf(items, "VRACRCOMVEN");
    if (m_packets.cdsItPromoComb.IsEmpty())
        return Variant();
    return writeParts(item, itemNumber);
}

// "1" (production controlled) when the store controls production and the product has a
// production sector in the store, else "3".
Variant OrderWriter::productionStatus(const ItemRow &item, QString *status)
{
    if (!m_storeRead) {
        const Variant control = m_call.value(adqIdControProd, {{"P_CDFILIAL", m_keys.CDFILIAL},
                                                               {"P_CDLOJA", m_keys.CDLOJA}}, "IDCONTROPROD");
        if (control.isFailure())
            return control;
        m_IDCONTROPROD = control.toString();
        m_storeRead = true;
    }
    *status = QStringLiteral("3");
    if (m_IDCONTROPROD != QLatin1String("S"))
        return Variant();
    const Variant sector = m_call.value(adqSetorProdLoja, {{"P_CDFILIAL", m_keys.CDFILIAL},
        {"P_CDLOJA", m_keys.CDLOJA}, {"P_CDPRODUTO", item.CDPRODUTO}}, "CDSETOR");
    if (sector.isFailure())
        return sector;
    if (!sector.toString().trimmed().isEmpty())
        *status = QStringLiteral("1");
    return Variant();
}

Variant OrderWriter::insertItem(const ItemRow &item, const QString &number, const QString &status,
                                const QString &parent)
{
    const ClientDataSet &it = m_packets.cdsItems;
    return m_call.write(adqInsProd, {
        {"CDFILIAL", m_keys.CDFILIAL}, {"NRVENDAREST", m_keys.NRVENDAREST}, {"NRCOMANDA", m_keys.NRCOMANDA},
        {"NRPRODCOMVEN", number}, {"CDPRODUTO", item.CDPRODUTO}, {"QTPRODCOMVEN", qAbs(item.quantity)},
        {"VRPRECCOMVEN", numberOf(it, "VRPRECCOMVEN")}, {"TXPRODCOMVEN", textOf(it, "STOBSPEDIDO")},
        {"IDSTPRCOMVEN", status}, {"VRDESCCOMVEN", numberOf(it, "VRDESCCOMVEN")}, {"NRLUGARMESA", item.seat},
        {"DTHRINCOMVEN", Clock::now()}, {"CDLOJA", textOf(it, "CDLOJA")},
        {"NRSEQPRODCOM", textOf(it, "NRSEQPRODCOM")}, {"VRACRCOMVEN", numberOf(it, "VRACRCOMVEN")},
        {"NRSEQPRODCUP", m_NRSEQPRODCUP}, {"CDCAIXACOLETOR", m_keys.CDCAIXA},
        {"CDPRODPROMOCAO", textOf(it, "CDPRODPROMOCAO")}, {"VRPRECCLCOMVEN", numberOf(it, "VRUNITVENDCL")},
        {"CDVENDEDOR", m_keys.CDVENDEDOR}, {"CDSENHAPED", m_keys.CDSENHAPED}, {"NRATRAPRODCOVE", item.NRATRAPROD},
        {"DSOBSPEDDIGCMD", textOf(it, "STOBSDIGITADA")}, {"QTITEMREFIL", numberOf(it, "QTITEMREFIL")},
        {"IDPRODREFIL", textOf(it, "IDPRODREFIL")}, {"IDORIGEMVENDA", textOf(it, "IDORIGEMVENDA")},
        {"NMCONSVEND", textOf(it, "NMCONSVEND")}, {"NRINSCRCONS", textOf(it, "NRINSCRCONS")},
        {"CDCUPOMDESCQUB", textOf(it, "CDCUPOMDESCQUB")}, {"CDCAMPCOMPGANHE", textOf(it, "CDCAMPCOMPGANHE")},
        {"DTINIVGCAMPCG", dateOrNull(valueOf(it, "DTINIVGCAMPCG"))},
        {"IDIMPPRGRPROMO", textOf(it, "IDIMPPRGRPROMO")}, {"IDOBSERVACAOAD", textOf(it, "IDOBSERVACAO")},
        {"NRSEQPRODPAI", parent}, {"CDGRUPROMOC", textOf(it, "CDGRUPROMOC")}});
}

Variant OrderWriter::writeOptions(const ItemRow &item, const QString &number)
{
    ClientDataSet &options = m_packets.cdsObsItens;
    if (options.IsEmpty())
        return Variant();
    const QString line = item.NRSEQ;
    return forEachFiltered(options, [line](const ClientDataSet &d) { return textOf(d, "NRSEQ") == line; },
                           [&](ClientDataSet &d) {
        return m_call.write(acmInsObsItComandaVen, {{"CDFILIAL", m_keys.CDFILIAL},
            {"NRVENDAREST", m_keys.NRVENDAREST}, {"NRCOMANDA", m_keys.NRCOMANDA}, {"NRPRODCOMVEN", number},
            {"CDGRPOCOR", textOf(d, "CDGRPOCOR")}, {"CDOCORR", textOf(d, "CDOCORR")}});
    });
}

Variant OrderWriter::writeParts(const ItemRow &item, const QString &number)
{
    ClientDataSet cdsItPromoCombAux(QStringLiteral("cdsItPromoCombAux"));
    if (Variant r = mergeParts(item, cdsItPromoCombAux); r.isFailure())
        return r;
    for (cdsItPromoCombAux.First(); !cdsItPromoCombAux.Eof(); cdsItPromoCombAux.Next()) {
        if (Variant r = writePart(item, number, cdsItPromoCombAux); r.isFailure())
            return r;
        if (Variant r = writePartOptions(item, number, textOf(cdsItPromoCombAux, "CDPRODUTO")); r.isFailure())
            return r;
    }
    return Variant();
}

// The item's parts, one row per product: a repeated product adds its quantity, discount and
// surcharge to the first occurrence, which keeps its other values.
Variant OrderWriter::mergeParts(const ItemRow &item, ClientDataSet &merged)
{
    ClientDataSet &parts = m_packets.cdsItPromoComb;
    if (!merged.SetData(DataPacket{parts.Data().fields, {}}))
        return Variant::failure(QStringLiteral("cdsItPromoCombAux não pôde ser criado"));
    const QString line = item.NRSEQ;
    return forEachFiltered(parts, [line](const ClientDataSet &d) { return textOf(d, "NRSEQ") == line; },
                           [&](ClientDataSet &part) {
        const QString product = textOf(part, "CDPRODUTO");
        if (!merged.Locate(QStringLiteral("CDPRODUTO"), product)) {
            merged.Append();
            for (int i = 0; i < part.FieldCount(); ++i)
                merged.Fields(i).SetValue(part.Fields(i).Value());
        } else {
            merged.Edit();
            for (const char *name : {"QTPRODVEND", "VRDESITVENDAEST", "VRACRITVENDAEST"}) {
                Field field = merged.FindField(QString::fromLatin1(name));
                if (field.IsValid())
                    field.SetAsFloat(field.AsFloat() + numberOf(part, name));
            }
        }
        return merged.Post() ? Variant() : Variant::failure(QStringLiteral("cdsItPromoCombAux: gravação recusada"));
    });
}

Variant OrderWriter::writePart(const ItemRow &, const QString &number, const ClientDataSet &part)
{
    const Params key{{"CDFILIAL", m_keys.CDFILIAL}, {"NRVENDAREST", m_keys.NRVENDAREST},
                     {"NRCOMANDA", m_keys.NRCOMANDA}, {"NRPRODCOMVEN", number},
                     {"CDPRODUTO", textOf(part, "CDPRODUTO")}};
    Params lookup;
    for (const Param &p : key)
        lookup.append({QStringLiteral("P_") + p.name, p.value});
    const Variant found = m_call.value(adqItComandaEst, lookup, "EXISTE");
    if (found.isFailure())
        return found;
    if (!found.isBlank()) {
        return m_call.write(adqUpdItComandaEst, key + Params{
            {"QTPROCOMEST", numberOf(part, "QTPRODVEND")}, {"VRDESITCOMEST", numberOf(part, "VRDESITVENDAEST")},
            {"TXPRODCOMVENEST", textOf(part, "TXPRODCOMVENEST")}, {"DSOBSPEDDIGEST", textOf(part, "DSOBSPEDDIGEST")}});
    }
    return m_call.write(adqInsItComandaEst, key + Params{
        {"QTPROCOMEST", numberOf(part, "QTPRODVEND")}, {"VRPRECCOMEST", numberOf(part, "VRUNVENDAEST")},
        {"VRDESITCOMEST", numberOf(part, "VRDESITVENDAEST")}, {"TXPRODCOMVENEST", textOf(part, "TXPRODCOMVENEST")},
        {"DSOBSPEDDIGEST", textOf(part, "DSOBSPEDDIGEST")}, {"NRATRAPRODCOES", part.FindField("NRATRAPRODCOES").AsInteger()},
        {"VRACRITCOMEST", numberOf(part, "VRACRITVENDAEST")}, {"IDIMPPRGRPROMO", textOf(part, "IDIMPGRPROMO")},
        {"NRSEQITVENDAEST", textOf(part, "NRSEQORIG")}, {"NRSEQCOMB", part.FindField("NRSEQITEMADD").AsInteger()},
        {"CDGRUPROMOC", textOf(part, "CDGRUPROMOC")}});
}

Variant OrderWriter::writePartOptions(const ItemRow &item, const QString &number, const QString &CDPRODUTO)
{
    ClientDataSet &options = m_packets.cdsObsItensEst;
    if (options.IsEmpty())
        return Variant();
    const QString line = item.NRSEQ;
    return forEachFiltered(options, [line, CDPRODUTO](const ClientDataSet &d) {
        return textOf(d, "NRSEQ") == line && textOf(d, "CDPRODUTO") == CDPRODUTO;
    }, [&](ClientDataSet &d) {
        return m_call.write(acmInsObsItComandaEst, {{"CDFILIAL", m_keys.CDFILIAL},
            {"NRVENDAREST", m_keys.NRVENDAREST}, {"NRCOMANDA", m_keys.NRCOMANDA}, {"NRPRODCOMVEN", number},
            {"CDPRODUTO", CDPRODUTO}, {"CDGRPOCOR", textOf(d, "CDGRPOCOR")}, {"CDOCORR", textOf(d, "CDOCORR")}});
    });
}

} // namespace OrderWriting
