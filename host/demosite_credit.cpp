// The demo till's merchandise exchange: a receipt type for the returned goods' credit, so the
// credit of the functions menu's returned items can pay a sale.
#include "demosite.h"

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>

#include <QDir>

namespace DemoSite {

bool addExchangeReceiptType(const QString &folder, Report &report)
{
    const QString path = QDir(folder).filePath(QStringLiteral("Dados/Cadastros/ConfTipoRece.cds"));
    DataPacket packet;
    QString error;
    ClientDataSet types;
    if (!CdsFile::load(path, &packet, &error) || !types.SetData(packet, &error)) {
        report.error = error;
        return false;
    }
    ClientDataSet widened;
    for (const FieldDef &def : types.FieldDefs().DataDefs())
        widened.FieldDefs().Add(def.name, def.type, def.size);
    widened.FieldDefs().Add(QStringLiteral("IDTPRECTROCAMER"), FieldType::String, 1);
    widened.CreateDataSet();
    auto copyRow = [&widened, &types](const QString &exchange) {
        widened.Append();
        for (const FieldDef &def : types.FieldDefs().DataDefs())
            widened.FieldByName(def.name).SetValue(types.FieldByName(def.name).Value());
        widened.FieldByName(QStringLiteral("IDTPRECTROCAMER")).SetAsString(exchange);
        widened.Post();
    };
    for (types.First(); !types.Eof(); types.Next())
        copyRow(QStringLiteral("N"));
    widened.Append();
    for (const auto &[name, value] : {std::pair{"CDTIPORECE", "011"}, std::pair{"NMTIPORECE", "Troca de mercadoria"},
                                      std::pair{"IDTIPORECE", "1"}, std::pair{"IDHABVENDAMAN", "N"},
                                      std::pair{"CDFPIMPFIS", "08"}, std::pair{"IDMOSTRARECE", "N"},
                                      std::pair{"IDDESABTEF", "S"}, std::pair{"IDTPRECTROCAMER", "S"}})
        widened.FieldByName(QString::fromLatin1(name)).SetAsString(QString::fromUtf8(value));
    widened.Post();
    if (!CdsFile::save(path, widened.Data(), &error)) {
        report.error = error;
        return false;
    }
    return true;
}

} // namespace DemoSite
