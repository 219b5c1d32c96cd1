#include "srv_tabs.h"

#include "servercall.h"

#include <outside/consiste.h>

#include <runtime/clientdataset.h>

#include <cmath>

namespace {

const Statement adqSeqDesistencia{"adqSeqDesistencia",
    "SELECT NRSEQITCOMVENDES FROM ITCOMANDAVENDES WHERE CDCAIXA = :P_CDCAIXA AND CDFILIAL = :P_CDFILIAL "
    "AND NRVENDAREST = :P_NRVENDAREST"};

const Statement acmInsDesistencia{"acmInsDesistencia",
    "INSERT INTO ITCOMANDAVENDES (CDFILIAL, CDCAIXA, NRVENDAREST, QTPRODITCOMVENDES, CDPRODUTO, DSOBSCANITE, "
    "CDSUPERVISOR, VRPRECCOMVEN, VRDESCCOMVEN, VRACRCOMVEN, NRSEQITCOMVENDES) VALUES (:CDFILIAL, :CDCAIXA, "
    ":NRVENDAREST, :QTPRODITCOMVENDES, :CDPRODUTO, :DSOBSCANITE, :CDSUPERVISOR, :VRPRECCOMVEN, :VRDESCCOMVEN, "
    ":VRACRCOMVEN, :NRSEQITCOMVENDES)"};

// The highest sequence used so far; a value that is not a number counts as none, as the
// three-digit texts are compared as numbers ("999" < "1000").
struct SaleKey
{
    QString CDFILIAL;
    QString CDCAIXA;
    QString NRVENDAREST;
};

Variant lastSequence(ServerCall &call, const SaleKey &sale)
{
    const Variant found = call.packet(adqSeqDesistencia, {{"P_CDCAIXA", sale.CDCAIXA}, {"P_CDFILIAL", sale.CDFILIAL},
                                                          {"P_NRVENDAREST", sale.NRVENDAREST}});
    if (found.isFailure())
        return found;
    qint64 last = 0;
    const DataPacket &rows = found.packet();
    for (int row = 0; row < rows.rows.size(); ++row) {
        bool ok = false;
        const qint64 value = rows.value(row, "NRSEQITCOMVENDES").toString().trimmed().toLongLong(&ok);
        if (ok && value > last)
            last = value;
    }
    return Variant(last);
}

Variant fieldValue(const ClientDataSet &itens, const char *name)
{
    const Field field = itens.FindField(QString::fromLatin1(name));
    return field.IsValid() && !field.IsNull() ? field.Value() : Variant::null();
}

double fieldNumber(const ClientDataSet &itens, const char *name)
{
    const Field field = itens.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsFloat() : 0.0;
}

Variant insertRow(ServerCall &call, const SaleKey &sale, const ClientDataSet &itens, qint64 sequence)
{
    Params row{{"CDFILIAL", sale.CDFILIAL}, {"CDCAIXA", sale.CDCAIXA}, {"NRVENDAREST", sale.NRVENDAREST}};
    row.append({"QTPRODITCOMVENDES", std::fabs(fieldNumber(itens, "QTPRODCOMVEN"))});
    row.append({"CDPRODUTO", fieldValue(itens, "CDPRODUTO")});
    row.append({"DSOBSCANITE", fieldValue(itens, "DSOBSCANITE")});
    row.append({"CDSUPERVISOR", fieldValue(itens, "CDSUPERVISOR")});
    row.append({"VRPRECCOMVEN", fieldNumber(itens, "VRPRECCOMVEN")});
    row.append({"VRDESCCOMVEN", fieldNumber(itens, "VRDESCCOMVEN")});
    row.append({"VRACRCOMVEN", fieldNumber(itens, "VRACRCOMVEN")});
    row.append({"NRSEQITCOMVENDES", Consiste::Ajusta(QString::number(sequence), 3)});
    return call.write(acmInsDesistencia, row);
}

QString missingFields(const ClientDataSet &itens)
{
    QStringList missing;
    for (const char *name : {"QTPRODCOMVEN", "CDPRODUTO"}) {
        if (!itens.HasField(QString::fromLatin1(name)))
            missing.append(QString::fromLatin1(name));
    }
    return missing.join(QStringLiteral(", "));
}

// Visits every visible row from the first and puts the cursor back where it was.
Variant insertAll(ServerCall &call, const SaleKey &sale, ClientDataSet &itens, qint64 last)
{
    const Bookmark kept = itens.GetBookmark();
    Variant result;
    for (itens.First(); !itens.Eof() && !result.isFailure(); itens.Next())
        result = insertRow(call, sale, itens, ++last);
    if (!kept.isNull())
        itens.GotoBookmark(kept);
    return result;
}

} // namespace

namespace Srv_Kal51000 {

// Unlike the old road, a line that cannot be written is not skipped: the lines stand or fall
// together, and the caller learns of the failure.
Variant setGeraDesistencia(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRVENDAREST,
                           ClientDataSet &itens)
{
    if (!itens.Active() || itens.IsEmpty())
        return Variant();
    if (const QString missing = missingFields(itens); !missing.isEmpty())
        return Variant::failure(QStringLiteral("setGeraDesistencia: faltam os campos %1 nos itens desistidos").arg(missing));
    const SaleKey sale{CDFILIAL, CDCAIXA, NRVENDAREST};
    ServerCall call;
    TransactionScope transaction(call);
    const Variant last = lastSequence(call, sale);
    if (last.isFailure())
        return last;
    if (const Variant written = insertAll(call, sale, itens, last.toInt()); written.isFailure())
        return written;
    return transaction.commit();
}

} // namespace Srv_Kal51000
