#include "authorities.h"

#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>

#include <outside/consiste.h>
#include <outside/qub_proximocodigo.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/sitepaths.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QXmlStreamReader>

namespace Authorities {

namespace {

const QString satSerial = QStringLiteral("900000001");

QStringList controlLines()
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\Autoridade.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines << line;
    }
    return lines;
}

Behaviour behaviourOfWord(const QString &word)
{
    const QString w = word.trimmed().toUpper();
    if (w.startsWith(QLatin1String("RECUS")) || w.startsWith(QLatin1String("REJEIT")))
        return Behaviour::Refuse;
    if (w.startsWith(QLatin1String("TEMPO")) || w == QLatin1String("TIMEOUT"))
        return Behaviour::TimeOut;
    return Behaviour::Accept;
}

QString settingOf(const QString &name)
{
    for (const QString &line : controlLines()) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString stateCode(const QString &sgEstado)
{
    static const QHash<QString, QString> codes{
        {"SP", "35"}, {"RJ", "33"}, {"MG", "31"}, {"ES", "32"}, {"PR", "41"}, {"SC", "42"}, {"RS", "43"},
        {"BA", "29"}, {"PB", "25"}, {"PE", "26"}, {"CE", "23"}, {"GO", "52"}, {"DF", "53"}, {"AM", "13"}};
    return codes.value(sgEstado.trimmed().toUpper(), QStringLiteral("35"));
}

QString digitsOnly(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

QString branchCnpj(const QString &cdFilial)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostCnpjFilial"), QStringLiteral("SELECT NRINSJURFILI FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"),
        {{QStringLiteral("P_CDFILIAL"), cdFilial}});
    const QString cnpj = rows.ok() && !rows.rows.isEmpty() ? digitsOnly(rows.rows.first().value(0).toString()) : QString();
    return Consiste::Ajusta(cnpj.right(14), 14);
}

QString money(double value)
{
    return QString::number(Money::Trunc2(value), 'f', 2);
}

QString randomCode(const QString &seed)
{
    const QByteArray hash = QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Sha1).toHex();
    QString digits;
    for (const char c : hash) {
        if (c >= '0' && c <= '9')
            digits += QLatin1Char(c);
    }
    return Consiste::Ajusta(digits.left(8), 8);
}

// Writes `text` beside the other documents of the day; false when the folder or file could not
// be written (the caller treats it as a failure of the authority).
bool keep(const QString &folder, const QString &name, const QString &text, QString *path)
{
    if (!QDir().mkpath(folder))
        return false;
    QSaveFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    if (!file.commit())
        return false;
    *path = file.fileName();
    return true;
}

QString itemsXml(const DataPacket &items)
{
    QString xml;
    for (int row = 0; row < items.rows.size(); ++row) {
        const double quantity = items.value(row, QStringLiteral("QTPRODCOMVEN")).toDouble();
        const double price = items.value(row, QStringLiteral("VRPRECCOMVEN")).toDouble();
        xml += QStringLiteral("<det nItem=\"%1\"><prod><cProd>%2</cProd><xProd>%3</xProd><qCom>%4</qCom>"
                              "<vUnCom>%5</vUnCom><vProd>%6</vProd><vDesc>%7</vDesc></prod></det>")
                   .arg(row + 1)
                   .arg(items.value(row, QStringLiteral("CDPRODUTO")).toString().toHtmlEscaped(),
                        items.value(row, QStringLiteral("NMPRODUTO")).toString().toHtmlEscaped(),
                        QString::number(quantity, 'f', 3), money(price), money(quantity * price),
                        money(items.value(row, QStringLiteral("VRDESCCOMVEN")).toDouble()));
    }
    return xml;
}

// The payment group of a document: one entry per means (`entry` holding `code` and `value`),
// then the change. A sale that took no payment says so with "90".
QString paymentsXml(const DataPacket &payments, const QString &group, const QString &entry, const QString &code,
                    const QString &value)
{
    QString xml = QStringLiteral("<%1>").arg(group);
    double change = 0;
    const auto add = [&](const QString &kind, double handed) {
        xml += QStringLiteral("<%1><%2>%3</%2><%4>%5</%4></%1>").arg(entry, code, kind, value, money(handed));
    };
    for (int row = 0; row < payments.rows.size(); ++row) {
        const double kept = payments.value(row, QStringLiteral("VRMOVIVEND")).toDouble();
        const double given = payments.value(row, QStringLiteral("VRTROCO")).toDouble();
        change = Money::RoundDec(change + given, 2);
        add(paymentCode(payments.value(row, QStringLiteral("IDTIPORECE")).toString()), Money::RoundDec(kept + given, 2));
    }
    if (payments.rows.isEmpty())
        add(QStringLiteral("90"), 0);
    return xml + QStringLiteral("<vTroco>%1</vTroco></%2>").arg(money(change), group);
}

} // namespace

QString paymentCode(const QString &idTipoRece)
{
    static const QHash<QString, QString> codes{{"1", "01"}, {"2", "03"}, {"3", "04"}, {"5", "11"}, {"6", "17"},
                                               {"9", "05"}, {"A", "05"}, {"I", "18"}};
    return codes.value(idTipoRece.trimmed().toUpper(), QStringLiteral("99"));
}

Behaviour behaviourOf(const QString &authority)
{
    for (const QString &line : controlLines()) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return behaviourOfWord(line);
        if (line.left(eq).trimmed().compare(authority, Qt::CaseInsensitive) == 0)
            return behaviourOfWord(line.mid(eq + 1));
    }
    return Behaviour::Accept;
}

QString dayFolder(const QString &cdFilial, const QString &cdCaixa, const QDate &day)
{
    return QDir(SitePaths::resolve(QStringLiteral("Dados\\XML_NFCe_Sat"))).filePath(
               cdFilial + QLatin1Char('-') + cdCaixa + QLatin1Char('-') + day.toString(QStringLiteral("yyyy-MM-dd")))
        + QLatin1Char('/');
}

int checkDigit(const QString &digits)
{
    int sum = 0;
    int weight = 2;
    for (int i = int(digits.size()) - 1; i >= 0; --i) {
        sum += digits.at(i).digitValue() * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

QString accessKey(const QString &sgEstado, const QDate &date, const QString &cnpj, const QString &model,
                  const QString &series, const QString &number, const QString &code)
{
    const QString body = stateCode(sgEstado) + date.toString(QStringLiteral("yyMM"))
        + Consiste::Ajusta(digitsOnly(cnpj).right(14), 14) + Consiste::Ajusta(model, 2)
        + Consiste::Ajusta(digitsOnly(series).right(3), 3) + Consiste::Ajusta(digitsOnly(number).right(9), 9)
        + QStringLiteral("1") + Consiste::Ajusta(code, 8);
    return body + QString::number(checkDigit(body));
}

QString nfceXml(const NfceDocument &document, const QString &key, const QString &protocol, bool contingency)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc><NFe><infNFe Id=\"NFe%1\">"
                          "<ide><mod>65</mod><serie>%2</serie><nNF>%3</nNF><dhEmi>%4</dhEmi><tpEmis>%5</tpEmis>"
                          "<tpAmb>%6</tpAmb></ide><dest><CPF>%7</CPF></dest>%8<total><vNF>%9</vNF></total>%10"
                          "</infNFe></NFe><protNFe><nProt>%11</nProt></protNFe></nfeProc>")
        .arg(key, document.series, document.number, document.issuedAt.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")),
             contingency ? QStringLiteral("9") : QStringLiteral("1"), document.environment,
             document.buyerDocument.toHtmlEscaped(), itemsXml(document.items), money(document.total),
             paymentsXml(document.payments, QStringLiteral("pag"), QStringLiteral("detPag"), QStringLiteral("tPag"),
                         QStringLiteral("vPag")),
             protocol);
}

QString cfeXml(const QString &key, const QString &serial, const QString &number, const QDateTime &issuedAt,
               const QString &buyer, const DataPacket &items, const DataPacket &payments, double total,
               const QString &tax)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><CFe><infCFe Id=\"CFe%1\"><ide>"
                          "<nserieSAT>%2</nserieSAT><nCFe>%3</nCFe><dEmi>%4</dEmi><hEmi>%5</hEmi></ide>"
                          "<dest><CPF>%6</CPF></dest>%7<total><vCFe>%8</vCFe><vCFeLei12741>%9</vCFeLei12741>"
                          "</total>%10</infCFe></CFe>")
        .arg(key, serial, number, issuedAt.toString(QStringLiteral("yyyyMMdd")), issuedAt.toString(QStringLiteral("hhmmss")),
             buyer.toHtmlEscaped(), itemsXml(items), money(total),
             money(QString(tax).replace(QLatin1Char(','), QLatin1Char('.')).toDouble()),
             paymentsXml(payments, QStringLiteral("pgto"), QStringLiteral("MP"), QStringLiteral("cMP"),
                         QStringLiteral("vMP")));
}

NfceResult authoriseNfce(const NfceDocument &document)
{
    NfceResult result;
    const Behaviour behaviour = behaviourOf(QStringLiteral("NFCE"));
    if (behaviour == Behaviour::Refuse) {
        result.message = QStringLiteral("Rejeição 999: NFC-e %1 recusada pela autoridade simulada (Dados/Autoridade.txt).")
                             .arg(document.number);
        HostLog::write(result.message);
        return result;
    }
    const QString key = accessKey(document.sgEstado, document.issuedAt.date(), branchCnpj(document.cdFilial),
                                  QStringLiteral("65"), document.series, document.number,
                                  randomCode(document.cdFilial + document.cdCaixa + document.number));
    const bool contingency = behaviour == Behaviour::TimeOut;
    result.accessKey = key;
    result.qrText = QStringLiteral("https://nfce.simulada/qrcode?p=%1|2|%2|1|").arg(key, document.environment);
    result.protocol = contingency ? QString() : QStringLiteral("1%1").arg(key.mid(25, 14));
    const QString xml = nfceXml(document, key, result.protocol, contingency);
    const QString name = key + (contingency ? QStringLiteral("-contingencia-nfce.xml") : QStringLiteral("-nfce.xml"));
    if (!keep(dayFolder(document.cdFilial, document.cdCaixa, document.issuedAt.date()), name, xml, &result.xmlFile)) {
        result = {};
        result.message = QStringLiteral("Não foi possível guardar o XML da NFC-e %1.").arg(document.number);
        return result;
    }
    result.status = contingency ? NfceResult::Status::Contingency : NfceResult::Status::Authorised;
    result.message = contingency ? QStringLiteral("Autoridade sem resposta: NFC-e emitida em contingência.")
                                 : QStringLiteral("Autorizado o uso da NFC-e");
    HostLog::write(QStringLiteral("NFC-e %1: %2").arg(document.number, result.message));
    return result;
}

TextAnswer getNumeroSerieNFCe(const NfceSeriesRequest &)
{
    const QString series = settingOf(QStringLiteral("SERIE"));
    return {true, series.isEmpty() ? QStringLiteral("1") : series, {}};
}

TextAnswer getDataEmissNFCe()
{
    return {true, Clock::now().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")) + QStringLiteral("-03:00"), {}};
}

namespace {

struct StoredSale
{
    bool found = false;
    QString failure;
    double total = 0;
    QString buyer;
    QString sgEstado;
    DataPacket items;
    DataPacket payments; // IDTIPORECE, VRMOVIVEND, VRTROCO
};

StoredSale storedSale(const QString &cdFilial, const QString &cdCaixa, const QString &key)
{
    StoredSale sale;
    const Qub_movrela::Params params{{QStringLiteral("P_CDFILIAL"), cdFilial},
                                     {QStringLiteral("P_CDCAIXA"), cdCaixa},
                                     {QStringLiteral("P_NRSEQVENDA"), key}};
    const HostDatabase::Rows head = HostDatabase::query(
        QStringLiteral("hostSatVenda"),
        QStringLiteral("SELECT VRTOTVENDA, NRINSCRCONS, SGESTADO FROM VENDA WHERE CDFILIAL = :P_CDFILIAL "
                       "AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA"),
        params);
    const HostDatabase::Rows items = HostDatabase::query(
        QStringLiteral("hostSatItens"),
        QStringLiteral("SELECT CDPRODUTO, NMPRODUTO, QTPRODCOMVEN, VRPRECCOMVEN, VRDESCCOMVEN FROM ITEMVENDA "
                       "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA "
                       "ORDER BY NRSEQUITVEND"),
        params);
    // A movement that does not carry its receipt kind takes the kind of its payment type.
    const HostDatabase::Rows payments = HostDatabase::query(
        QStringLiteral("hostSatPagamentos"),
        QStringLiteral("SELECT M.IDTIPORECE, T.IDTIPORECE, M.VRMOVIVEND, M.VRTROCO FROM MOVCAIXA M "
                       "LEFT JOIN TIPORECE T ON T.CDTIPORECE = M.CDTIPORECE WHERE M.CDFILIAL = :P_CDFILIAL "
                       "AND M.CDCAIXA = :P_CDCAIXA AND M.NRSEQVENDA = :P_NRSEQVENDA "
                       "ORDER BY LENGTH(M.NRSEQUMOVI), M.NRSEQUMOVI"),
        params);
    for (const HostDatabase::Rows *rows : {&head, &items, &payments}) {
        if (!rows->ok()) {
            sale.failure = rows->error;
            return sale;
        }
    }
    if (head.rows.isEmpty())
        return sale;
    sale.found = true;
    sale.total = head.rows.first().value(0).toDouble();
    sale.buyer = head.rows.first().value(1).toString();
    sale.sgEstado = head.rows.first().value(2).toString();
    for (const char *name : {"CDPRODUTO", "NMPRODUTO", "QTPRODCOMVEN", "VRPRECCOMVEN", "VRDESCCOMVEN"})
        sale.items.fields.append({QString::fromLatin1(name)});
    for (const QList<QVariant> &row : items.rows) {
        QList<Variant> values{row.value(0).toString(), row.value(1).toString()};
        for (int column = 2; column < 5; ++column)
            values.append(row.value(column).toDouble());
        sale.items.rows.append(values);
    }
    sale.payments.fields = {{QStringLiteral("IDTIPORECE")}, {QStringLiteral("VRMOVIVEND"), FieldType::Double},
                            {QStringLiteral("VRTROCO"), FieldType::Double}};
    for (const QList<QVariant> &row : payments.rows) {
        const QString own = row.value(0).toString().trimmed();
        sale.payments.rows.append({own.isEmpty() ? row.value(1).toString().trimmed() : own, row.value(2).toDouble(),
                                   row.value(3).toDouble()});
    }
    return sale;
}

SatAnswer satFailure(const QString &code, const QString &message)
{
    SatAnswer answer;
    answer.answer.setValue(QStringLiteral("EEEEE"), code);
    answer.answer.setValue(QStringLiteral("ERRO"), message);
    answer.answer.setValue(QStringLiteral("mensagem"), message);
    HostLog::write(QStringLiteral("SAT: ") + message);
    return answer;
}

} // namespace

namespace {

// One CF-e of a stored sale, as the SAT device issues it.
SatAnswer emitCfe(const SatTransmitRequest &request)
{
    const Behaviour behaviour = behaviourOf(QStringLiteral("SAT"));
    if (behaviour == Behaviour::TimeOut)
        return satFailure(QString(), QStringLiteral("Tempo esgotado na comunicação com o SAT."));
    if (behaviour == Behaviour::Refuse)
        return satFailure(QStringLiteral("06010"), QStringLiteral("Rejeição: CF-e recusado pelo SAT simulado (Dados/Autoridade.txt)."));
    const StoredSale sale = storedSale(request.cdFilial, request.cdCaixa, request.savedSaleKey);
    if (!sale.found)
        return satFailure(QStringLiteral("06098"), sale.failure.isEmpty()
                              ? QStringLiteral("Venda %1 não encontrada para o CF-e.").arg(request.savedSaleKey)
                              : sale.failure);
    const Qub_proximocodigo::NextNumber number =
        Qub_proximocodigo::TdtmQubProxCodigo().draw(QStringLiteral("SATCFE") + satSerial);
    if (!number.ok())
        return satFailure(QStringLiteral("06098"), number.error());
    const QString cfe = Consiste::Ajusta(QString::number(number.value() % 1000000), 6);
    const QDateTime now = Clock::now();
    const QString key = accessKey(sale.sgEstado, now.date(), branchCnpj(request.cdFilial), QStringLiteral("59"),
                                  satSerial.right(3), cfe, randomCode(request.savedSaleKey + cfe));
    const QString xml = cfeXml(key, satSerial, cfe, now, sale.buyer, sale.items, sale.payments, sale.total, request.tax0);
    const QString folder = request.stRecebAux2.isEmpty() ? dayFolder(request.cdFilial, request.cdCaixa, now.date())
                                                         : request.stRecebAux2;
    QString path;
    if (!keep(folder, QStringLiteral("CFe%1.xml").arg(key), xml, &path))
        return satFailure(QStringLiteral("06098"), QStringLiteral("Não foi possível guardar o XML do CF-e."));
    SatAnswer answer;
    answer.accepted = true;
    NameValueList &list = answer.answer;
    list.setValue(QStringLiteral("EEEEE"), QStringLiteral("06000"));
    list.setValue(QStringLiteral("mensagem"), QStringLiteral("Emitido com sucesso + conteúdo notas."));
    list.setValue(QStringLiteral("chaveConsulta"), QStringLiteral("CFe") + key);
    list.setValue(QStringLiteral("timeStamp"), now.toString(QStringLiteral("yyyyMMddhhmmss")));
    list.setValue(QStringLiteral("valorTotalCFe"), money(sale.total));
    list.setValue(QStringLiteral("CPFCNPJValue"), sale.buyer);
    list.setValue(QStringLiteral("assinaturaQRCODE"),
                  QString::fromLatin1(QCryptographicHash::hash(xml.toUtf8(), QCryptographicHash::Sha256).toBase64()));
    list.setValue(QStringLiteral("arqxmlnfce"), xml);
    list.setValue(QStringLiteral("arquivoCFeBase64"), QString::fromLatin1(xml.toUtf8().toBase64()));
    HostLog::write(QStringLiteral("SAT: CF-e %1 da venda %2 emitido").arg(cfe, request.savedSaleKey));
    return answer;
}

} // namespace

SatAnswer SATOnline(const SatTransmitRequest &request)
{
    return emitCfe(request);
}

// The sale's data for the SAT, as the QR-code sale hands it to EmitirVenda: the till's branch,
// desk and sale number travel in the document, so the device knows which sale it signs.
TextAnswer GeraArqXmlSat(const SatXmlRequest &request)
{
    TextAnswer answer;
    if (request.operation != QLatin1String("VENDA")) {
        answer.failure = QStringLiteral("GeraArqXmlSat: operação %1 não simulada.").arg(request.operation);
        return answer;
    }
    const HostDatabase::Rows head = HostDatabase::query(
        QStringLiteral("hostSatVendaXml"),
        QStringLiteral("SELECT CDFILIAL, CDCAIXA FROM VENDA WHERE NRSEQVENDA = :P_NRSEQVENDA ORDER BY DTVENDA DESC"),
        Qub_movrela::Params{{QStringLiteral("P_NRSEQVENDA"), request.saleNumber}});
    if (!head.ok() || head.rows.isEmpty()) {
        answer.failure = head.ok() ? QStringLiteral("Venda %1 não encontrada para o XML do CF-e.").arg(request.saleNumber)
                                   : head.error;
        return answer;
    }
    const QString cdFilial = head.rows.first().value(0).toString();
    const QString cdCaixa = head.rows.first().value(1).toString();
    answer.ok = true;
    answer.text = QStringLiteral("<CFe><infCFe versaoDadosEnt=\"0.08\"><ide><CDFILIAL>%1</CDFILIAL>"
                                 "<numeroCaixa>%2</numeroCaixa><NRSEQVENDA>%3</NRSEQVENDA></ide></infCFe></CFe>")
                      .arg(cdFilial.toHtmlEscaped(), cdCaixa.toHtmlEscaped(), request.saleNumber.toHtmlEscaped());
    return answer;
}

SatAnswer EmitirVenda(const SatEmitRequest &request)
{
    QXmlStreamReader xml(request.xml);
    SatTransmitRequest sale;
    sale.stRecebAux2 = request.stRecebAux2;
    sale.cdAtivacaoSat = request.cdAtivacaoSat;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("CDFILIAL"))
            sale.cdFilial = xml.readElementText();
        else if (name == QLatin1String("numeroCaixa"))
            sale.cdCaixa = xml.readElementText();
        else if (name == QLatin1String("NRSEQVENDA"))
            sale.savedSaleKey = xml.readElementText();
    }
    if (sale.cdFilial.isEmpty() || sale.cdCaixa.isEmpty() || sale.savedSaleKey.isEmpty())
        return satFailure(QStringLiteral("06098"), QStringLiteral("XML de venda do CF-e inválido."));
    return emitCfe(sale);
}

Variant AtualizaVendaSat(const SatUpdateRequest &request)
{
    QString key = request.answer.value(QStringLiteral("chaveConsulta"));
    if (key.startsWith(QLatin1String("CFe")))
        key = key.mid(3);
    Qub_movrela::QueryRows rows;
    Qub_movrela::DbConnection &db = HostDatabase::session();
    const bool ok = db.execute(
        QStringLiteral("hostAtualizaVendaSat"),
        QStringLiteral("UPDATE VENDA SET NRNOTAFISCALCE = :P_NRCFE, NRACESSONFCE = :P_CHAVE, IDTPEMISVEND = 'S', "
                       "IDSTATUSNFCE = 'A', DSQRCODEVENDA = :P_QRCODE WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
                       "AND NRSEQVENDA = :P_NRSEQVENDA"),
        {{QStringLiteral("P_NRCFE"), request.cfeNumber},
         {QStringLiteral("P_CHAVE"), key},
         {QStringLiteral("P_QRCODE"), request.qrCodeText},
         {QStringLiteral("P_CDFILIAL"), request.cdFilial},
         {QStringLiteral("P_CDCAIXA"), request.cdCaixa},
         {QStringLiteral("P_NRSEQVENDA"), request.savedSaleKey}},
        &rows);
    if (!ok)
        return Variant::failure(Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString()));
    if (rows.rowsAffected == 0)
        return Variant::failure(QStringLiteral("Venda %1 não encontrada para gravar o CF-e.").arg(request.savedSaleKey));
    return QStringLiteral("OK");
}

} // namespace Authorities
