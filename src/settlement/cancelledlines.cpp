#include "settlement.h"

#include <outside/consiste.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <QDebug>

namespace {

// Writes the fields of one new row and remembers the first that could not be written.
class RowWriter
{
public:
    explicit RowWriter(ClientDataSet &target) : m_target(target) {}

    void set(const char *field, const Variant &value)
    {
        if (!m_target.FieldByName(QString::fromLatin1(field)).SetValue(value) && m_failure.isEmpty())
            m_failure = QString::fromLatin1(field);
    }
    // The same field of the source row (null when the source has no such field).
    void copy(const char *field, const ClientDataSet &source) { copyAs(field, source, field); }
    void copyAs(const char *field, const ClientDataSet &source, const char *sourceField)
    {
        const Field value = source.FindField(QString::fromLatin1(sourceField));
        set(field, value.IsValid() ? value.Value() : Variant::null());
    }
    bool post()
    {
        if (m_failure.isEmpty() && !m_target.Post())
            m_failure = QStringLiteral("(gravação)");
        if (!m_failure.isEmpty())
            m_target.Cancel();
        return m_failure.isEmpty();
    }
    const QString &failure() const { return m_failure; }

private:
    ClientDataSet &m_target;
    QString m_failure;
};

// The tax row of a product; false (and logged) when the product has none, so that its tax
// fields stay empty instead of taking another product's.
bool locateTax(ClientDataSet &taxes, const QString &product)
{
    if (taxes.Locate(QStringLiteral("CDPRODUTO"), product))
        return true;
    qWarning().noquote() << "cdsAliquota sem linha para o produto" << product << "- impostos em branco";
    return false;
}

void copyTax(RowWriter &row, const ClientDataSet &taxes, bool found)
{
    for (const char *field : {"VRPEALIMPFIS", "CDIMPOSTO", "IDTPIMPOSFIS"}) {
        if (found)
            row.copy(field, taxes);
        else
            row.set(field, Variant::null());
    }
}

// The value of a cancelled line's money text when other lines remain: 0 for a text that sorts
// before "0" (empty or negative), its number otherwise.
Variant zeroRule(const ClientDataSet &line, const char *field)
{
    const QString text = line.FindField(QString::fromLatin1(field)).AsString();
    if (text.compare(QLatin1String("0")) < 0)
        return 0.0;
    return PtBr::StrToFloat(text);
}

QString fillSaleRows(SaleContext &context)
{
    SaleState &state = context.state();
    SaleDatasets &data = context.data();
    ClientDataSet &items = data.cdsItems;
    data.cdsVenda.Close();
    data.cdsVenda.CreateDataSet();
    const QString waiter = Consiste::Ajusta(state.host.stCDVENDEDOR, 4);
    for (items.First(); !items.Eof(); items.Next()) {
        const QString product = items.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
        data.cdsPortaProd.Locate(QStringLiteral("CDLOJA;CDPRODUTO"),
                                 Variant(QList<Variant>{state.params.stCDLOJA, product}));
        const bool taxFound = locateTax(data.cdsAliquota, product);
        data.cdsVenda.Append();
        RowWriter row(data.cdsVenda);
        row.set("CDFILIAL", state.params.stCDFILIAL);
        row.set("CDLOJA", state.params.stCDLOJA);
        for (const char *field : {"CDPRODUTO", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRUNITVENDCL", "VRDESCCOMVEN",
                                  "NRLUGARMESA", "NRSEQ", "CDARVPROD", "NMPRODUTO"})
            row.copy(field, items);
        row.set("CDVENDEDOR", waiter);
        row.set("CDVENDEDORITEM", waiter);
        copyTax(row, data.cdsAliquota, taxFound);
        row.copyAs("CDLOJAIT", items, "CDLOJAIT");
        row.set("CDOPERADOR", state.rights.stCDOPERADOR);
        row.set("NMOPERADOR", state.rights.stNMOPERADOR);
        row.set("NMLOJA", state.params.stCDLOJA);
        for (const char *field : {"CDSERVFILI", "ACRESITEM", "NRCONTCUPOMFISC", "NRCUPOMFIS", "CDORDALIQIMPR",
                                  "VRALIQIMPR", "DSENDEVENDA", "DTABERCAIX", "SGUNIDADE", "CDCLASFISC"})
            row.copy(field, items);
        row.set("NRMESA", QString());
        row.set("CDCLIENTE", state.host.stCdClienteVenda);
        row.set("CDCONSUMIDOR", state.consumer.stCDCONSUMIDOR);
        row.set("CDPREFINTGCOLVEN", state.params.stCDPREFINTGCOL);
        if (!row.post())
            return row.failure();
    }
    data.cdsVenda.First();
    return {};
}

// One row a cancelled line, in order; `zeroRule` when other lines remain.
QString fillCancelledRows(SaleContext &context, bool zeroRuleApplies)
{
    SaleState &state = context.state();
    SaleDatasets &data = context.data();
    ClientDataSet &lines = data.cdsItensCancelados;
    data.cdsVendaCancelada.Close();
    data.cdsVendaCancelada.CreateDataSet();
    for (lines.First(); !lines.Eof(); lines.Next()) {
        const bool taxFound = locateTax(data.cdsAliquota, lines.FieldByName(QStringLiteral("CDPRODUTO")).AsString());
        data.cdsVendaCancelada.Append();
        RowWriter row(data.cdsVendaCancelada);
        row.set("CDFILIAL", state.params.stCDFILIAL);
        row.set("CDLOJA", state.params.stCDLOJA);
        for (const char *field : {"CDPRODUTO", "CDPRODPROMOCAO", "QTPRODCOMVEN"})
            row.copy(field, lines);
        for (const char *field : {"VRPRECCOMVEN", "VRUNITVENCLC", "VRDESCCOMVEN"}) {
            if (zeroRuleApplies)
                row.set(field, zeroRule(lines, field));
            else
                row.copy(field, lines);
        }
        for (const char *field : {"NRLUGARMESA", "CDARVPROD", "NMPRODUTO"})
            row.copy(field, lines);
        row.set("CDVENDEDOR", state.host.stCDVENDEDOR);
        copyTax(row, data.cdsAliquota, taxFound);
        row.copyAs("CDLOJAIT", lines, "CDLOJA");
        row.set("CDOPERADOR", state.rights.stCDOPERADOR);
        row.set("NMOPERADOR", state.rights.stNMOPERADOR);
        row.set("NMLOJA", state.params.stCDLOJA);
        for (const char *field : {"VRACRCOMVEN", "CDSERVFILI", "NRCONTCUPOMFISC", "NRCUPOMFIS", "CDORDALIQIMPRIC",
                                  "VRALIQIMPRIC", "DSENDEVENDA", "NRSEQ"})
            row.copy(field, lines);
        row.set("NRMESA", QString());
        for (const char *field : {"DTABERCAIX", "STOBSPEDIDO", "DSOBSCANITE", "CDGRPOCORCANITE", "CDSUPERVISOR",
                                  "IDPRODPRODUZ"})
            row.copy(field, lines);
        row.set("CDOPERCANC", state.rights.stCDOPERADOR);
        if (!row.post())
            return row.failure();
    }
    return {};
}

} // namespace

bool Settlement::PreencheVendCanc()
{
    SaleDatasets &data = m_context.data();
    if (!data.cdsItensCancelados.Active())
        data.cdsItensCancelados.CreateDataSet();
    const bool allCancelled = data.cdsItems.IsEmpty();
    QString failure;
    if (allCancelled) {
        // No line remains: the sale rows are none (an earlier build's rows would be recorded as
        // sold otherwise).
        data.cdsVenda.Close();
        data.cdsVenda.CreateDataSet();
    } else {
        failure = fillSaleRows(m_context);
    }
    if (failure.isEmpty())
        failure = fillCancelledRows(m_context, !allCancelled);
    data.cdsVendaCancelada.First();
    if (failure.isEmpty())
        return true;
    m_context.message(QStringLiteral("Falha ao montar as linhas da venda: campo ") + failure, Ravuvozozod::Error);
    return false;
}
