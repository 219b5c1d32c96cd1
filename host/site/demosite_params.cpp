#include "demosite.h"

#include <host/devices/fiscalprinter.h>

#include <outside/criptografa.h>
#include <sale/tillfiles.h>

#include <QDir>
#include <QHash>


namespace DemoSite {

namespace {

// The values of the demo desk; every other column takes its empty value ("", "N", 0).
QHash<QString, Variant> deskValues(const QString &folder, const QDateTime &now, Till till, quint16 partnersPort,
                                   const QString &desk)
{
    // Relative to the site, so that a copied or moved site keeps its files to itself.
    Q_UNUSED(folder);
    const QString dsdircad = QStringLiteral(".\\");
    QHash<QString, Variant> values = {
        {"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA}, {"CDCAIXA", desk}, {"CDCLIENTE", CDCLIENTE},
        {"IDESQUEMA", "1"}, {"IDCOLETOR", "N"}, {"STSISTEMAPRIN", "RES"},
        {"IdTpTelaVe", "5"}, // the touch grid of groups and products, with the badge and credit buttons
        {"DSLOGOTELA", ""}, {"DSDIRCAD", dsdircad},
        {"UTILIZAIMPFIS", "S"}, {"BOERROIMPRESSORA", "N"}, {"DISPLAYOK", "S"},
        {"SISTEMAQUBNFCE", "N"}, {"SISTEMAQUBSAT", "N"}, {"IDTIPOIMPFIS", 1},
        {"DTABERCAIX", QDateTime(now.date(), QTime(6, 30))}, {"VROBRIGCPFNOTA", 200.0},
        {"IDHABCAIXAVENDA", ""}, {"IdPerTrocaOp", "S"}, {"IDSOLICITATEL", "N"}, {"IDSOLICTELGER", "N"},
        {"IDPAISINTEGRA", ""}, {"SGESTADOFILI", "SP"}, {"TAMDISPLAY", 20}, {"NRMINSENHAAL", 4},
        {"CDPORTAIMPFIS", "SIMULADA"}, {"IDTIPOGAVETA", "2"}, {"NRSERIEIMP", FiscalPrinter::defaultSerial()},
        {"ECFIMP", "001"}, {"DSMODELOECFVE", "ECF SIMULADA"}, {"DSMARCAECFVE", "VENDACONS"},
        {"NMRAZSOCFILI", "Refeições Boa Mesa Ltda."}, {"NMRAZSOCEMPR", "Refeições Boa Mesa Ltda."},
        {"NMFILIAL", "Refeitório Central"}, {"NMCAIXA", "Caixa 001 - Balcão"},
        {"DSENDEFILI", "Av. das Indústrias, 1500"}, {"NMBAIRFILI", "Distrito Industrial"},
        {"NMMUNICIPIOFILI", "São Paulo"}, {"CDINSCMUNIFILI", "4.123.456-7"}, {"CDESTADOIBGE", "35"},
        {"NRINSJURFILI", "12345678000195"}, {"NRCNPJLOJA", "12345678000195"}, {"CDINSJUREMPR", "12345678000195"},
        {"CDEMPRESA", "01"}, {"IDTIPOBAL", "1"}, {"CDPORTABAL", "/dev/ttyUSB0"}, {"NRVELOCBAL", "9600"},
        // Scale labels "2PPPP0VVVVVC": product code in 2-5, value in 7-11.
        {"IDLCDBARBALATOL", "S"}, {"NRPOSINICODBARR", "2"}, {"NRPOSFINCODBARR", "5"},
        {"NRPOSINIVRCDBAR", "7"}, {"NRPOSFINVRCDBAR", "11"},
        // Card charges of the fiscal-printer desk are reversed on the card program when the
        // receipt is cancelled (the dedicated terminal kind).
        {"IDTPTEF", "2"},
        {"IDUTTABPRECLVDC", "N"}, {"IDUTILTEF", "N"}, {"IDACRIMPOSTO", "N"}, {"IDSOLICITACPF", "N"},
        {"IDIMPCNPJCLIE", "N"}, {"IDIMPSALDOCUPOM", "S"}, {"DSOBSCUPFIS", "Obrigado e volte sempre!"},
        {"DSMENSCPFCUP", "CPF do consumidor na nota?"}, {"STTOTCV", "1"}, {"STTOTCOMPCRED", "1"},
        {"NRCONFTELA", "1"}, {"IDFECHACUPOM", "S"}, {"IDOBRIGFECHCAIX", "N"}, {"IDSENHACUP", "N"},
        {"IDENVIAPEDKDS", "N"}, {"IDIMPPEDPROD", "S"}, {"IDTPVENDIMPNF1", "N"}, {"NRDIAFECHAFOLHA", "20"},
        {"IDPERCOMVENCPDC", "N"}, {"IDTIPINFCONS", "1"}, {"IDIMPVENDCON", "S"},
        // Badge consumers: release confirmation in use, a subsidy shown on debit and cash sales.
        {"IDUTCONFCADCONS", "S"}, {"IDSALDEXTDEBCON", "N"}, {"IDCONSUBDESFOL", "S"}, {"IDINFVENBAL", "N"},
        {"IDVERGAVETANFIS", "N"},
        {"IDMOMENTOCPFVEN", "I"}, {"IDINFNOMEEND", "N"}, {"IDAMBTRABNFCE", "2"},
        // The promotions button asks the host's own demo promotions service.
        {"IDUTILINTEPROMO", "S"}, {"CDURLINTEPROMO", "demo"},
        // Consumer balances from the local base; "S" reads them from the online statement
        // server (its address below) or the central base (Dados/Parceiros.ini), both served
        // by the host beside the screen.
        {"IDEXTCONSONLINE", "N"}, {"CDURLWSEXTCONS", partnersUrl(partnersPort, QStringLiteral("extrato"))},
        {"IDEXTCONSCENTRAL", "N"}, {"IDDEBCONSCENTRAL", "N"},
        // Access codes of the rights the screen asks for.
        {"CTCONSULTAPRECO", 101}, {"CTPESQPRODUTO", 102}, {"CTCANCITEMGEN", 103}, {"CTOBSPRODUTO", 104},
        {"CTCANCCUPOM", 105}, {"CTPRODCOMBINADO", 106}, {"CTMULTIPLICADOR", 107}, {"CTTROCAOPERADOR", 108},
        {"CTABRIRGAVETA", 109},
    };
    // An electronic document instead of the printer: the receipt is issued at settlement.
    if (till != Till::FiscalPrinter) {
        values.insert(QStringLiteral("UTILIZAIMPFIS"), QStringLiteral("N"));
        values.insert(QStringLiteral("IDTIPOIMPFIS"), 0);
        values.insert(QStringLiteral("IDUTLINTFACELE"), QStringLiteral("N"));
        if (till != Till::NonFiscal)
            values.insert(till == Till::Nfce ? QStringLiteral("SISTEMAQUBNFCE") : QStringLiteral("SISTEMAQUBSAT"),
                          QStringLiteral("S"));
    }
    return values;
}

} // namespace

DataPacket parameterPacket(const QString &folder, const QDateTime &now, Till till, quint16 partnersPort,
                           const QString &desk)
{
    const QHash<QString, Variant> values = deskValues(folder, now, till, partnersPort, desk);
    DataPacket packet;
    QList<Variant> row;
    for (const TillFiles::ParameterColumn &column : TillFiles::parameterColumns()) {
        packet.fields.append(column.field);
        row.append(values.value(column.field.name, column.empty));
    }
    // Read from the row itself by the start-up: the operator the rights were last asked for.
    packet.fields.append({QStringLiteral("CDOPERADORATUAL"), FieldType::String, 20});
    row.append(CDOPERADOR);
    packet.rows.append(row);
    return packet;
}

DataPacket identificationPacket()
{
    // The checksum of the fiscal program's file list, kept enciphered.
    return PacketBuilder()
        .text(QStringLiteral("MD5ARQUIVOTXT"), 100)
        .text(QStringLiteral("NMARQUIVOTXT"), 60)
        .row({Criptografa::Cripto(QStringLiteral("3F2A9C1E7B4D5A60C8E1F2031B9D7A44"), CipherKey),
              QStringLiteral("VendaCons.txt")})
        .packet();
}

PacketBuilder &PacketBuilder::text(const QString &name, int size)
{
    m_packet.fields.append({name, FieldType::String, size});
    return *this;
}

PacketBuilder &PacketBuilder::integer(const QString &name)
{
    m_packet.fields.append({name, FieldType::Integer, 0});
    return *this;
}

PacketBuilder &PacketBuilder::number(const QString &name)
{
    m_packet.fields.append({name, FieldType::Double, 0});
    return *this;
}

PacketBuilder &PacketBuilder::dateTime(const QString &name)
{
    m_packet.fields.append({name, FieldType::DateTime, 0});
    return *this;
}

PacketBuilder &PacketBuilder::row(const QList<Variant> &values)
{
    QList<Variant> complete = values;
    while (complete.size() < m_packet.fields.size())
        complete.append(Variant::null());
    m_packet.rows.append(complete.mid(0, m_packet.fields.size()));
    return *this;
}

} // namespace DemoSite
