// The demo till's personal credit and merchandise exchange: the personal-credit voucher is
// printed, and a receipt type takes the returned goods' credit, so the functions menu's
// returned items can pay a sale.
#include "demosite.h"

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>

#include <QDir>

#include <functional>

namespace DemoSite {

namespace {

// Rewrites a cadastre file with `value` in `column` on every row (the column added when the
// file lacks it) and, when given, the rows `extra` adds.
bool widenFile(const QString &path, const QString &column, const QString &value,
               const std::function<void(ClientDataSet &)> &extra, Report &report)
{
    DataPacket packet;
    QString error;
    ClientDataSet rows;
    if (!CdsFile::load(path, &packet, &error) || !rows.SetData(packet, &error)) {
        report.error = error;
        return false;
    }
    const QList<FieldDef> defs = rows.FieldDefs().DataDefs();
    ClientDataSet widened;
    for (const FieldDef &def : defs)
        widened.FieldDefs().Add(def.name, def.type, def.size);
    // A column the file has already only takes the value.
    if (!rows.HasField(column))
        widened.FieldDefs().Add(column, FieldType::String, qMax(1, int(value.size())));
    widened.CreateDataSet();
    for (rows.First(); !rows.Eof(); rows.Next()) {
        widened.Append();
        for (const FieldDef &def : defs)
            widened.FieldByName(def.name).SetValue(rows.FieldByName(def.name).Value());
        widened.FieldByName(column).SetAsString(value);
        widened.Post();
    }
    if (extra)
        extra(widened);
    if (!CdsFile::save(path, widened.Data(), &error)) {
        report.error = error;
        return false;
    }
    return true;
}

void exchangeType(ClientDataSet &types)
{
    types.Append();
    for (const auto &[name, value] : {std::pair{"CDTIPORECE", "011"}, std::pair{"NMTIPORECE", "Troca de mercadoria"},
                                      std::pair{"IDTIPORECE", "1"}, std::pair{"IDHABVENDAMAN", "N"},
                                      std::pair{"CDFPIMPFIS", "08"}, std::pair{"IDMOSTRARECE", "N"},
                                      std::pair{"IDDESABTEF", "S"}, std::pair{"IDTPRECTROCAMER", "S"}})
        types.FieldByName(QString::fromLatin1(name)).SetAsString(QString::fromUtf8(value));
    types.Post();
}

} // namespace

bool writeCreditAndExchange(const QString &folder, Report &report)
{
    const QDir root(folder);
    return widenFile(root.filePath(QStringLiteral("PARAMETROSQUB.CDS")), QStringLiteral("IDIMPCOMPVCP"),
                     QStringLiteral("S"), {}, report)
        && widenFile(root.filePath(QStringLiteral("Dados/Cadastros/ConfTipoRece.cds")),
                     QStringLiteral("IDTPRECTROCAMER"), QStringLiteral("N"), exchangeType, report);
}

} // namespace DemoSite
