#include "creditvouchers.h"

#include <host/devices/fiscalprinter.h>
#include <host/devices/nonfiscal.h>
#include <host/program/hostlog.h>
#include <host/site/salesaving.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

namespace {

constexpr int Width = 48;

QString columns(const QString &left, const QString &right)
{
    return NonFiscal::twoColumns(left, right, Width);
}

QString textOf(const DataPacket &packet, int row, const char *field)
{
    const Variant value = packet.value(row, QString::fromLatin1(field));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

double numberOf(const DataPacket &packet, int row, const char *field)
{
    return packet.value(row, QString::fromLatin1(field)).toDouble();
}

QStringList itemLines(const DataPacket &sale)
{
    QStringList lines;
    for (int row = 0; row < sale.rows.size(); ++row) {
        const double quantity = numberOf(sale, row, "QTPRODCOMVEN");
        const double value = Money::Trunc2(Money::Trunc2(quantity * numberOf(sale, row, "VRPRECCOMVEN"))
                                           - numberOf(sale, row, "VRDESCCOMVEN"));
        lines << columns(QStringLiteral("%1 x %2").arg(PtBr::FloatToStr(quantity), textOf(sale, row, "NMPRODUTO")),
                         PtBr::FloatToStrFixed(value, 2));
    }
    return lines;
}

// What the sale took from a family (cdsFamiliaSaldo), 0 when it took nothing.
double consumedFrom(const DataPacket &consumption, const QString &family)
{
    double consumed = 0;
    for (int row = 0; row < consumption.rows.size(); ++row) {
        if (textOf(consumption, row, "CDFAMILISALD").compare(family, Qt::CaseInsensitive) == 0)
            consumed = Money::Trunc2(consumed + numberOf(consumption, row, "VRSALDCONFAM"));
    }
    return consumed;
}

QStringList balanceLines(const CreditVoucherRequest &r)
{
    const DataPacket &balances = r.cdsConsultaSaldo;
    const bool after = !r.cdsFamiliaSaldo.fields.isEmpty();
    QStringList lines{after ? QStringLiteral("Saldos após a venda") : QStringLiteral("Saldos antes da venda")};
    for (int row = 0; row < balances.rows.size(); ++row) {
        const QString family = textOf(balances, row, "CDFAMILISALD");
        const double before = numberOf(balances, row, "VRSALDCONFAM");
        const double value = after ? Money::Trunc2(before - consumedFrom(r.cdsFamiliaSaldo, family)) : before;
        const QString name = textOf(balances, row, "NMFAMILISALD");
        lines << columns(QStringLiteral("  ") + (name.isEmpty() ? family : name), PtBr::FormatCurr(value));
    }
    return balances.rows.isEmpty() ? QStringList() : lines;
}

HostResult printOnTape(const CreditVoucherRequest &r)
{
    const QString refusal = FiscalPrinter::forSite().printVoucher(CreditVouchers::voucherTitle(), CreditVouchers::voucherLines(r));
    return refusal.isEmpty() ? HostResult::done() : HostResult{false, refusal};
}

} // namespace

namespace CreditVouchers {

QString voucherTitle()
{
    return QStringLiteral("COMPROVANTE DE VENDA CRÉDITO PESSOAL");
}

// The sale's total is worked out from the sale's rows: the figure the road passes as its total
// is the client company's part of the sale (quantity times the company's unit value), nothing
// on most personal-credit sales, and is shown apart only when there is one.
QStringList voucherLines(const CreditVoucherRequest &r)
{
    const QString rule(Width, QLatin1Char('-'));
    QStringList lines{QStringLiteral("Empresa: ") + r.cdCliente + QLatin1Char(' ') + r.nmFantClie,
                      QStringLiteral("Consumidor: ") + r.cdConsumidor + QLatin1Char(' ') + r.nmConsumidor};
    if (!r.stSenhaPedido.isEmpty())
        lines << QStringLiteral("Senha: ") + r.stSenhaPedido;
    lines << rule << itemLines(r.cdsVenda) << rule
          << columns(r.dsImpFiscal.isEmpty() ? QStringLiteral("CRÉDITO PESSOAL") : r.dsImpFiscal, PtBr::FormatCurr(r.vrMoviVend))
          << columns(QStringLiteral("TOTAL DA VENDA"), PtBr::FormatCurr(SaleSaving::saleTotal(r.cdsVenda)));
    if (std::abs(r.saleTotal) >= 0.005)
        lines << columns(QStringLiteral("Parte da empresa"), PtBr::FormatCurr(r.saleTotal));
    if (r.idImpSaldoCupom.trimmed() != QLatin1String("2"))
        lines << balanceLines(r);
    lines << rule << QString() << QStringLiteral("Assinatura: ______________________________");
    return lines;
}

QString nonFiscalVoucherText(const CreditVoucherRequest &request)
{
    const QString rule(Width, QLatin1Char('='));
    QStringList lines{rule, voucherTitle(), PtBr::DateTimeToStr(Clock::now())};
    lines << voucherLines(request) << rule << QString() << QString();
    return lines.join(QLatin1Char('\n'));
}

HostResult Imp_CompVenCred(const CreditVoucherRequest &request)
{
    return printOnTape(request);
}

HostResult ImpCompVenCredNFCeSAT(const CreditVoucherRequest &request)
{
    return NonFiscal::printText(request.cdPortImpNf3, QStringLiteral("VendaCons credito pessoal"),
                                nonFiscalVoucherText(request));
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
