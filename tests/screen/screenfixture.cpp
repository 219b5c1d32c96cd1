#include "screenfixture.h"

#include <sale/salestate_load.h>
#include <screen/screens.h>
#include <screen/tfrmvendacons.h>
#include <screen/vendacons.h>

#include <outside/trad_utl.h>
#include <runtime/cdsfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

DataPacket textPacket(const QStringList &fields, const QList<QStringList> &rows)
{
    DataPacket packet;
    for (const QString &field : fields)
        packet.fields.append(FieldDef{field, FieldType::String, 200});
    for (const QStringList &row : rows) {
        QList<Variant> values;
        for (int i = 0; i < fields.size(); ++i)
            values.append(i < row.size() && !row.at(i).isNull() ? Variant(row.at(i)) : Variant::null());
        packet.rows.append(values);
    }
    return packet;
}

void ScreenTest::SetUp()
{
    SaleFormTest::SetUp();
    if (HasFatalFailure())
        return;
    host->setDefault(&Pkg_Hrk00002::ControleAcess, QStringLiteral("S"));
    host->setDefault(&Pkg_Hrk00002::CalcTicketMedio, TextAnswer{true, QStringLiteral("25,5-12"), {}});
    server = std::make_unique<ScopedTable<ServerSeams>>(fakeServer());
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 1024, 768)}; });
    parameters = {{"CDFILIAL", "0001"}, {"CDLOJA", "01"},     {"CDCAIXA", "003"},
                  {"CDCLIENTE", "000099"}, {"NMFILIAL", "Centro"}, {"IdTpTelaVe", "1"},
                  {"CTCONSULTAPRECO", "11"}, {"CTPESQPRODUTO", "12"}, {"CTCANCITEMGEN", "13"},
                  {"CTOBSPRODUTO", "14"}, {"CTCANCCUPOM", "15"}, {"CTPRODCOMBINADO", "16"},
                  {"CTMULTIPLICADOR", "17"}, {"DSDIRCAD", ""}};
    writeParameters(parameters);
    writeOperator(QStringLiteral("000000000007"), QStringLiteral("MARIA"));
    writeFile(QStringLiteral("Dados/Cadastros/AberturaCaixa.cds"), {"CDFILIAL", "CDCAIXA", "CDATIVACAOSAT"},
              {{"0001", "003", ""}});
}

void ScreenTest::TearDown()
{
    VendaConsEntry::reset();
    VendaConsEntry::setModalRunner({});
    TfrmVendaCons::translator() = Trad_utl::Trad;
    Screens::setMonitors({});
    server.reset();
    SaleFormTest::TearDown();
}

QString ScreenTest::site() const
{
    return SaleFormTest::site.path();
}

QString ScreenTest::sitePath(const QString &relative) const
{
    return QDir(site()).filePath(relative);
}

void ScreenTest::writeParameters(const QHash<QString, QString> &values)
{
    QStringList fields;
    QStringList row;
    for (const ParameterColumn &column : parameterColumns()) {
        const QString name = QString::fromLatin1(column.column);
        fields << name;
        row << (values.contains(name) ? values.value(name) : QString());
    }
    fields << QStringLiteral("CDOPERADORATUAL");
    row << QStringLiteral("000000000007");
    writeFile(QStringLiteral("PARAMETROSQUB.CDS"), fields, {row});
}

void ScreenTest::writeOperator(const QString &code, const QString &name)
{
    writeFile(QStringLiteral("Dados/Cadastros/ControleAcess.cds"), {"CDOPERADOR", "NMOPERADOR"},
              {{code, name}});
}

void ScreenTest::writeFile(const QString &relative, const QStringList &fields, const QList<QStringList> &rows)
{
    const QString path = sitePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QString error;
    ASSERT_TRUE(CdsFile::save(path, textPacket(fields, rows), &error)) << error.toStdString();
}

void ScreenTest::writeBytes(const QString &relative, const QByteArray &bytes)
{
    const QString path = sitePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

Variant ScreenTest::call(const QString &mode, const std::function<void(TfrmVendaCons &)> &during,
                         const QStringList &arguments)
{
    VendaConsEntry::setModalRunner([during](TfrmVendaCons &form) {
        if (during)
            during(form);
    });
    QList<Variant> params;
    for (int i = 0; i < 10; ++i)
        params.append(Variant(arguments.value(i)));
    params[6] = Variant(mode);
    params[8] = Variant(false);
    Variant ret = Variant::array(1);
    VendaCons(params, ret);
    return ret;
}

TfrmVendaCons &ScreenTest::form()
{
    return *VendaConsEntry::frmVendaCons();
}

ServerSeams ScreenTest::fakeServer()
{
    ServerSeams table = ServerSeams::current();
    QStringList *calls = &serverCalls;
    auto record = [calls](const char *name) { calls->append(QString::fromLatin1(name)); };
    table.startupLookups.getDadosCRMBONUS = [record](const QString &, const QString &) {
        record("getDadosCRMBONUS");
        return Variant(textPacket({"IDCRMBONUS", "CDURLCRMBONUS", "CDAUTHCRMBONUS", "CDCODECRMBONUS"},
                                  {{"S", "https://crm.example", "auth", "code"}}));
    };
    table.lookupsTills.getVisualizaTelPed = [record](const QString &, const QString &) {
        record("getVisualizaTelPed");
        return Variant(false);
    };
    table.lookupsTills.getConfigCaixa = [record](const QString &, const QString &) {
        record("getConfigCaixa");
        return Variant(QStringLiteral("N"));
    };
    table.startupLookups.getConsumidorDLV = [record](const QString &, const QString &) {
        record("getConsumidorDLV");
        return Variant(textPacket({"NMCONSUMIDOR"}, {{"JOSE DA SILVA"}}));
    };
    table.tabs.getSenhaPed = [record](const QString &, const QString &, const QString &) {
        record("getSenhaPed");
        return Variant(QStringLiteral("42"));
    };
    table.tabs.GetDtHrAberMesa = [record](const QString &, const QString &) {
        record("GetDtHrAberMesa");
        return Variant(QDateTime(QDate(2024, 3, 5), QTime(12, 0)));
    };
    table.lookupsProducts.setPromoCombAux = [record](const QString &, const QString &) {
        record("setPromoCombAux");
        return Variant();
    };
    table.lookupsTills.getIDUTCUPOMDESC = [record]() {
        record("getIDUTCUPOMDESC");
        return Variant(QStringLiteral("N"));
    };
    table.loyalty.getCampanha = [record](const QString &) {
        record("getCampanha");
        return Variant(false);
    };
    table.lookupsTills.getImpBackup = [record](const QString &, const QString &) {
        record("getImpBackup");
        return Variant(textPacket({"CDPORTAIMPR", "CDPORTABACKUP"}, {}));
    };
    table.startupLookups.getDadosResgSaldo = [record](const QString &) {
        record("getDadosResgSaldo");
        return Variant(textPacket({"IDINTRESGSALDO"}, {{"N"}}));
    };
    table.lookupsTills.getImpPesagem = [record](const QString &, const QString &) {
        record("getImpPesagem");
        return Variant(QStringLiteral("N"));
    };
    return table;
}
