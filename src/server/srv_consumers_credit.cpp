#include "srv_consumers_credit.h"
#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"
#include "trdmvendacons.h"

#include <outside/pkg_hrk00002.h>
#include <outside/qub_proximocodigo.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QMap>
#include <QFile>
#include <QTextStream>
#include <QDebug>

#include <optional>

namespace {

using namespace ConsumerAccounts;
using Qub_proximocodigo::TdtmQubProxCodigo;

// The same row lock the sale's consumer posting takes: loads and sales of one consumer queue
// behind each other, so each line carries the balance the one before it left.
const Statement adqTravaConsCompCred{"adqTravaConsCompCred",
    "SELECT CDCONSUMIDOR FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR",
    {.sqlite = {},
     .postgresql = "SELECT CDCONSUMIDOR FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE "
                   "AND CDCONSUMIDOR = :P_CDCONSUMIDOR FOR UPDATE"}};
const Statement adqCargaGravada{"adqCargaGravada",
    "SELECT COUNT(*) AS QTLINHAS FROM EXTRATOCONS WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND NRDEPOSICONS = :P_NRDEPOSICONS "
    "AND IDTPMOVEXT = 'C'"};
const Statement adqParaVendCompCred{"adqParaVendCompCred",
    "SELECT CDCLIENTE FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};
const Statement adqSaldoFamCompCred{"adqSaldoFamCompCred",
    "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND CDFAMILISALD = :P_CDFAMILISALD"};
const Statement acmInsDocNFisECF{"acmInsDocNFisECF",
    "INSERT INTO DOCNFISCECF (NRSERIEEFCDOCNF, NRSEQECFDOCNF, NRCOODOCNFIS, NRGNFDOCNFIS, NRGRGDOCNFIS, NRCDCDOCNFIS, "
    "IDTPDENOMDOCNF, DTHRFINEMISEFC, DTMOVIDOCNFIS) VALUES (:NRSERIEEFCDOCNF, :NRSEQECFDOCNF, :NRCOODOCNFIS, "
    ":NRGNFDOCNFIS, :NRGRGDOCNFIS, :NRCDCDOCNFIS, :IDTPDENOMDOCNF, :DTHRFINEMISEFC, :DTMOVIDOCNFIS)"};
const Statement acmCriaMovCaixa{"acmCriaMovCaixa",
    "INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, DTABERCAIX, NRSEQUMOVI, NRSEQUMOVIMSDE, IDTIPOMOVIVE, DSMOVIVEND, "
    "VRMOVIVEND, NRSEQVENDA, CDTIPORECE, DTHRINCMOV, NMTIPORECEORIG, CDCLIENTE, DTMOVIMCAIXA, CDAGECHEQVEN, "
    "CDBANCHEQVEN, CDCNTCHEQVEN, NRCHEQUEVEND, NRCARTBANCO, CDNSUHOSTTEF, VRMOVIVEOUT, VRCOTINDOUT, DTDEPCHEQVEN, "
    "NRSERCAIXADOCNF, NRSEQCAIXADOCNF, NRDEPOSICONS) VALUES (:CDFILIAL, :CDCAIXA, :DTABERCAIX, :NRSEQUMOVI, :NRSEQUMOVIMSDE, "
    ":IDTIPOMOVIVE, :DSMOVIVEND, :VRMOVIVEND, :NRSEQVENDA, :CDTIPORECE, :DTHRINCMOV, :NMTIPORECEORIG, :CDCLIENTE, "
    ":DTMOVIMCAIXA, :CDAGECHEQVEN, :CDBANCHEQVEN, :CDCNTCHEQVEN, :NRCHEQUEVEND, :NRCARTBANCO, :CDNSUHOSTTEF, "
    ":VRMOVIVEOUT, :VRCOTINDOUT, :DTDEPCHEQVEN, :NRSERCAIXADOCNF, :NRSEQCAIXADOCNF, :NRDEPOSICONS)"};
// A card recharge leaves no statement line: its cash movements carry its deposit number.
const Statement adqRecargaGravada{"adqRecargaGravada",
    "SELECT COUNT(*) AS QTLINHAS FROM MOVCAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND DTABERCAIX = :P_DTABERCAIX AND NRDEPOSICONS = :P_NRDEPOSICONS"};
const Statement acmInsExtratoCompCred{"acmInsExtratoCompCred",
    "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, IDTPMOVEXT, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERCAIX, NRDEPOSICONS, NRSEQMOVCAIXA) "
    "VALUES (:CDCLIENTE, :CDCONSUMIDOR, :CDFAMILISALD, :DTMOVEXTCONS, :NRSEQMOVEXT, :CDTIPORECE, :IDTPMOVEXT, "
    ":DSOPEEXTCONS, :VRMOVEXTCONS, :VRSALDCONEXT, :CDFILIAL, :CDCAIXA, :NRSEQVENDA, :DTABERCAIX, :NRDEPOSICONS, "
    ":NRSEQMOVCAIXA)"};
const Statement adqExtratoConsCred{"adqExtratoConsCred",
    "SELECT CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, CDFILIAL, CDCAIXA, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, IDTPMOVEXT, NRDEPOSICONS, NRSEQMOVCAIXA FROM EXTRATOCONS "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND DTABERCAIX = :P_DTABERCAIX "
    "AND NRDEPOSICONS = :P_NRDEPOSICONS AND IDTPMOVEXT = 'C'"};
#define LOAD_LINES_KEY                                                                                     \
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND DTABERCAIX = :P_DTABERCAIX "                     \
    "AND NRDEPOSICONS = :P_NRDEPOSICONS AND IDTPMOVEXT = 'C'"
// The load's lines stay marked as owed to the online statement server until it takes them.
const Statement acmExpCargaPendente{"acmExpCargaPendente", "UPDATE EXTRATOCONS SET IDEXPEXTCONS = 'P' " LOAD_LINES_KEY};
const Statement acmExpCargaFeita{"acmExpCargaFeita", "UPDATE EXTRATOCONS SET IDEXPEXTCONS = 'S' " LOAD_LINES_KEY};
#undef LOAD_LINES_KEY

const Statement acmInsCargaPendente{"acmInsCargaPendente",
    "INSERT INTO CARGAPENDCONS (CDFILIAL, CDCAIXA, NRDEPOSICONS, CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, CDFAMILISALD, "
    "NMFAMILISALD, NRCUPOMCARGA, NRSEQECFDOCNF, VRSALDCREDFAM, DTABERCAIX, DTMOVIMENTO, DTGRAVACARGA, DSCOMPRACREDTEF) "
    "VALUES (:CDFILIAL, :CDCAIXA, :NRDEPOSICONS, :CDCLIENTE, :CDCONSUMIDOR, :NMCONSUMIDOR, :CDFAMILISALD, "
    ":NMFAMILISALD, :NRCUPOMCARGA, :NRSEQECFDOCNF, :VRSALDCREDFAM, :DTABERCAIX, :DTMOVIMENTO, :DTGRAVACARGA, "
    ":DSCOMPRACREDTEF)"};
const Statement adqCargasPendentes{"adqCargasPendentes",
    "SELECT CDFILIAL, CDCAIXA, NRDEPOSICONS, CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, CDFAMILISALD, NMFAMILISALD, "
    "NRCUPOMCARGA, NRSEQECFDOCNF, VRSALDCREDFAM, DTABERCAIX, DTMOVIMENTO, DTGRAVACARGA, DSCOMPRACREDTEF "
    "FROM CARGAPENDCONS WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA ORDER BY DTGRAVACARGA, NRDEPOSICONS"};
const Statement adqMovCaixaCarga{"adqMovCaixaCarga",
    "SELECT NMTIPORECEORIG AS NMTIPORECE, VRMOVIVEND, CDTIPORECE, IDTIPOMOVIVE, CDNSUHOSTTEF FROM MOVCAIXA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND DTABERCAIX = :P_DTABERCAIX "
    "AND NRDEPOSICONS = :P_NRDEPOSICONS ORDER BY NRSEQUMOVI"};
// The document number the first write of a load gave its last movement.
const Statement adqDocumentoCarga{"adqDocumentoCarga",
    "SELECT NRSEQCAIXADOCNF FROM MOVCAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND DTABERCAIX = :P_DTABERCAIX AND NRDEPOSICONS = :P_NRDEPOSICONS ORDER BY NRSEQUMOVI DESC"};
const Statement acmDelCargaPendente{"acmDelCargaPendente",
    "DELETE FROM CARGAPENDCONS WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND NRDEPOSICONS = :P_NRDEPOSICONS"};

// The columns every tender row must bring; the others (cheque, card, foreign currency,
// descriptions) are written empty when the payment screen left them out.
const QStringList requiredColumns{"IDTIPOMOVIVE", "VRMOVIVEND", "CDTIPORECE", "DTHRINCMOV"};

const QString recargaText = QStringLiteral("RECARGA TARVOLENS");

QString logValue(const Variant &value)
{
    if (!isSet(value))
        return QStringLiteral("vazio");
    if (value.kind() == Variant::Kind::DateTime)
        return PtBr::DateTimeToStr(value.toDateTime());
    if (value.kind() == Variant::Kind::Double || value.kind() == Variant::Kind::Integer)
        return PtBr::FloatToStr(value.toDouble());
    return value.toString();
}

Variant column(const DataPacket &packet, int row, const char *name)
{
    return packet.fieldIndex(QString::fromLatin1(name)) < 0 ? Variant::null() : packet.value(row, QString::fromLatin1(name));
}

QString text(const DataPacket &packet, int row, const char *name)
{
    const Variant value = column(packet, row, name);
    return isSet(value) ? value.toString() : QString();
}

class Purchase
{
public:
    Purchase(const Srv_Kal51000::CreditPurchaseWrite &in, QString &document) : m_in(in), m_document(document) {}

    Variant run();

private:
    bool recharge() const { return m_in.CDFAMILISALD == Srv_Kal51000::RecargaTarvolens; }
    bool online() const { return m_in.IDEXTCONSONLINE == QLatin1String("S"); }
    QString refusal() const;
    bool drawNumbers(QString *failure);
    Variant write();
    std::optional<Variant> writtenBefore(Session &db, const Statement &count, const Params &key, const QString &what);
    bool insert(Session &db, const Statement &statement, const Params &values, const QString &title);
    bool insertDocument(Session &db, const QString &document);
    bool writeRow(Session &db, int row, double &balance, QString &statementSequence);
    bool keepUnfinished(Session &db);
    void afterCommit();
    void sendLoad();
    Params loadLines() const
    {
        return {{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDCAIXA", m_in.CDCAIXA}, {"P_DTABERCAIX", m_in.DTABERCAIX},
                {"P_NRDEPOSICONS", m_in.NRDEPOSICONS}};
    }

    const Srv_Kal51000::CreditPurchaseWrite &m_in;
    QString &m_document;
    qint64 m_firstMovement = 0;
    QStringList m_documents;
    QString m_defaultClient;
    QDateTime m_stamp;
    DataPacket m_sentLines;
};

QString Purchase::refusal() const
{
    if (m_in.CDFAMILISALD.trimmed().isEmpty())
        return QStringLiteral("setGravaCompCred: a família de saldo da carga está vazia");
    if (!recharge() && (m_in.CDCLIENTE.trimmed().isEmpty() || m_in.CDCONSUMIDOR.trimmed().isEmpty()))
        return QStringLiteral("setGravaCompCred: a carga não tem cliente e consumidor");
    if (const QString lacking = missingColumn(m_in.movements, requiredColumns); !lacking.isEmpty())
        return QStringLiteral("setGravaCompCred: falta a coluna %1 nos movimentos de caixa").arg(lacking);
    return {};
}

// Every number the purchase needs is drawn before anything is written: a failed draw stops the
// purchase with its error text instead of writing with a stale number.
bool Purchase::drawNumbers(QString *failure)
{
    const int rows = int(m_in.movements.rows.size());
    if (rows == 0)
        return true;
    Srv_Kal51000::LogCompraCred(QStringLiteral("Criou a proximo codigo"));
    Srv_Kal51000::LogCompraCred(QStringLiteral("PrxMovCaixa ") + m_in.CDFILIAL + m_in.CDCAIXA
                                + m_in.DTABERCAIX.toString(QStringLiteral("ddMMyyyyhhmmss")));
    TdtmQubProxCodigo service;
    const auto movement = service.PrxMovCaixa(m_in.CDFILIAL, m_in.CDCAIXA, m_in.DTABERCAIX, rows);
    if (!movement.ok()) {
        *failure = movement.error();
        return false;
    }
    m_firstMovement = movement.value();
    for (int row = 0; row < rows; ++row) {
        const auto document = service.PrxDocNFiscEcf(m_in.NRSERIEIMP);
        Srv_Kal51000::LogCompraCred(QStringLiteral("PrxDocNFiscEcf ") + m_in.NRSERIEIMP);
        if (!document.ok()) {
            *failure = document.error();
            return false;
        }
        m_documents.append(document.text());
    }
    m_document = m_documents.constLast();
    return true;
}

// One insert and its value lines in the log, one line a column.
bool Purchase::insert(Session &db, const Statement &statement, const Params &values, const QString &title)
{
    Srv_Kal51000::LogCompraCred(QStringLiteral("Passagem de parametros para o ") + title);
    for (const Param &value : values) {
        if (value.name == QLatin1String("DTMOVEXTCONS") || value.name == QLatin1String("NRSEQUMOVIMSDE"))
            continue;
        Srv_Kal51000::LogCompraCred(value.name + QStringLiteral(": ") + logValue(value.value));
    }
    if (!db.run(statement, values))
        return false;
    Srv_Kal51000::LogCompraCred(QStringLiteral("Executa ") + title);
    return true;
}

// The non-fiscal document of a tender, when the voucher was printed before the write.
bool Purchase::insertDocument(Session &db, const QString &document)
{
    const Params values{{"NRSERIEEFCDOCNF", m_in.NRSERIEIMP}, {"NRSEQECFDOCNF", document}, {"NRCOODOCNFIS", m_in.NRCOO},
                        {"NRGNFDOCNFIS", m_in.NRGNF}, {"NRGRGDOCNFIS", Variant::null()},
                        {"NRCDCDOCNFIS", Variant::null()}, {"IDTPDENOMDOCNF", QStringLiteral("CN")},
                        {"DTHRFINEMISEFC", Clock::now()}, {"DTMOVIDOCNFIS", m_in.DTMOVIMENTO}};
    return insert(db, acmInsDocNFisECF, values, QStringLiteral("acmInsDocNFisECF"));
}

bool Purchase::writeRow(Session &db, int row, double &balance, QString &statementSequence)
{
    const DataPacket &rows = m_in.movements;
    const QString movement = QString::number(m_firstMovement + row).rightJustified(10, QLatin1Char('0'));
    const QString document = m_documents.value(row);
    if (!m_in.NRCOO.trimmed().isEmpty() && !insertDocument(db, document))
        return false;
    const double amount = column(rows, row, "VRMOVIVEND").toDouble();
    QString receiptName = text(rows, row, "NMTIPORECEORIG");
    if (receiptName.isEmpty())
        receiptName = text(rows, row, "NMTIPORECE");
    const Variant chequeDate = column(rows, row, "DTDEPCHEQVEN");
    QString movementText = recargaText;
    if (!recharge())
        movementText = text(rows, row, "DSMOVIVEND").left(250);
    QString client = m_in.CDCLIENTE;
    if (client.trimmed().isEmpty())
        client = m_defaultClient;
    if (!insert(db, acmCriaMovCaixa,
                {{"CDFILIAL", m_in.CDFILIAL}, {"CDCAIXA", m_in.CDCAIXA}, {"DTABERCAIX", m_in.DTABERCAIX},
                 {"NRSEQUMOVI", movement}, {"NRSEQUMOVIMSDE", movement},
                 {"IDTIPOMOVIVE", text(rows, row, "IDTIPOMOVIVE")},
                 {"DSMOVIVEND", movementText},
                 {"VRMOVIVEND", amount}, {"NRSEQVENDA", Variant::null()}, {"CDTIPORECE", text(rows, row, "CDTIPORECE")},
                 {"DTHRINCMOV", column(rows, row, "DTHRINCMOV")}, {"NMTIPORECEORIG", receiptName.left(40)},
                 {"CDCLIENTE", client},
                 {"DTMOVIMCAIXA", m_in.DTMOVIMENTO}, {"CDAGECHEQVEN", text(rows, row, "CDAGECHEQVEN")},
                 {"CDBANCHEQVEN", text(rows, row, "CDBANCHEQVEN")}, {"CDCNTCHEQVEN", text(rows, row, "CDCNTCHEQVEN")},
                 {"NRCHEQUEVEND", text(rows, row, "NRCHEQUEVEND")}, {"NRCARTBANCO", text(rows, row, "NRCARTBANCO")},
                 {"CDNSUHOSTTEF", text(rows, row, "CDNSUHOSTTEF")}, {"VRMOVIVEOUT", money(column(rows, row, "VRMOVIVEOUT"))},
                 {"VRCOTINDOUT", money(column(rows, row, "VRCOTINDOUT"))},
                 {"DTDEPCHEQVEN", isSet(chequeDate) ? chequeDate : Variant::null()},
                 {"NRSERCAIXADOCNF", m_in.NRSERIEIMP}, {"NRSEQCAIXADOCNF", document},
                 {"NRDEPOSICONS", m_in.NRDEPOSICONS.trimmed().isEmpty() ? Variant::null() : Variant(m_in.NRDEPOSICONS)}},
                QStringLiteral("acmCriaMovCaixa")))
        return false;
    if (recharge())
        return true;
    const QString own = text(rows, row, "DSOPEEXTCONS");
    // The column holds 30 characters: a long description is cut, never a failed load.
    QString description = own.isEmpty() ? QStringLiteral("QUB - Crédito Caixa ") : own + QLatin1Char(' ');
    description = (description + m_in.CDCAIXA).left(30);
    const double credit = Money::RoundDec(amount, 2);
    balance = Money::RoundDec(balance + credit, 2);
    if (!nextStatementSequence(db, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, m_in.CDFAMILISALD, m_stamp, statementSequence))
        return false;
    if (!insert(db, acmInsExtratoCompCred,
                {{"CDCLIENTE", m_in.CDCLIENTE}, {"CDCONSUMIDOR", m_in.CDCONSUMIDOR}, {"CDFAMILISALD", m_in.CDFAMILISALD},
                 {"DTMOVEXTCONS", m_stamp}, {"NRSEQMOVEXT", statementSequence},
                 {"CDTIPORECE", text(rows, row, "CDTIPORECE")}, {"IDTPMOVEXT", QStringLiteral("C")},
                 {"DSOPEEXTCONS", description}, {"VRMOVEXTCONS", credit}, {"VRSALDCONEXT", balance},
                 {"CDFILIAL", m_in.CDFILIAL}, {"CDCAIXA", m_in.CDCAIXA}, {"NRSEQVENDA", Variant::null()},
                 {"DTABERCAIX", m_in.DTABERCAIX}, {"NRDEPOSICONS", m_in.NRDEPOSICONS}, {"NRSEQMOVCAIXA", movement}},
                QStringLiteral("acmInsEXTRATOCONS")))
        return false;
    Srv_Kal51000::LogCompraCred(QStringLiteral("***"));
    return true;
}

// Until its voucher is printed and its card payment confirmed the load is kept as not
// finished, in the transaction that writes it: either both stand or neither does.
bool Purchase::keepUnfinished(Session &db)
{
    if (m_in.NRDEPOSICONS.trimmed().isEmpty())
        return true;
    return db.run(acmInsCargaPendente,
                  {{"CDFILIAL", m_in.CDFILIAL}, {"CDCAIXA", m_in.CDCAIXA}, {"NRDEPOSICONS", m_in.NRDEPOSICONS},
                   {"CDCLIENTE", m_in.CDCLIENTE}, {"CDCONSUMIDOR", m_in.CDCONSUMIDOR},
                   {"NMCONSUMIDOR", m_in.NMCONSUMIDOR.left(60)}, {"CDFAMILISALD", m_in.CDFAMILISALD},
                   {"NMFAMILISALD", m_in.NMFAMILISALD.left(30)}, {"NRCUPOMCARGA", m_in.NRCUPOMCARGA},
                   {"NRSEQECFDOCNF", m_document}, {"VRSALDCREDFAM", Money::RoundDec(m_in.VRSALDCREDFAM, 2)},
                   {"DTABERCAIX", m_in.DTABERCAIX}, {"DTMOVIMENTO", m_in.DTMOVIMENTO},
                   {"DTGRAVACARGA", Clock::now()}, {"DSCOMPRACREDTEF", m_in.DSCOMPRACREDTEF}});
}

// A retry of a load or recharge already written (its answer was lost) writes nothing and has
// the answer the first write had; empty when this is the first write.
std::optional<Variant> Purchase::writtenBefore(Session &db, const Statement &count, const Params &key,
                                               const QString &what)
{
    DataPacket written;
    if (!db.packet(count, key, written))
        return db.failure();
    if (written.value(0, "QTLINHAS").toInt() <= 0)
        return std::nullopt;
    // The voucher shows the document number the load was written with, not one drawn again.
    DataPacket document;
    if (db.packet(adqDocumentoCarga, loadLines(), document) && !document.isEmpty())
        m_document = document.value(0, "NRSEQCAIXADOCNF").toString();
    Srv_Kal51000::LogCompraCred(QStringLiteral("%1 %2 ja gravado: nada gravado de novo").arg(what, m_in.NRDEPOSICONS));
    return Variant(true);
}

Variant Purchase::write()
{
    ServerCall call;
    TransactionScope transaction(call);
    if (!call.module().InTransaction())
        return Variant::failure(call.module().lastErrorText());
    Srv_Kal51000::LogCompraCred(QStringLiteral("StartTrans"));
    Session db(call.session());
    const Params consumer{{"P_CDCLIENTE", m_in.CDCLIENTE}, {"P_CDCONSUMIDOR", m_in.CDCONSUMIDOR}};
    double balance = 0;
    if (recharge() && !m_in.NRDEPOSICONS.trimmed().isEmpty()) {
        if (const std::optional<Variant> done = writtenBefore(db, adqRecargaGravada, loadLines(), QStringLiteral("Recarga")))
            return *done;
    }
    if (!recharge()) {
        DataPacket locked, stored;
        if (!db.packet(adqTravaConsCompCred, consumer, locked))
            return db.failure();
        if (locked.isEmpty())
            return Variant::failure(QStringLiteral("Consumidor %1 do cliente %2 não cadastrado.")
                                        .arg(m_in.CDCONSUMIDOR, m_in.CDCLIENTE));
        const Params deposit = consumer + Params{{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDCAIXA", m_in.CDCAIXA},
                                                 {"P_NRDEPOSICONS", m_in.NRDEPOSICONS}};
        if (const std::optional<Variant> done = writtenBefore(db, adqCargaGravada, deposit, QStringLiteral("Deposito")))
            return *done;
        if (!db.packet(adqSaldoFamCompCred, consumer + Params{{"P_CDFAMILISALD", m_in.CDFAMILISALD}}, stored))
            return db.failure();
        balance = Money::RoundDec(money(stored.value(0, "VRSALDCONFAM")), 2);
    }
    DataPacket paravend;
    if (!db.packet(adqParaVendCompCred, {{"P_CDFILIAL", m_in.CDFILIAL}}, paravend))
        return db.failure();
    m_defaultClient = paravend.value(0, "CDCLIENTE").toString();
    Srv_Kal51000::LogCompraCred(QStringLiteral("Executou adqParaVend"));
    // Taken under the lock: stamps and sequences follow the order in which tills write.
    m_stamp = lineStamp();
    QString sequence;
    Srv_Kal51000::LogCompraCred(QStringLiteral("*** Inicio do salvamento no banco ***"));
    for (int row = 0; row < m_in.movements.rows.size(); ++row) {
        if (!writeRow(db, row, balance, sequence))
            return db.failure();
    }
    if (!recharge() && !m_in.movements.rows.isEmpty()
        && !storeFamilyBalance(db, m_in.CDCLIENTE, m_in.CDCONSUMIDOR, m_in.CDFAMILISALD, balance))
        return db.failure();
    if (!keepUnfinished(db))
        return db.failure();
    if (online() && !recharge()) {
        if (!db.packet(adqExtratoConsCred, loadLines(), m_sentLines) || !db.run(acmExpCargaPendente, loadLines()))
            return db.failure();
        if (!m_sentLines.isEmpty()) {
            ClientDataSet empty;
            const StatementAnswer probe = hostServices().ExtratoConsOnline(
                {{}, {}, {}, {}, {}, m_in.CDURLWSEXTCONS, QStringLiteral("CARGA_CRED")}, empty);
            if (!probe.answered)
                return Variant::failure(TrdmVendaCons::msgPadrao().Msg(QStringLiteral("FALHA_CONEXAO_SRV_CRED")));
        }
    }
    const Variant committed = transaction.commit();
    if (committed.isFailure())
        return committed;
    Srv_Kal51000::LogCompraCred(QStringLiteral("CommitTrans"));
    return Variant(true);
}

// The load is written; until the online statement server takes its lines they keep their
// pending mark, and the cashier is told so, once, rather than that all went well.
void Purchase::sendLoad()
{
    ClientDataSet lines;
    lines.SetData(m_sentLines);
    const StatementAnswer sent = hostServices().ExtratoConsOnline(
        {{}, {}, {}, {}, {}, m_in.CDURLWSEXTCONS, QStringLiteral("CARGA_CRED")}, lines);
    if (sent.answered) {
        const Variant cleared = ServerCall().write(acmExpCargaFeita, loadLines());
        if (cleared.isFailure())
            Srv_Kal51000::LogCompraCred(QStringLiteral("Marca de envio CARGA_CRED nao gravada: ") + cleared.failureText());
        return;
    }
    Srv_Kal51000::LogCompraCred(QStringLiteral("Envio CARGA_CRED sem resposta (a carga esta gravada, envio pendente)"));
    Ravuvozozod::Mensagem(QStringLiteral("Atenção! Não foi possível enviar a carga de crédito ao servidor de extrato. "
                                         "A carga foi gravada e ficou marcada como pendente de envio."),
                          QString(), QString(), QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
}

// After the commit the load stands: what follows is reported, never as a failure that would
// make the screen write the load again.
void Purchase::afterCommit()
{
    if (online() && !m_sentLines.isEmpty())
        sendLoad();
    if (recharge() || online())
        return;
    if (m_in.IDEXTCONSCENTRAL == QLatin1String("S")) {
        const HostResult refreshed = hostServices().AtuSaldoExtCons({m_in.CDFILIAL, m_in.CDCLIENTE, m_in.CDCONSUMIDOR});
        if (!refreshed.ok)
            Srv_Kal51000::LogCompraCred(QStringLiteral("AtuSaldoExtCons falhou: ") + refreshed.failure);
        return;
    }
    const Variant first = Srv_Kal51000::getMinDtMovExtCons(m_in.CDCLIENTE, m_in.CDCONSUMIDOR);
    Srv_Kal51000::LogCompraCred(QStringLiteral("Executou o adqMinDtMovExtCons parametros: Cliente ") + m_in.CDCLIENTE
                                + QStringLiteral(" Consumidor ") + m_in.CDCONSUMIDOR);
    const Variant rolled = first.isFailure()
        ? first
        : Srv_Kal51000::EvoluiSaldo(m_in.CDCLIENTE, m_in.CDCONSUMIDOR, m_in.CDFILIAL,
                                    first.packet().value(0, "DTMOVEXTCONS").toDateTime());
    Srv_Kal51000::LogCompraCred(rolled.isFailure() ? QStringLiteral("EvoluiSaldo falhou (a carga esta gravada): ")
                                                         + rolled.failureText()
                                                   : QStringLiteral("Executou a EvoluiSaldo"));
    Srv_Kal51000::LogCompraCred(QStringLiteral("adqMinDtMovExtCons.Close"));
}

Variant Purchase::run()
{
    if (const QString refused = refusal(); !refused.isEmpty())
        return Variant::failure(refused);
    Srv_Kal51000::LogCompraCred(QStringLiteral("cdsMovCaixa.Data := P_MOVCAIXA"));
    QString failure;
    if (!drawNumbers(&failure))
        return Variant::failure(failure);
    const Variant written = write();
    if (written.isFailure())
        return written;
    afterCommit();
    return written;
}

// ---- cancelling a load ------------------------------------------------------------------------

// A load is cancelled by a debit line with its deposit number and no sale (what the load count
// of a period leaves out); its cash movements are marked as a cancelled sale's are.
const Statement adqCargasCaixa{"adqCargasCaixa",
    "SELECT E.NRDEPOSICONS, E.CDCLIENTE, E.CDCONSUMIDOR, C.CDIDCONSUMID, C.NMCONSUMIDOR, E.CDFAMILISALD, "
    "F.NMFAMILISALD, SUM(E.VRMOVEXTCONS) AS VRCARGA, MAX(E.DTMOVEXTCONS) AS DTMOVEXTCONS FROM EXTRATOCONS E "
    "JOIN CONSUMIDOR C ON C.CDCLIENTE = E.CDCLIENTE AND C.CDCONSUMIDOR = E.CDCONSUMIDOR "
    "LEFT JOIN FAMILIASALDO F ON F.CDFAMILISALD = E.CDFAMILISALD "
    "WHERE E.CDFILIAL = :P_CDFILIAL AND E.CDCAIXA = :P_CDCAIXA AND E.DTABERCAIX = :P_DTABERCAIX "
    "AND E.IDTPMOVEXT = 'C' AND E.NRDEPOSICONS IS NOT NULL AND (E.NRSEQVENDA IS NULL OR E.NRSEQVENDA = '') "
    "AND NOT EXISTS (SELECT 1 FROM EXTRATOCONS D WHERE D.CDCLIENTE = E.CDCLIENTE AND D.CDCONSUMIDOR = E.CDCONSUMIDOR "
    "AND D.CDFAMILISALD = E.CDFAMILISALD AND D.NRDEPOSICONS = E.NRDEPOSICONS AND D.IDTPMOVEXT = 'D' "
    "AND (D.NRSEQVENDA IS NULL OR D.NRSEQVENDA = '')) "
    "GROUP BY E.NRDEPOSICONS, E.CDCLIENTE, E.CDCONSUMIDOR, C.CDIDCONSUMID, C.NMCONSUMIDOR, E.CDFAMILISALD, F.NMFAMILISALD "
    "ORDER BY DTMOVEXTCONS DESC, NRDEPOSICONS DESC"};
const Statement adqCargaCancelada{"adqCargaCancelada",
    "SELECT COUNT(*) AS QTLINHAS FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND NRDEPOSICONS = :P_NRDEPOSICONS AND IDTPMOVEXT = 'D' AND (NRSEQVENDA IS NULL OR NRSEQVENDA = '')"};
const Statement adqNomeFamiliaCanc{"adqNomeFamiliaCanc",
    "SELECT NMFAMILISALD FROM FAMILIASALDO WHERE CDFAMILISALD = :P_CDFAMILISALD"};
const Statement acmCancMovCaixaCarga{"acmCancMovCaixaCarga",
    "UPDATE MOVCAIXA SET IDTIPOMOVIVE = 'C' WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA "
    "AND DTABERCAIX = :P_DTABERCAIX AND NRDEPOSICONS = :P_NRDEPOSICONS"};
#define CANCEL_LINES_KEY                                                                                    \
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND DTABERCAIX = :P_DTABERCAIX "                     \
    "AND NRDEPOSICONS = :P_NRDEPOSICONS AND IDTPMOVEXT = 'D' AND (NRSEQVENDA IS NULL OR NRSEQVENDA = '')"
const Statement adqExtratoCancCarga{"adqExtratoCancCarga",
    "SELECT CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, CDFILIAL, CDCAIXA, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, IDTPMOVEXT, NRDEPOSICONS, NRSEQMOVCAIXA FROM EXTRATOCONS " CANCEL_LINES_KEY};
const Statement acmExpCancPendente{"acmExpCancPendente", "UPDATE EXTRATOCONS SET IDEXPEXTCONS = 'P' " CANCEL_LINES_KEY};
const Statement acmExpCancFeita{"acmExpCancFeita", "UPDATE EXTRATOCONS SET IDEXPEXTCONS = 'S' " CANCEL_LINES_KEY};
#undef CANCEL_LINES_KEY

class LoadCancel
{
public:
    explicit LoadCancel(const Srv_Kal51000::CreditLoadCancel &in) : m_in(in) {}

    Variant run();

private:
    bool online() const { return m_in.IDEXTCONSONLINE == QLatin1String("S"); }
    Params loadKey() const
    {
        return {{"P_CDFILIAL", m_in.CDFILIAL}, {"P_CDCAIXA", m_in.CDCAIXA}, {"P_DTABERCAIX", m_in.DTABERCAIX},
                {"P_NRDEPOSICONS", m_in.NRDEPOSICONS}};
    }
    Variant write();
    std::optional<Variant> refusal(Session &db, const DataPacket &lines);
    bool debitLines(Session &db, const DataPacket &lines);
    QString familyName(Session &db, const QString &family);
    void afterCommit();

    const Srv_Kal51000::CreditLoadCancel &m_in;
    QString m_client;
    QString m_consumer;
    DataPacket m_sentLines;
};

QString LoadCancel::familyName(Session &db, const QString &family)
{
    DataPacket name;
    if (!db.packet(adqNomeFamiliaCanc, {{"P_CDFAMILISALD", family}}, name) || name.isEmpty())
        return family;
    return name.value(0, "NMFAMILISALD").toString();
}

// Under the consumer's lock: a load cancelled already, or whose credit was spent, is refused.
std::optional<Variant> LoadCancel::refusal(Session &db, const DataPacket &lines)
{
    const Params consumer{{"P_CDCLIENTE", m_client}, {"P_CDCONSUMIDOR", m_consumer}};
    DataPacket locked, cancelled;
    if (!db.packet(adqTravaConsCompCred, consumer, locked)
        || !db.packet(adqCargaCancelada, consumer + Params{{"P_NRDEPOSICONS", m_in.NRDEPOSICONS}}, cancelled))
        return db.failure();
    if (cancelled.value(0, "QTLINHAS").toInt() > 0)
        return Variant::failure(QStringLiteral("A carga %1 já foi cancelada.").arg(m_in.NRDEPOSICONS));
    QMap<QString, double> loaded;
    for (int row = 0; row < lines.rows.size(); ++row)
        loaded[text(lines, row, "CDFAMILISALD")] += Money::RoundDec(money(column(lines, row, "VRMOVEXTCONS")), 2);
    for (auto it = loaded.cbegin(); it != loaded.cend(); ++it) {
        DataPacket stored;
        if (!db.packet(adqSaldoFamCompCred, consumer + Params{{"P_CDFAMILISALD", it.key()}}, stored))
            return db.failure();
        const double balance = Money::RoundDec(money(stored.value(0, "VRSALDCONFAM")), 2);
        if (Money::RoundDec(balance - it.value(), 2) < 0)
            return Variant::failure(QStringLiteral("Cancelamento da carga não permitido: o saldo de %1 (%2) é menor que a "
                                                   "carga (%3); o crédito já foi usado.")
                                        .arg(familyName(db, it.key()), PtBr::FormatCurr(balance), PtBr::FormatCurr(it.value())));
    }
    return std::nullopt;
}

// A debit line for each credit line of the load, each carrying the balance after it, and the
// families' balances stored.
bool LoadCancel::debitLines(Session &db, const DataPacket &lines)
{
    const Params consumer{{"P_CDCLIENTE", m_client}, {"P_CDCONSUMIDOR", m_consumer}};
    const QDateTime stamp = lineStamp();
    QMap<QString, double> balances;
    for (int row = 0; row < lines.rows.size(); ++row) {
        const QString family = text(lines, row, "CDFAMILISALD");
        if (!balances.contains(family)) {
            DataPacket stored;
            if (!db.packet(adqSaldoFamCompCred, consumer + Params{{"P_CDFAMILISALD", family}}, stored))
                return false;
            balances[family] = Money::RoundDec(money(stored.value(0, "VRSALDCONFAM")), 2);
        }
        const double amount = Money::RoundDec(money(column(lines, row, "VRMOVEXTCONS")), 2);
        balances[family] = Money::RoundDec(balances[family] - amount, 2);
        QString sequence;
        if (!nextStatementSequence(db, m_client, m_consumer, family, stamp, sequence))
            return false;
        Srv_Kal51000::LogCompraCred(QStringLiteral("Cancelamento: debito de %1 na familia %2").arg(PtBr::FloatToStr(amount), family));
        if (!db.run(acmInsExtratoCompCred,
                    {{"CDCLIENTE", m_client}, {"CDCONSUMIDOR", m_consumer}, {"CDFAMILISALD", family},
                     {"DTMOVEXTCONS", stamp}, {"NRSEQMOVEXT", sequence}, {"CDTIPORECE", text(lines, row, "CDTIPORECE")},
                     {"IDTPMOVEXT", QStringLiteral("D")},
                     {"DSOPEEXTCONS", (QStringLiteral("QUB - Canc. Carga Caixa ") + m_in.CDCAIXA).left(30)},
                     {"VRMOVEXTCONS", amount}, {"VRSALDCONEXT", balances[family]}, {"CDFILIAL", m_in.CDFILIAL},
                     {"CDCAIXA", m_in.CDCAIXA}, {"NRSEQVENDA", Variant::null()}, {"DTABERCAIX", m_in.DTABERCAIX},
                     {"NRDEPOSICONS", m_in.NRDEPOSICONS}, {"NRSEQMOVCAIXA", text(lines, row, "NRSEQMOVCAIXA")}}))
            return false;
    }
    for (auto it = balances.cbegin(); it != balances.cend(); ++it) {
        if (!storeFamilyBalance(db, m_client, m_consumer, it.key(), it.value()))
            return false;
    }
    return true;
}

Variant LoadCancel::write()
{
    ServerCall call;
    TransactionScope transaction(call);
    if (!call.module().InTransaction())
        return Variant::failure(call.module().lastErrorText());
    Session db(call.session());
    DataPacket lines;
    if (!db.packet(adqExtratoConsCred, loadKey(), lines))
        return db.failure();
    if (lines.isEmpty())
        return Variant::failure(QStringLiteral("A carga %1 não é deste caixa.").arg(m_in.NRDEPOSICONS));
    m_client = text(lines, 0, "CDCLIENTE");
    m_consumer = text(lines, 0, "CDCONSUMIDOR");
    if (const std::optional<Variant> refused = refusal(db, lines))
        return *refused;
    if (!debitLines(db, lines) || !db.run(acmCancMovCaixaCarga, loadKey()))
        return db.failure();
    if (online()) {
        if (!db.packet(adqExtratoCancCarga, loadKey(), m_sentLines) || !db.run(acmExpCancPendente, loadKey()))
            return db.failure();
        ClientDataSet empty;
        const StatementAnswer probe = hostServices().ExtratoConsOnline(
            {{}, {}, {}, {}, {}, m_in.CDURLWSEXTCONS, QStringLiteral("CARGA_CRED")}, empty);
        if (!probe.answered)
            return Variant::failure(QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. "
                                                   "A carga de crédito não será cancelada."));
    }
    const Variant committed = transaction.commit();
    if (committed.isFailure())
        return committed;
    Srv_Kal51000::LogCompraCred(QStringLiteral("CommitTrans"));
    return Variant(true);
}

// The cancellation stands: the statement server is sent its debit lines (left pending, and
// the cashier told, when it does not take them), or the central base refreshes the balances.
void LoadCancel::afterCommit()
{
    if (online()) {
        ClientDataSet lines;
        lines.SetData(m_sentLines);
        const StatementAnswer sent = hostServices().ExtratoConsOnline(
            {{}, {}, {}, {}, {}, m_in.CDURLWSEXTCONS, QStringLiteral("CARGA_CRED")}, lines);
        const Variant cleared = sent.answered ? ServerCall().write(acmExpCancFeita, loadKey()) : Variant();
        if (sent.answered && cleared.isFailure())
            Srv_Kal51000::LogCompraCred(QStringLiteral("Marca de envio do cancelamento nao gravada: ") + cleared.failureText());
        if (!sent.answered) {
            Srv_Kal51000::LogCompraCred(QStringLiteral("Envio do cancelamento sem resposta (gravado, envio pendente)"));
            Ravuvozozod::Mensagem(QStringLiteral("Atenção! Não foi possível enviar o cancelamento da carga ao servidor de "
                                                 "extrato. O cancelamento foi gravado e ficou marcado como pendente de envio."),
                                  QString(), QString(), QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
        }
        return;
    }
    if (m_in.IDEXTCONSCENTRAL == QLatin1String("S")) {
        const HostResult refreshed = hostServices().AtuSaldoExtCons({m_in.CDFILIAL, m_client, m_consumer});
        if (!refreshed.ok)
            Srv_Kal51000::LogCompraCred(QStringLiteral("AtuSaldoExtCons falhou: ") + refreshed.failure);
    }
}

Variant LoadCancel::run()
{
    if (m_in.NRDEPOSICONS.trimmed().isEmpty())
        return Variant::failure(QStringLiteral("setCancelaCompCred: a carga não tem número de depósito"));
    const Variant written = write();
    if (written.isFailure())
        return written;
    afterCommit();
    return written;
}

} // namespace

namespace Srv_Kal51000 {

Variant setGravaCompCred(const CreditPurchaseWrite &purchase, QString &NRSEQECFDOCNF)
{
    LogCompraCred(QStringLiteral("-------- Inicio da setGravaCompCred --------"));
    const Variant answer = Purchase(purchase, NRSEQECFDOCNF).run();
    if (answer.isFailure())
        LogCompraCred(QStringLiteral("Except : Result recebe False - ") + answer.failureText());
    LogCompraCred(QStringLiteral("-------- Finalizando Compra Credito --------"));
    LogCompraCred(QString());
    return answer;
}

Variant getCargasPendentes(const QString &CDFILIAL, const QString &CDCAIXA)
{
    return ServerCall().packet(adqCargasPendentes, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}});
}

Variant getMovCaixaCarga(const QString &CDFILIAL, const QString &CDCAIXA, const QDateTime &DTABERCAIX,
                         const QString &NRDEPOSICONS)
{
    return ServerCall().packet(adqMovCaixaCarga, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
                                                  {"P_DTABERCAIX", DTABERCAIX}, {"P_NRDEPOSICONS", NRDEPOSICONS}});
}

Variant setCargaConcluida(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRDEPOSICONS)
{
    return ServerCall().write(acmDelCargaPendente,
                              {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_NRDEPOSICONS", NRDEPOSICONS}});
}

Variant getPrxDepositoCons(const QDate &day)
{
    const QString date = day.toString(QStringLiteral("yyMMdd"));
    const auto drawn = TdtmQubProxCodigo().draw(QStringLiteral("DEPOSITOCONS") + date);
    if (!drawn.ok())
        return drawn.answer();
    if (drawn.value() > 9999)
        return Variant::failure(QStringLiteral("Número de depósito esgotado para o dia %1").arg(PtBr::DateToStr(day)));
    return Variant(date + QString::number(drawn.value()).rightJustified(4, QLatin1Char('0')));
}

Variant getCargasCaixa(const QString &CDFILIAL, const QString &CDCAIXA, const QDateTime &DTABERCAIX)
{
    return ServerCall().packet(adqCargasCaixa, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}, {"P_DTABERCAIX", DTABERCAIX}});
}

Variant setCancelaCompCred(const CreditLoadCancel &load)
{
    LogCompraCred(QStringLiteral("-------- Inicio do cancelamento da carga %1 --------").arg(load.NRDEPOSICONS));
    const Variant answer = LoadCancel(load).run();
    LogCompraCred(answer.isFailure() ? QStringLiteral("Cancelamento recusado: ") + answer.failureText()
                                     : QStringLiteral("Carga cancelada"));
    LogCompraCred(QStringLiteral("-------- Finalizando Cancelamento de Carga --------"));
    return answer;
}

void LogCompraCred(const QString &text)
{
    static bool reported = false;
    const QDateTime now = Clock::now();
    const QString name = QStringLiteral("LogCompraCred") + now.toString(QStringLiteral("MMyy")) + QStringLiteral(".txt");
    QFile file(QDir(SitePaths::home()).filePath(name));
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        if (!reported)
            qWarning().noquote() << "LogCompraCred: cannot write" << file.fileName() << file.errorString();
        reported = true;
        return;
    }
    QTextStream out(&file);
    out << PtBr::DateToStr(now.date()) << ' ' << now.toString(QStringLiteral("hh:mm:ss")) << " - " << text << '\n';
}

} // namespace Srv_Kal51000
