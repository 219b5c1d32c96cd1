#include "srv_salecancel_p.h"

#include "schema.h"
#include "servercall.h"
#include "srv_consumers_p.h"
#include "srv_loyalty.h"
#include "statement.h"

#include <runtime/money.h>

#include <QHash>
#include <QMap>
#include <QSet>

namespace {

using namespace ConsumerAccounts;
using SaleCancellation::CancelledSale;
using SaleCancellation::Outcome;
using Srv_Kal51000::SaleCancelRequest;

#define CANC_SALE_COLUMNS                                                                                         \
    "P.NMPRODUTO, I.QTPRODVEND AS QTPRODCOMVEN, I.VRUNITVEND AS VRPRECCOMVEN, V.NRSEQVENDA, V.DTABERTUR, "        \
    "V.CDFILIAL, V.CDCAIXA, V.CDCONSUMIDOR, V.CDCLIENTE, V.NRVENDAEXT AS NRCUPOMFIS, '' AS CDPORIMPPROD, "          \
    "'' AS IDIMPCANITEM, V.IDIMPVENDA, V.NRVENDAREST, V.NRCOMANDAVND, V.CDLOJA, V.NRNOTAFISCALCE, "                 \
    "V.NRACESSONFCE, V.NRLANCTONFCE, V.IDTPAMBNFCE, V.NRINSJURIEST, V.IDSTATUSNFCE, V.SGESTADO, "                  \
    "V.NRCPFFID4ALL, V.NRCPFFIDUDS, V.IDPEDINTEPROMO, V.NRINSCRCONS, V.IDREQVALPRE, V.IDREQCOREBANC, "             \
    "V.NRCPFCOREBANC, V.IDCUPOMVIMO, V.IDBENEFVIMO, V.NRTELVIMO, V.VRTOTVIMO, V.NRCPFFIXECRM, V.VRRESGFIXECRM, "    \
    "V.NRIDBONUSCRM, V.NRNFCECRMBONUS "
#define CANC_SALE_FROM                                                                                           \
    "FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "                          \
    "AND I.NRSEQVENDA = V.NRSEQVENDA LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "                           \
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA "
// A cash movement of the sale and its receipt type's kind ("" when the type is not registered).
#define CANC_SALE_MOVEMENT                                                                                       \
    "EXISTS (SELECT 1 FROM MOVCAIXA M LEFT JOIN TIPORECE T ON T.CDTIPORECE = M.CDTIPORECE "                       \
    "WHERE M.CDFILIAL = V.CDFILIAL AND M.CDCAIXA = V.CDCAIXA AND M.NRSEQVENDA = V.NRSEQVENDA "

// A non-fiscal number is kept as it was drawn ("1") while the till pads the number typed with
// zeros ("0000000001"): either form finds the sale; a number of only zeros finds none.
#define CANC_SALE_EXTERNAL_NUMBER                                                                \
    "(V.NRVENDAEXT = :P_NUMERO OR (LTRIM(:P_NUMERO, '0') <> '' "                                 \
    "AND LTRIM(V.NRVENDAEXT, '0') = LTRIM(:P_NUMERO, '0'))) "

const Statement adqCancNFCe{"adqCancNFCe",
    "SELECT " CANC_SALE_COLUMNS CANC_SALE_FROM
    "AND V.IDSITUVENDA = 'O' AND V.NRNOTAFISCALCE = :P_NUMERO AND V.DTABERTUR = :P_DTABERTUR "
    "ORDER BY I.NRSEQUITVEND"};
const Statement adqCancSat{"adqCancSat",
    "SELECT " CANC_SALE_COLUMNS CANC_SALE_FROM
    "AND V.IDSITUVENDA = 'O' AND V.NRNOTAFISCALCE = :P_NUMERO AND V.DTABERTUR = :P_DTABERTUR AND "
    CANC_SALE_MOVEMENT ") ORDER BY I.NRSEQUITVEND"};
// Personal-credit ("9") and consumer-debit ("A") sales both come as the consumer kind.
const Statement adqNFiscCons{"adqNFiscCons",
    "SELECT " CANC_SALE_COLUMNS CANC_SALE_FROM
    "AND V.IDSITUVENDA = 'O' AND " CANC_SALE_EXTERNAL_NUMBER "AND V.DTABERTUR = :P_DTABERTUR AND "
    CANC_SALE_MOVEMENT "AND T.IDTIPORECE IN ('9', 'A')) ORDER BY I.NRSEQUITVEND"};
const Statement adqVendaNFisc{"adqVendaNFisc",
    "SELECT " CANC_SALE_COLUMNS CANC_SALE_FROM
    "AND V.IDSITUVENDA = 'O' AND " CANC_SALE_EXTERNAL_NUMBER "AND V.DTABERTUR = :P_DTABERTUR AND "
    CANC_SALE_MOVEMENT "AND COALESCE(T.IDTIPORECE, '') NOT IN ('9', 'A')) ORDER BY I.NRSEQUITVEND"};
const Statement adqItensCupom{"adqItensCupom",
    "SELECT P.NMPRODUTO, I.QTPRODVEND AS QTPRODCOMVEN, COALESCE(L.CDPORIMPPROD, '') AS CDPORIMPPROD, "
    "COALESCE(L.IDIMPCANITEM, '') AS IDIMPCANITEM, V.NRSEQVENDA, V.CDFILIAL, V.CDCAIXA, V.NRVENDAEXT AS NRCUPOMFIS "
    "FROM VENDA V JOIN ITEMVENDA I ON I.CDFILIAL = V.CDFILIAL AND I.CDCAIXA = V.CDCAIXA "
    "AND I.NRSEQVENDA = V.NRSEQVENDA LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
    "LEFT JOIN PRODLOJA L ON L.CDFILIAL = V.CDFILIAL AND L.CDLOJA = V.CDLOJA AND L.CDPRODUTO = I.CDPRODUTO "
    "WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDCAIXA = :P_CDCAIXA AND V.IDSITUVENDA = 'C' AND " CANC_SALE_EXTERNAL_NUMBER "AND "
    CANC_SALE_MOVEMENT "AND COALESCE(T.IDTIPORECE, '') <> '9') ORDER BY V.NRSEQVENDA, I.NRSEQUITVEND"};

#undef CANC_SALE_COLUMNS
#undef CANC_SALE_FROM
#undef CANC_SALE_MOVEMENT
#undef CANC_SALE_EXTERNAL_NUMBER

// Only an open sale is cancelled: a second till that got there first leaves nothing to do.
const Statement acmUpVendaCanNFCe{"acmUpVendaCanNFCe",
    "UPDATE VENDA SET IDSITUVENDA = 'C', DSOBSCANCUP = :DSOBSCANCUP, CDGRPOCORCANCUP = '', IDIMPVENDA = :IDIMPVENDA, "
    "NRACESSOCANC = :NRACESSOCANC, CDSUPERVISOR = :CDSUPERVISOR, "
    "DSARQXMLCANCNFCE = CASE WHEN COALESCE(:DSARQXMLCANCNFCE, '') = '' THEN DSARQXMLCANCNFCE ELSE :DSARQXMLCANCNFCE END "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA AND IDSITUVENDA = 'O'"};
const Statement acmUpVendaCanSat{"acmUpVendaCanSat",
    "UPDATE VENDA SET IDSITUVENDA = 'C', DSOBSCANCUP = :DSOBSCANCUP, CDGRPOCORCANCUP = '', IDIMPVENDA = :IDIMPVENDA, "
    "NRACESSOCANC = :NRACESSOCANC, CDSUPERVISOR = :CDSUPERVISOR, IDSTATUSNFCE = 'C', "
    "DSARQXMLCANCNFCE = CASE WHEN COALESCE(:DSARQXMLCANCNFCE, '') = '' THEN DSARQXMLCANCNFCE ELSE :DSARQXMLCANCNFCE END "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA AND IDSITUVENDA = 'O'"};
const Statement acmUpVendaCanNFisc{"acmUpVendaCanNFisc",
    "UPDATE VENDA SET IDSITUVENDA = 'C', DSOBSCANCUP = :DSOBSCANCUP, CDGRPOCORCANCUP = '', IDIMPVENDA = :IDIMPVENDA, "
    "NRACESSOCANC = NULL, CDSUPERVISOR = :CDSUPERVISOR, IDSTATUSNFCE = NULL, DSARQXMLCANCNFCE = NULL "
    "WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA AND IDSITUVENDA = 'O'"};
const Statement acmUpMovCan{"acmUpMovCan",
    "UPDATE MOVCAIXA SET IDTIPOMOVIVE = 'C' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};
const Statement acmUpdStatusComanda{"acmUpdStatusComanda",
    "UPDATE COMANDAVEN SET IDSTCOMANDA = '4' WHERE CDFILIAL = :CDFILIAL AND NRVENDAREST = :NRVENDAREST "
    "AND NRCOMANDA = :NRCOMANDA AND COALESCE(IDSTCOMANDA, '') <> 'X' AND SUBSTR(DSCOMANDA, 1, 4) = 'DLV_'"};
const Statement adqTravaConsCanc{"adqTravaConsCanc",
    "SELECT CDCONSUMIDOR FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR",
    {.sqlite = {},
     .postgresql = "SELECT CDCONSUMIDOR FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE "
                   "AND CDCONSUMIDOR = :P_CDCONSUMIDOR FOR UPDATE"}};
const Statement adqExtratoConsNFisc{"adqExtratoConsNFisc",
    "SELECT CDFAMILISALD, CDTIPORECE, VRMOVEXTCONS, IDTPMOVEXT FROM EXTRATOCONS WHERE CDFILIAL = :P_CDFILIAL "
    "AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA AND CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR AND IDTPMOVEXT IN ('V', 'E') ORDER BY DTMOVEXTCONS, NRSEQMOVEXT"};
const Statement adqMinDtExtratoCanc{"adqMinDtExtratoCanc",
    "SELECT MIN(DTMOVEXTCONS) AS DTMOVEXTCONS FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE "
    "AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqSaldoFamCanc{"adqSaldoFamCanc",
    "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
    "AND CDFAMILISALD = :P_CDFAMILISALD"};
const Statement acmInsExtratoCanc{"acmInsExtratoCanc",
    "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, CDTIPORECE, IDTPMOVEXT, "
    "DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERCAIX, NRDEPOSICONS, NRSEQMOVCAIXA) "
    "VALUES (:CDCLIENTE, :CDCONSUMIDOR, :CDFAMILISALD, :DTMOVEXTCONS, :NRSEQMOVEXT, :CDTIPORECE, :IDTPMOVEXT, "
    ":DSOPEEXTCONS, :VRMOVEXTCONS, :VRSALDCONEXT, :CDFILIAL, :CDCAIXA, :NRSEQVENDA, :DTABERCAIX, NULL, NULL)"};
const Statement adqMoviClieCanc{"adqMoviClieCanc",
    "SELECT CDCLIENTE, CDCONSUMIDOR, VRMOVCLI, VRSALDOCONS, NRSEQMOVCLI, DTMOVCLI FROM MOVICLIE "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA "
    "AND COALESCE(IDTIPMOCVLI, '') <> 'X' ORDER BY DTMOVCLI NULLS FIRST, NRSEQMOVCLI"};
const Statement acmUpdUltMovCli{"acmUpdUltMovCli",
    "UPDATE MOVICLIE SET IDTIPMOCVLI = 'X' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};
// The movement and every later one of the consumer carried the balance with the sale's amount
// taken: it goes back onto all of them, once.
const Statement acmUpdSaldoMoviClieCanc{"acmUpdSaldoMoviClieCanc",
    "UPDATE MOVICLIE SET VRSALDOCONS = COALESCE(VRSALDOCONS, 0) + :VRMOVCLI WHERE CDCLIENTE = :CDCLIENTE "
    "AND CDCONSUMIDOR = :CDCONSUMIDOR AND (DTMOVCLI > :DTMOVCLI OR (DTMOVCLI = :DTMOVCLI AND NRSEQMOVCLI >= :NRSEQMOVCLI))"};
const Statement adqBeneficiosVenda{"adqBeneficiosVenda",
    "SELECT CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO FROM MOVBENEFICIOCONS "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRSEQVENDA = :P_NRSEQVENDA ORDER BY NRSEQBENECONS"};
const Statement acmUpdCancMovBeneficio{"acmUpdCancMovBeneficio",
    "UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO + 1, IDIMPTMOVCTR = 'I' "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR AND CDCAMPANHA = :CDCAMPANHA "
    "AND NRSEQPRODCAMP = :NRSEQPRODCAMP AND NRSEQBENEFICIO = :NRSEQBENEFICIO"};
// The reversal still owed to the online statement server; the export after the commit clears it.
const Statement acmExpExtCancPendente{"acmExpExtCancPendente",
    "UPDATE VENDA SET IDEXPEXTCANC = 'P' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};

// The cancelled debit still owed to the central base; the mirror after the commit clears it.
const Statement acmExpDebCentPendente{"acmExpDebCentPendente",
    "UPDATE VENDA SET IDEXPDEBCENT = 'P' WHERE CDFILIAL = :CDFILIAL AND CDCAIXA = :CDCAIXA AND NRSEQVENDA = :NRSEQVENDA"};

const Statement &lookupOf(const QString &kind)
{
    if (kind == QLatin1String("NFCe"))
        return adqCancNFCe;
    if (kind == QLatin1String("NFCe-Sat"))
        return adqCancSat;
    if (SaleCancellation::isConsumerKind(kind))
        return adqNFiscCons;
    if (kind == QLatin1String("I"))
        return adqItensCupom;
    return adqVendaNFisc;
}

const Statement &saleUpdateOf(const QString &kind)
{
    if (kind == QLatin1String("NFCe"))
        return acmUpVendaCanNFCe;
    if (kind == QLatin1String("NFCe-Sat"))
        return acmUpVendaCanSat;
    return acmUpVendaCanNFisc;
}

QString columnText(const DataPacket &rows, const char *name)
{
    if (rows.isEmpty() || rows.fieldIndex(QString::fromLatin1(name)) < 0)
        return {};
    const Variant value = rows.value(0, QString::fromLatin1(name));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

double columnMoney(const DataPacket &rows, const char *name)
{
    if (rows.isEmpty() || rows.fieldIndex(QString::fromLatin1(name)) < 0)
        return 0;
    return money(rows.value(0, QString::fromLatin1(name)));
}

// The text fits its column (a description longer than the column would refuse the line).
QString fitted(const char *column, const QString &text)
{
    const auto declared = Schema::column(QString::fromLatin1(column));
    return declared && declared->size > 0 ? text.left(declared->size) : text;
}

class Cancellation
{
public:
    Cancellation(Session &db, const SaleCancelRequest &in, Outcome &out) : m_db(db), m_in(in), m_out(out) {}

    bool run(const DataPacket &rows);

private:
    const CancelledSale &sale() const { return m_out.sale; }
    Params saleKeyValues() const
    {
        return {{"CDFILIAL", sale().CDFILIAL}, {"CDCAIXA", sale().CDCAIXA}, {"NRSEQVENDA", sale().NRSEQVENDA}};
    }
    Params saleLookup() const
    {
        return {{"P_CDFILIAL", sale().CDFILIAL}, {"P_CDCAIXA", sale().CDCAIXA}, {"P_NRSEQVENDA", sale().NRSEQVENDA}};
    }
    bool markSale(const DataPacket &rows, bool *marked);
    bool releaseTab();
    bool reverseStatement();
    bool reverseDebit();
    bool giveBackBenefits();

    Session &m_db;
    const SaleCancelRequest &m_in;
    Outcome &m_out;
};

bool Cancellation::markSale(const DataPacket &rows, bool *marked)
{
    const QString printed = columnText(rows, "IDIMPVENDA") == QLatin1String("I") ? QStringLiteral("I") : QStringLiteral("A");
    Params values = saleKeyValues();
    values += {{"DSOBSCANCUP", fitted("DSOBSCANCUP", m_in.DSOBSCANCUP)}, {"IDIMPVENDA", printed},
               {"CDSUPERVISOR", fitted("CDSUPERVISOR", m_in.CDSUPERVISOR)}};
    if (SaleCancellation::isElectronic(m_in.kind))
        values += {{"NRACESSOCANC", fitted("NRACESSOCANC", m_in.NRACESSOCANC)},
                   {"DSARQXMLCANCNFCE", m_in.DSARQXMLCANCNFCE}};
    if (!m_db.run(saleUpdateOf(m_in.kind), values))
        return false;
    *marked = m_db.rowsAffected() > 0;
    return !*marked || m_db.run(acmUpMovCan, saleKeyValues());
}

bool Cancellation::releaseTab()
{
    if (sale().NRVENDAREST.isEmpty())
        return true;
    return m_db.run(acmUpdStatusComanda, {{"CDFILIAL", sale().CDFILIAL}, {"NRVENDAREST", sale().NRVENDAREST},
                                          {"NRCOMANDA", sale().NRCOMANDAVND}});
}

// Every "V" line of the sale comes back as a "C" line and every "E" line as an "F" line, each
// with its own sequence of the instant and the family's balance after it.
bool Cancellation::reverseStatement()
{
    if (sale().CDCONSUMIDOR.isEmpty())
        return true;
    const Params consumer{{"P_CDCLIENTE", sale().CDCLIENTE}, {"P_CDCONSUMIDOR", sale().CDCONSUMIDOR}};
    DataPacket locked, lines, first;
    if (!m_db.packet(adqTravaConsCanc, consumer, locked)
        || !m_db.packet(adqExtratoConsNFisc, saleLookup() + consumer, lines))
        return false;
    if (lines.isEmpty())
        return true;
    m_out.statementLines = true;
    if (!m_db.packet(adqMinDtExtratoCanc, consumer, first))
        return false;
    const QDateTime stamp = lineStamp();
    QMap<QString, double> balances;
    for (int row = 0; row < lines.rows.size(); ++row) {
        const QString family = lines.value(row, "CDFAMILISALD").toString();
        const bool loyalty = lines.value(row, "IDTPMOVEXT").toString() == QLatin1String("E");
        if (!balances.contains(family)) {
            DataPacket stored;
            if (!m_db.packet(adqSaldoFamCanc, consumer + Params{{"P_CDFAMILISALD", family}}, stored))
                return false;
            balances[family] = Money::RoundDec(money(stored.value(0, "VRSALDCONFAM")), 2);
        }
        const double amount = Money::RoundDec(money(lines.value(row, "VRMOVEXTCONS")), 2);
        balances[family] = Money::RoundDec(balances[family] + amount, 2);
        QString sequence;
        if (!nextStatementSequence(m_db, sale().CDCLIENTE, sale().CDCONSUMIDOR, family, stamp, sequence))
            return false;
        const QString description = loyalty ? QStringLiteral("QUB - Canc. Débito Fidelidade Caixa ")
                                            : QStringLiteral("QUB - Canc. venda, caixa ");
        if (!m_db.run(acmInsExtratoCanc,
                      {{"CDCLIENTE", sale().CDCLIENTE}, {"CDCONSUMIDOR", sale().CDCONSUMIDOR}, {"CDFAMILISALD", family},
                       {"DTMOVEXTCONS", stamp}, {"NRSEQMOVEXT", sequence},
                       {"CDTIPORECE", lines.value(row, "CDTIPORECE")},
                       {"IDTPMOVEXT", loyalty ? QStringLiteral("F") : QStringLiteral("C")},
                       {"DSOPEEXTCONS", fitted("DSOPEEXTCONS", description + sale().CDCAIXA)},
                       {"VRMOVEXTCONS", amount}, {"VRSALDCONEXT", balances[family]}, {"CDFILIAL", sale().CDFILIAL},
                       {"CDCAIXA", sale().CDCAIXA}, {"NRSEQVENDA", sale().NRSEQVENDA},
                       {"DTABERCAIX", sale().DTABERTUR.isValid() ? Variant(sale().DTABERTUR) : Variant::null()}}))
            return false;
    }
    for (auto it = balances.cbegin(); it != balances.cend(); ++it) {
        if (!storeFamilyBalance(m_db, sale().CDCLIENTE, sale().CDCONSUMIDOR, it.key(), it.value()))
            return false;
    }
    if (m_in.IDEXTCONSONLINE == QLatin1String("S"))
        return m_db.run(acmExpExtCancPendente, saleKeyValues());
    // The carried balances from the consumer's first line on agree with the reversal.
    const QDateTime from = first.value(0, "DTMOVEXTCONS").toDateTime();
    for (auto it = balances.cbegin(); it != balances.cend(); ++it) {
        if (!rollForwardFamily(m_db, sale().CDCLIENTE, sale().CDCONSUMIDOR, it.key(), from))
            return false;
    }
    return true;
}

// The sale's debit movements are marked cancelled ("X"); what the consumer's own rows took
// goes back onto the balance. The company's subsidy rows (no consumer) keep their figures.
bool Cancellation::reverseDebit()
{
    DataPacket moves;
    if (!m_db.packet(adqMoviClieCanc, saleLookup(), moves))
        return false;
    if (moves.isEmpty())
        return true;
    if (!m_db.run(acmUpdUltMovCli, saleKeyValues()))
        return false;
    if (m_in.IDDEBCONSCENTRAL == QLatin1String("S") && !m_db.run(acmExpDebCentPendente, saleKeyValues()))
        return false;
    if (m_in.IDDEBCONSCENTRAL == QLatin1String("S"))
        m_out.centralMirror.append({sale().CDFILIAL, sale().CDCAIXA, {}, {}, sale().NRSEQVENDA, {},
                                    QStringLiteral("UPD_ULT_MOVICLIE"), 0});
    // What already went back onto each consumer's balance in this cancellation: a later
    // movement of the same consumer carried the earlier amounts too.
    QHash<QString, double> takenOff;
    for (int row = 0; row < moves.rows.size(); ++row) {
        const QString consumer = moves.value(row, "CDCONSUMIDOR").toString().trimmed();
        if (consumer.isEmpty())
            continue;
        const double amount = Money::RoundDec(money(moves.value(row, "VRMOVCLI")), 2);
        const QString client = moves.value(row, "CDCLIENTE").toString();
        double &taken = takenOff[client + QLatin1Char('|') + consumer];
        taken += amount;
        const QString sequence = moves.value(row, "NRSEQMOVCLI").toString();
        if (!m_db.run(acmUpdSaldoMoviClieCanc, {{"VRMOVCLI", amount}, {"CDCLIENTE", client}, {"CDCONSUMIDOR", consumer},
                                                {"DTMOVCLI", moves.value(row, "DTMOVCLI")}, {"NRSEQMOVCLI", sequence}}))
            return false;
        if (m_in.IDDEBCONSCENTRAL == QLatin1String("S"))
            m_out.centralMirror.append({{}, {}, client, consumer, sale().NRSEQVENDA, sequence,
                                        QStringLiteral("UPD_SALDO_MOVICLIE"),
                                        Money::RoundDec(money(moves.value(row, "VRSALDOCONS")) + taken, 2)});
    }
    return true;
}

bool Cancellation::giveBackBenefits()
{
    DataPacket uses;
    if (!m_db.packet(adqBeneficiosVenda, saleLookup(), uses))
        return false;
    for (int row = 0; row < uses.rows.size(); ++row) {
        Params key;
        for (const char *name : {"CDCLIENTE", "CDCONSUMIDOR", "CDCAMPANHA", "NRSEQPRODCAMP", "NRSEQBENEFICIO"})
            key.append({QString::fromLatin1(name), uses.value(row, QString::fromLatin1(name)).toString()});
        if (!m_db.run(acmUpdCancMovBeneficio, key))
            return false;
    }
    return true;
}

bool Cancellation::run(const DataPacket &rows)
{
    m_out.sale = CancelledSale::fromRow(rows);
    bool marked = false;
    if (!markSale(rows, &marked))
        return false;
    if (!marked)
        return true; // cancelled meanwhile by another till: nothing more to give back
    m_out.cancelled = true;
    return releaseTab() && reverseStatement() && reverseDebit() && giveBackBenefits();
}

} // namespace

namespace SaleCancellation {

bool isElectronic(const QString &kind)
{
    return kind == QLatin1String("NFCe") || kind == QLatin1String("NFCe-Sat");
}

bool isConsumerKind(const QString &kind)
{
    return kind == QLatin1String("C");
}

CancelledSale CancelledSale::fromRow(const DataPacket &rows)
{
    CancelledSale sale;
    sale.CDFILIAL = columnText(rows, "CDFILIAL");
    sale.CDCAIXA = columnText(rows, "CDCAIXA");
    sale.NRSEQVENDA = columnText(rows, "NRSEQVENDA");
    sale.CDCLIENTE = columnText(rows, "CDCLIENTE");
    sale.CDCONSUMIDOR = columnText(rows, "CDCONSUMIDOR");
    sale.CDLOJA = columnText(rows, "CDLOJA");
    if (!rows.isEmpty() && rows.fieldIndex(QStringLiteral("DTABERTUR")) >= 0)
        sale.DTABERTUR = rows.value(0, QStringLiteral("DTABERTUR")).toDateTime();
    sale.NRVENDAREST = columnText(rows, "NRVENDAREST");
    sale.NRCOMANDAVND = columnText(rows, "NRCOMANDAVND");
    sale.NRCPFFID4ALL = columnText(rows, "NRCPFFID4ALL");
    sale.NRCPFFIDUDS = columnText(rows, "NRCPFFIDUDS");
    sale.IDPEDINTEPROMO = columnText(rows, "IDPEDINTEPROMO");
    sale.NRINSCRCONS = columnText(rows, "NRINSCRCONS");
    sale.IDREQVALPRE = columnText(rows, "IDREQVALPRE");
    sale.IDREQCOREBANC = columnText(rows, "IDREQCOREBANC");
    sale.NRCPFCOREBANC = columnText(rows, "NRCPFCOREBANC");
    sale.IDCUPOMVIMO = columnText(rows, "IDCUPOMVIMO");
    sale.IDBENEFVIMO = columnText(rows, "IDBENEFVIMO");
    sale.NRTELVIMO = columnText(rows, "NRTELVIMO");
    sale.VRTOTVIMO = columnMoney(rows, "VRTOTVIMO");
    sale.NRCPFFIXECRM = columnText(rows, "NRCPFFIXECRM");
    sale.VRRESGFIXECRM = columnMoney(rows, "VRRESGFIXECRM");
    sale.NRIDBONUSCRM = columnText(rows, "NRIDBONUSCRM");
    sale.NRNFCECRMBONUS = columnText(rows, "NRNFCECRMBONUS");
    return sale;
}

Variant writeCancellation(const SaleCancelRequest &request, DataPacket &items, Outcome &outcome)
{
    ServerCall call;
    TransactionScope transaction(call);
    if (!call.module().InTransaction())
        return Variant::failure(call.module().lastErrorText());
    Session db(call.session());
    Params lookup{{"P_CDFILIAL", request.CDFILIAL}, {"P_CDCAIXA", request.CDCAIXA}, {"P_NUMERO", request.number}};
    if (request.kind != QLatin1String("I"))
        lookup.append({QStringLiteral("P_DTABERTUR"), request.DTABERTUR});
    if (!db.packet(lookupOf(request.kind), lookup, items))
        return db.failure();
    if (items.isEmpty() || request.kind == QLatin1String("I")) {
        transaction.rollback(); // nothing found, or the items of a sale already cancelled: nothing written
        return Variant();
    }
    Cancellation cancellation(db, request, outcome);
    if (!cancellation.run(items))
        return db.failure();
    // The sale's points come back inside the same transaction.
    if (outcome.cancelled) {
        const Variant points = Srv_Kal51000::AtualizaPontuacao(outcome.sale.CDFILIAL, outcome.sale.CDCAIXA,
                                                              outcome.sale.NRSEQVENDA);
        if (points.isFailure())
            return points;
    } else {
        items.rows.clear(); // another till cancelled it first: as for a sale not found
    }
    return transaction.commit();
}

} // namespace SaleCancellation
