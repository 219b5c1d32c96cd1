#include "creditvouchers.h"

#include <host/program/hostlog.h>
#include <host/site/salesaving.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

namespace {

// The sale's total is worked out from the sale's rows: the figure the road passes as its total
// is the client company's part of the sale (quantity times the company's unit value), nothing
// on most personal-credit sales, and is shown apart only when there is one.
HostResult printVoucher(const QString &printerName, const CreditVoucherRequest &r)
{
    QString text = QStringLiteral("comprovante de crédito pessoal (%1): %2 %3 %4 valor %5 total %6")
                       .arg(printerName, r.cdCliente, r.cdConsumidor, r.nmConsumidor, PtBr::FormatCurr(r.vrMoviVend),
                            PtBr::FormatCurr(SaleSaving::saleTotal(r.cdsVenda)));
    if (std::abs(r.saleTotal) >= 0.005)
        text += QStringLiteral(" empresa %1").arg(PtBr::FormatCurr(r.saleTotal));
    HostLog::write(text + QStringLiteral(" senha ") + r.stSenhaPedido);
    return HostResult::done();
}

} // namespace

namespace CreditVouchers {

HostResult Imp_CompVenCred(const CreditVoucherRequest &request)
{
    return printVoucher(QStringLiteral("impressora fiscal"), request);
}

HostResult ImpCompVenCredNFCeSAT(const CreditVoucherRequest &request)
{
    return printVoucher(QStringLiteral("impressora não fiscal"), request);
}

QString writeReturnedItems(const QString &values)
{
    ClientDataSet items(QStringLiteral("cdsItensDevolv"));
    FieldDefList &defs = items.FieldDefs();
    for (const char *name : {"CDSUPERVISOR", "CDPRODUTO", "QTPRODVEND", "NMPRODUTO", "CDORDALIQIMPR", "CDFAMILISALD",
                             "CDPRODPROMOCAO"})
        defs.Add(QString::fromLatin1(name), FieldType::String, 30);
    for (const char *name : {"VALOR", "VRALIQIMPR", "VRUNITVENDCL", "VRUNITVEND"})
        defs.Add(QString::fromLatin1(name), FieldType::Double);
    items.CreateDataSet();
    const QStringList lines = values.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        bool ok = false;
        const double value = PtBr::StrToFloat(line, &ok);
        if (!ok)
            return QStringLiteral("valor de item devolvido ilegível: %1").arg(line);
        items.Append();
        items.FieldByName(QStringLiteral("VALOR")).SetValue(value);
        items.FieldByName(QStringLiteral("CDSUPERVISOR")).SetAsString(QStringLiteral("0001"));
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("04001"));
        items.FieldByName(QStringLiteral("QTPRODVEND")).SetAsString(QStringLiteral("1"));
        items.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QStringLiteral("ITEM DEVOLVIDO"));
        items.FieldByName(QStringLiteral("VRUNITVEND")).SetValue(value);
        items.Post();
    }
    // The sale screen looks for the file in the till's cadastre folder (DSDIRCAD) only.
    DataPacket parameters;
    QString error;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters, &error))
        return QStringLiteral("parâmetros do caixa ilegíveis: %1").arg(error);
    const Variant folderValue = parameters.value(0, QStringLiteral("DSDIRCAD"));
    const QString folder = SitePaths::resolve(folderValue.isBlank() ? QString() : folderValue.toString().trimmed());
    const QString path = SitePaths::resolve(QDir(folder).filePath(QStringLiteral("ITENSDEVOLVIDOS.CDS")));
    QDir().mkpath(QFileInfo(path).path());
    if (!items.SaveToFile(path, &error))
        return error;
    HostLog::write(QStringLiteral("itens devolvidos gravados: %1").arg(path));
    return {};
}

} // namespace CreditVouchers
