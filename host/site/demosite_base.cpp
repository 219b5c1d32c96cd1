#include "demosite.h"

#include "demomenu.h"
#include "hostdatabase.h"

#include <server/schema.h>

#include <QHash>
#include <QMap>
#include <QSet>

namespace DemoSite {

namespace {

using namespace DemoMenu;
using Values = QList<std::pair<QString, Variant>>;

struct BaseRow
{
    QString table;
    Values values;
};

class Rows
{
public:
    void add(const QString &table, const Values &values) { m_rows.append({table, values}); }
    const QList<BaseRow> &all() const { return m_rows; }

private:
    QList<BaseRow> m_rows;
};

void deskRow(Rows &rows, const QString &desk)
{
    rows.add("CAIXA", {{"CDFILIAL", CDFILIAL}, {"CDCAIXA", desk}, {"CDLOJA", CDLOJA},
                       {"NMCAIXA", QStringLiteral("Caixa %1 - Balcão").arg(desk)}, {"IDLEITURAQRCODE", "S"}});
}

void branchAndDesk(Rows &rows, const QString &desk, quint16 partnersPort)
{
    rows.add("FILIAL", {{"CDFILIAL", CDFILIAL}, {"NMFILIAL", "Refeitório Central"}, {"CDSEGMERC", ""}});
    rows.add("LOJA", {{"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA}, {"NMLOJA", "Refeitório Central"},
                      {"CDPRODTAXASERV", ""}, {"CDTABEPREC", ""}, {"IDCRMBONUS", "N"}, {"IDUTLINTEGCOM", "S"},
                      {"CDBRANDIDGCOM", "RC1"}, {"CDURLGCOM", partnersUrl(partnersPort, QStringLiteral("gcom"))}});
    // The partners' stand-ins of the demo host (Dados/Parceiros.ini) and their demo credentials.
    rows.add("GERPARAMGERAL", {{"IDTOKENAPIGCOM", "gcom-token-789"}});
    deskRow(rows, desk);
    rows.add("PARAVEND", {{"CDFILIAL", CDFILIAL}, {"CDTABEPREC", "001"}, {"CDCLIENTE", CDCLIENTE},
                          {"NRMAXPESMES", 10}, {"IDDTEMISCANC", "N"}, {"DSLOGINAME", "ame-prod"},
                          {"DSSENHAAME", "ame-prod-senha"}, {"DSLOGINAMEHOM", "ame-hom"},
                          {"DSSENHAAMEHOM", "ame-hom-senha"}, {"IDAMBIENTEAME", "H"},
                          {"DSURLSERVAME", partnersUrl(partnersPort, QStringLiteral("ame"))}});
    rows.add("PARAMGERAL", {{"IDUTCUPOMDESC", "S"}});
    // The dining room's tables (the same twelve as the local copy MesaSala.cds), all free.
    for (int n = 1; n <= 12; ++n)
        rows.add("MESA", {{"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA},
                          {"NRMESA", QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'))}, {"IDSTMESAAUX", "O"}});
    rows.add("PARAMEMPRESA", {{"CDEMPRESA", "01"}, {"CDSITUCRT", "3"}});
}

// The kitchen and bar printers of the store, each the other's backup, so a ticket stuck on
// one is printed on the other (the printer failover).
void productionPrinters(Rows &rows)
{
    rows.add("IMPRESSORA", {{"CDIMPRESSORA", "01"}, {"NMIMPRESSORA", "Térmica 42 colunas"}, {"IDMODEIMPRES", "5"}});
    for (const char *group : {"01", "07"}) {
        const ProductionPrinter printer = productionPrinterOf(QString::fromLatin1(group));
        rows.add("IMPRLOJA", {{"CDFILIAL", CDFILIAL}, {"NRSEQIMPRLOJA", printer.sequence}, {"CDLOJA", CDLOJA},
                              {"CDIMPRESSORA", "01"}, {"CDPORTAIMPR", printer.port}});
        rows.add("MAPIMPRLOJA", {{"CDFILIAL", CDFILIAL}, {"NRSEQIMPRLOJA", printer.sequence}, {"DSENDPORTA", printer.port}});
    }
    for (const Product &p : products()) {
        const ProductionPrinter printer = productionPrinterOf(p.group);
        if (!printer.port.isEmpty())
            rows.add("PRODLOJA", {{"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA}, {"CDPRODUTO", p.code},
                                  {"NRSEQIMPRPROD", printer.sequence}, {"NRSEQIMPPRDBKP", printer.backupSequence}});
    }
}

void receiptTypes(Rows &rows)
{
    const QList<QStringList> types{{"001", "Dinheiro", "1"}, {"002", "Cartão de crédito", "2"},
                                   {"003", "Cartão de débito", "3"}, {"004", "Vale-refeição", "5"},
                                   {"005", "PIX", "6"}, {"009", "Crédito pessoal (crachá)", "9"},
                                   {"010", "Débito consumidor (crachá)", "A"}};
    for (const QStringList &t : types)
        rows.add("TIPORECE", {{"CDTIPORECE", t[0]}, {"NMTIPORECE", t[1]}, {"IDTIPORECE", t[2]}, {"IDMOSTRARECE", "S"},
                              {"IDDESABTEF", "S"}});
}

void priceTables(Rows &rows, const QDateTime &now)
{
    const QDateTime yearStart(QDate(now.date().year(), 1, 1), QTime(0, 0));
    rows.add("TABEVEND", {{"CDTABEPREC", "001"}, {"NMTABEPREC", "Tabela padrão do refeitório"}, {"DTINIVIGTABE", yearStart}});
    rows.add("TABEVEND", {{"CDTABEPREC", "002"}, {"NMTABEPREC", "Convênio Metalúrgica Horizonte"}, {"DTINIVIGTABE", yearStart}});
    for (const Product &p : products()) {
        rows.add("ITEMPRECO", {{"CDTABEPREC", "001"}, {"CDPRODUTO", p.code}, {"DTINIVALPREC", yearStart},
                               {"VRPRECITEM", p.price}, {"IDPRECVARIA", "N"}});
        // The agreement takes 10% off the meals of the company's people.
        if (QStringList{"01", "02", "03"}.contains(p.group))
            rows.add("ITEMPRECO", {{"CDTABEPREC", "002"}, {"CDPRODUTO", p.code}, {"DTINIVALPREC", yearStart},
                                   {"VRPRECITEM", double(qRound(p.price * 90)) / 100.0}, {"IDPRECVARIA", "N"}});
    }
    // Feijoada 10% off on Wednesdays and Saturdays; orange juice R$ 1,00 off on weekdays.
    for (const char *day : {"4", "7"})
        rows.add("ITEMPRECODIA", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", "01003"}, {"NRDIASEMANPR", day},
                                  {"CDTIPOCONSPD", "T"}, {"DTINIVALPREC", yearStart}, {"IDUTILDESCDIA", "S"},
                                  {"IDPERCVALOR", "P"}, {"IDACREDESC", "D"}, {"VRDESCACREDIA", 10.0}});
    for (const char *day : {"2", "3", "4", "5", "6"})
        rows.add("ITEMPRECODIA", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", "08001"}, {"NRDIASEMANPR", day},
                                  {"CDTIPOCONSPD", "T"}, {"DTINIVALPREC", yearStart}, {"IDUTILDESCDIA", "S"},
                                  {"IDPERCVALOR", "V"}, {"IDACREDESC", "D"}, {"VRDESCACREDIA", 1.0}});
}

void productRows(Rows &rows)
{
    for (const Product &p : products()) {
        rows.add("PRODUTO", {{"CDPRODUTO", p.code}, {"NMPRODUTO", p.name}, {"NMPRODIMPFIS", p.name.toUpper().left(60)},
                             {"CDBARPRODUTO", p.barcode}, {"CDARVPROD", p.treeCode()}, {"CDNVPRODUTO", "3"},
                             {"IDPESAPROD", p.weighed ? "S" : "N"}, {"QTTARAPROD", 0.0}, {"SGUNIDADE", p.unit},
                             {"IDTIPOCOMPPROD", "1"},
                             {"IDIMPPRODUTO", p.group == QLatin1String("05") || p.group == QLatin1String("06") ? "1" : "S"},
                             {"IDSOLLOCIMP", "N"},
                             {"CDCLASFISC", p.ncm}, {"CDCEST", p.cest}, {"IDIMPQRCODECAT", "N"}});
        if (!p.barcode.isEmpty())
            rows.add("CDBARRAPROD", {{"CDBARRAPROD", p.barcode}, {"CDPRODUTO", p.code}});
        const bool substitution = p.tax == Tax::TaxSubstitution;
        rows.add("ALIQIMPFIS", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", p.code},
                                {"CDCSTICMS", substitution ? "60" : "00"}, {"CDCSTPISCOF", "01"},
                                {"CDCFOPPFIS", substitution ? "5405" : "5102"}, {"VRALIQPIS", 0.65},
                                {"VRALIQCOFINS", 3.0}, {"IDTPIMPOSFIS", substitution ? "F" : "T"}});
        rows.add("PRODFILI", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", p.code}, {"IDCNTRESTOQ", "N"}});
    }
    // Shortcut codes of the screen configuration: typing "1" sells the chicken plate.
    const QStringList favourites{"01001", "01002", "01003", "04001", "04005", "05001",
                                 "06001", "07001", "07003", "08001", "09001", "10001"};
    for (int i = 0; i < favourites.size(); ++i)
        rows.add("ITMENUCONFTE", {{"CDFILIAL", CDFILIAL}, {"NRCONFTELA", "1"}, {"CDATAPRODITM", QString::number(i + 1)},
                                  {"CDIDENTBUTON", favourites[i]}, {"IDTPBUTTON", "1"}});
}

// The promotion combo: a sandwich and a drink, one of each group, at the parts' own prices.
void promotionCombo(Rows &rows, const QDateTime &now)
{
    const QDateTime yearStart(QDate(now.date().year(), 1, 1), QTime(0, 0));
    rows.add("PRODUTO", {{"CDPRODUTO", PromotionCombo}, {"NMPRODUTO", "Combo lanche e bebida"},
                         {"NMPRODIMPFIS", "COMBO LANCHE E BEBIDA"}, {"CDARVPROD", "1.11.001"}, {"CDNVPRODUTO", "3"},
                         {"IDPESAPROD", "N"}, {"QTTARAPROD", 0.0}, {"SGUNIDADE", "UN"}, {"IDTIPOCOMPPROD", "3"},
                         {"IDIMPPRODUTO", "2"}, {"IDSOLLOCIMP", "N"}, {"IDIMPQRCODECAT", "N"}});
    rows.add("ITEMPRECO", {{"CDTABEPREC", "001"}, {"CDPRODUTO", PromotionCombo}, {"DTINIVALPREC", yearStart},
                           {"VRPRECITEM", 24.90}, {"IDPRECVARIA", "N"}});
    rows.add("ALIQIMPFIS", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", PromotionCombo}, {"CDCSTICMS", "00"},
                            {"CDCSTPISCOF", "01"}, {"CDCFOPPFIS", "5102"}, {"VRALIQPIS", 0.65}, {"VRALIQCOFINS", 3.0},
                            {"IDTPIMPOSFIS", "T"}});
    rows.add("PRODFILI", {{"CDFILIAL", CDFILIAL}, {"CDPRODUTO", PromotionCombo}, {"IDCNTRESTOQ", "N"}});
    for (const char *sandwich : {"05001", "05002"})
        rows.add("GRUPROMOCPROD", {{"CDPRODPROMOCAO", PromotionCombo}, {"CDGRUPROMOC", "1-LANCHE"}, {"CDPRODUTO", sandwich}});
    for (const char *drink : {"07003", "07004"})
        rows.add("GRUPROMOCPROD", {{"CDPRODPROMOCAO", PromotionCombo}, {"CDGRUPROMOC", "2-BEBIDA"}, {"CDPRODUTO", drink}});
}

// Buy-and-win: whoever buys the picanha plate chooses two juices as prizes, every day of the
// year.
void buyAndWin(Rows &rows, const QDateTime &now)
{
    const QDateTime yearStart(QDate(now.date().year(), 1, 1), QTime(0, 0));
    rows.add("CAMPCOMPGANHE", {{"CDCAMPCOMPGANHE", "CG01"}, {"DSCAMPCOMPGANHE", "Picanha com dois sucos de brinde"},
                               {"QTCOMPGANHE", 2}});
    rows.add("VGCAMPCOMPGANHE", {{"CDCAMPCOMPGANHE", "CG01"}, {"DTINIVGCAMPCG", yearStart},
                                 {"DTFIMVGCAMPCG", QDateTime(QDate(now.date().year(), 12, 31), QTime(23, 59))},
                                 {"IDDIASEMANA", "SSSSSSS"}});
    rows.add("PRCAMPCOMPGANHE", {{"CDCAMPCOMPGANHE", "CG01"}, {"CDPRODUTO", "02003"}});
    for (const char *prize : {"08002", "08003"})
        rows.add("BRCAMPCOMPGANHE", {{"CDCAMPCOMPGANHE", "CG01"}, {"DTINIVGCAMPCG", yearStart}, {"CDPRODUTO", prize}});
}

// Discount coupons of the snacks and sandwiches: a reusable one, a single-use one and one
// that expired last year.
void coupons(Rows &rows, const QDateTime &now)
{
    const int year = now.date().year();
    struct Coupon { const char *code, *kind; double value; QDate start, end; const char *single; };
    const QList<Coupon> list{{"DESC3", "V", 3.0, QDate(year, 1, 1), QDate(), "N"},
                             {"UNICO10", "P", 10.0, QDate(year, 1, 1), QDate(), "S"},
                             {"VENCIDO", "V", 5.0, QDate(year - 1, 1, 1), QDate(year - 1, 12, 31), "N"}};
    for (const Coupon &c : list) {
        rows.add("CUPOMDESCQUB", {{"CDCUPOMDESCQUB", c.code}, {"IDTIPODESC", c.kind}, {"VRDESCCUPOM", c.value},
                                  {"DTINIVIGENCIA", QDateTime(c.start, QTime(0, 0))},
                                  {"DTFIMVIGENCIA", c.end.isValid() ? Variant(QDateTime(c.end, QTime(0, 0))) : Variant()},
                                  {"IDUSOUNICO", c.single}});
        rows.add("FILIALCUPOMDESC", {{"CDCUPOMDESCQUB", c.code}, {"CDFILIAL", CDFILIAL}});
        for (const Product &p : products())
            if (p.group == QLatin1String("05") || p.group == QLatin1String("06"))
                rows.add("PRODCUPOMDESC", {{"CDCUPOMDESCQUB", c.code}, {"CDPRODUTO", p.code}});
    }
}
void consumers(Rows &rows, const QDateTime &now);

void people(Rows &rows, const QDateTime &now)
{
    rows.add("CLIENTE", {{"CDCLIENTE", CDCLIENTE}, {"NMFANTCLIE", "Consumidor Final"}});
    rows.add("CLIENTE", {{"CDCLIENTE", "000002"}, {"NMFANTCLIE", "Metalúrgica Horizonte"}, {"CDTABEPREC", "002"},
                         {"NRINSJURCLIE", "45987123000140"}});
    rows.add("CLIENTE", {{"CDCLIENTE", "000003"}, {"NMFANTCLIE", "Têxtil Vale Verde"}, {"NRINSJURCLIE", "07654321000188"}});
    const QList<QStringList> waiters{{"0001", "JOÃO PEREIRA", "0005"}, {"0002", "ANA LÚCIA COSTA", ""},
                                     {"0003", "PEDRO HENRIQUE LIMA", ""}};
    for (const QStringList &w : waiters)
        rows.add("VENDEDOR", {{"CDFILIAL", CDFILIAL}, {"CDVENDEDOR", w[0]}, {"NMFANVEN", w[1]}, {"CDOPERADOR", w[2]}});
    consumers(rows, now);
}

// Badge consumers of the two client companies: their types with limits (a store daily debit
// maximum of 30,00 for employees), two balance families (meals first, so the meal balance
// lends to snacks; each with a daily limit), a loaded credit history per family that ends on
// the balance SALDOCONS holds, and a debit movement. Every consumer's balance is checked
// item by item (IDVERSALDCON) against a consumer maximum.
void consumers(Rows &rows, const QDateTime &now)
{
    rows.add("FAMILIASALDO", {{"CDFAMILISALD", "REF"}, {"NMFAMILISALD", "REFEIÇÃO"}});
    rows.add("FAMILIASALDO", {{"CDFAMILISALD", "LAN"}, {"NMFAMILISALD", "LANCHES E BEBIDAS"}});
    rows.add("FAMSALDOFILI", {{"CDFILIAL", CDFILIAL}, {"CDFAMILISALD", "REF"}, {"NRORDAPRSALD", "001"},
                              {"IDSALDNEGFAM", "N"}, {"VRCONSDIAFAM", 60.0}});
    rows.add("FAMSALDOFILI", {{"CDFILIAL", CDFILIAL}, {"CDFAMILISALD", "LAN"}, {"NRORDAPRSALD", "002"},
                              {"IDSALDNEGFAM", "N"}, {"VRCONSDIAFAM", 30.0}});
    rows.add("TIPOCONS", {{"CDTIPOCONS", "01"}, {"NMTIPOCONS", "FUNCIONÁRIO"}, {"IDTPVENDATPCONS", "7"},
                          {"IDDESABPESQCON", "N"}});
    rows.add("TIPOCONS", {{"CDTIPOCONS", "02"}, {"NMTIPOCONS", "ESTAGIÁRIO"}, {"IDTPVENDATPCONS", "7"},
                          {"IDDESABPESQCON", "N"}});
    for (const char *type : {"01", "02"}) {
        const bool intern = QLatin1String(type) == QLatin1String("02");
        // Interns receive bonus credit: two loads a month, while the family's balance is at most 50,00.
        rows.add("TIPOCONSFILI", {{"CDTIPOCONS", type}, {"CDFILIAL", CDFILIAL}, {"IDRECEBEBONUS", intern ? "S" : "N"},
                                  {"VRSALDCONSBONUS", intern ? 50.0 : 0.0}, {"IDPERIODOBONUS", "M"},
                                  {"CDTIPORECE", "009"}, {"QTRECARGASMES", intern ? 2 : 4},
                                  {"VRSALDOBASICO", 0.0}, {"VRSALDOEXTRA", 0.0}});
        rows.add("TIPOCONSLOJA", {{"CDTIPOCONS", type}, {"CDFILIAL", CDFILIAL}, {"CDLOJA", CDLOJA},
                                  {"VRMAXCONSDIAC", intern ? 40.0 : 80.0}, {"VRMAXCONSDIAD", intern ? 20.0 : 30.0},
                                  {"VRMAXCONSMESC", intern ? 600.0 : 1200.0}, {"VRMAXCONSMESD", intern ? 600.0 : 1200.0},
                                  {"VRMAXCONSMENSAL", intern ? 600.0 : 1200.0}});
    }
    for (const char *client : {"000002", "000003"})
        rows.add("CLIENFILIAL", {{"CDCLIENTE", client}, {"CDFILIAL", CDFILIAL}, {"IDPERMVENDAQUB", "S"},
                                 {"IDCLIENPRIN", QLatin1String(client) == QLatin1String("000002") ? "S" : "N"}});
    // One consumer for each allowed-kinds code ("1" debit .. "7" all three); 1005 may not use the
    // daily balance at weekends and 1006 is not released for consumption. On the payroll debit
    // each owes 12,50 from yesterday and may owe up to 400,00.
    struct Consumer { const char *client, *code, *name, *badge, *cpf, *type; double meal, snack; const char *kinds;
                      double subsidy; const char *weekend, *released; };
    const QList<Consumer> consumers{
        {"000002", "000101", "JOSÉ CARLOS OLIVEIRA", "1001", "39053344705", "01", 180.00, 45.50, "7", 15.0, "N", "S"},
        {"000002", "000102", "FERNANDA RIBEIRO ALVES", "1002", "52998224725", "01", 92.40, 12.00, "4", 0.0, "N", "S"},
        {"000002", "000103", "LUCAS MARTINS FERREIRA", "1003", "11144477735", "02", 0.00, 8.75, "6", 0.0, "N", "S"},
        {"000003", "000201", "PATRÍCIA GOMES ROCHA", "2001", "28625587887", "01", 250.00, 60.00, "7", 0.0, "N", "S"},
        {"000002", "000104", "MARCOS ANTÔNIO SILVA", "1004", "", "01", 0.00, 0.00, "1", 10.0, "N", "S"},
        {"000002", "000105", "JULIANA SOUZA LIMA", "1005", "", "01", 40.00, 10.00, "2", 0.0, "S", "S"},
        {"000002", "000106", "ROBERTO CARLOS NUNES", "1006", "", "02", 0.00, 0.00, "3", 0.0, "N", "N"},
        {"000003", "000202", "ANA PAULA MENDES", "2002", "", "01", 0.00, 0.00, "5", 0.0, "S", "S"},
    };
    const QDateTime loaded(now.date().addDays(-1), QTime(8, 0));
    int deposit = 0;
    for (const Consumer &c : consumers) {
        rows.add("CONSUMIDOR", {{"CDCLIENTE", c.client}, {"CDCONSUMIDOR", c.code}, {"NMCONSUMIDOR", c.name},
                                {"CDIDCONSUMID", c.badge}, {"NRCPFRESPCON", c.cpf},
                                {"CDTIPOCONS", c.type}, {"IDBLOQSALDFS", c.weekend}, {"IDSITCONSUMI", "1"},
                                {"IDTPVENDACONS", c.kinds}, {"IDVERSALDCON", "S"}, {"IDATUCPFCONS", "S"},
                                {"IDCADCONFLIBCON", c.released}, {"VRLIMDEBCONS", -400.0}, {"VRMAXDEBCONS", 50.0},
                                {"VRMAXCREDCONS", 70.0}, {"VRSUBSBASICO", c.subsidy}});
        for (const auto &[family, value] : {std::pair{"REF", c.meal}, std::pair{"LAN", c.snack}}) {
            rows.add("SALDOCONS", {{"CDCLIENTE", c.client}, {"CDCONSUMIDOR", c.code}, {"CDFAMILISALD", family},
                                   {"VRSALDCONFAM", value}});
            if (value <= 0)
                continue;
            rows.add("EXTRATOCONS", {{"CDCLIENTE", c.client}, {"CDCONSUMIDOR", c.code}, {"CDFAMILISALD", family},
                                     {"DTMOVEXTCONS", loaded}, {"NRSEQMOVEXT", "001"}, {"CDTIPORECE", "001"},
                                     {"IDTPMOVEXT", "C"}, {"DSOPEEXTCONS", "CARGA DE CREDITO"}, {"VRMOVEXTCONS", value},
                                     {"VRSALDCONEXT", value}, {"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA},
                                     {"DTABERCAIX", loaded}, {"NRDEPOSICONS", QString::number(++deposit)}});
        }
        rows.add("MOVICLIE", {{"CDCLIENTE", c.client}, {"CDCONSUMIDOR", c.code}, {"NRSEQMOVCLI", "0000000001"},
                              {"CDFILIAL", CDFILIAL}, {"CDCAIXA", CDCAIXA}, {"IDTIPMOCVLI", "D"},
                              {"DTMOVIMCLIE", QDateTime(now.date().addDays(-1), QTime(0, 0))},
                              {"DTMOVCLI", QDateTime(now.date().addDays(-1), QTime(12, 0))}, {"VRMOVCLI", 12.5},
                              {"VRSALDOCONS", -12.5}, {"VRSALDPECONS", 0.0}});
    }
}

// Table name -> its columns (upper case), as the schema registers them.
QHash<QString, QSet<QString>> schemaColumns()
{
    QHash<QString, QSet<QString>> known;
    for (const Schema::Table &table : Schema::tables()) {
        QSet<QString> columns;
        for (const Schema::Column &column : table.columns)
            columns.insert(column.name.toUpper());
        known.insert(table.name.toUpper(), columns);
    }
    return known;
}

bool insert(const BaseRow &row, const QSet<QString> &columns, QSet<QString> &skippedColumns, QString *error)
{
    QStringList names;
    QStringList binds;
    Qub_movrela::Params params;
    for (const auto &[name, value] : row.values) {
        if (!columns.contains(name.toUpper())) {
            skippedColumns.insert(row.table + QLatin1Char('.') + name);
            continue;
        }
        names.append(name);
        binds.append(QStringLiteral(":P_") + name);
        params.append({QStringLiteral("P_") + name, value});
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(row.table, names.join(QStringLiteral(", ")),
                                                                            binds.join(QStringLiteral(", ")));
    Qub_movrela::DbConnection &db = HostDatabase::session();
    if (db.execute(QStringLiteral("demo ") + row.table, sql, params))
        return true;
    *error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
    return false;
}

// Writes `rows` in one transaction, the caller's when one is open: all of them, or none on
// a failure (which rolls the caller's transaction back as well).
bool writeRows(const Rows &rows, Report &report)
{
    const QHash<QString, QSet<QString>> known = schemaColumns();
    Qub_movrela::DbConnection &db = HostDatabase::session();
    const bool joined = db.inTransaction();
    if (!joined && !db.begin()) {
        report.error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return false;
    }
    QMap<QString, int> written;
    QSet<QString> skippedTables;
    QSet<QString> skippedColumns;
    for (const BaseRow &row : rows.all()) {
        if (!known.contains(row.table)) {
            skippedTables.insert(row.table);
            continue;
        }
        if (!insert(row, known.value(row.table), skippedColumns, &report.error)) {
            db.rollback();
            return false;
        }
        ++written[row.table];
    }
    if (!joined && !db.commit()) {
        report.error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return false;
    }
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        report.tableRows.append(QStringLiteral("%1: %2").arg(it.key()).arg(it.value()));
    QStringList tables = skippedTables.values();
    tables.sort();
    for (const QString &table : tables)
        report.skipped.append(QStringLiteral("tabela %1 (fora do esquema)").arg(table));
    QStringList columns = skippedColumns.values();
    columns.sort();
    for (const QString &column : columns)
        report.skipped.append(QStringLiteral("coluna %1 (fora do esquema)").arg(column));
    return true;
}

// The number of rows `sql` counts, or -1 with `error` set.
int countOf(const QString &sql, const Qub_movrela::Params &params, QString *error)
{
    const HostDatabase::Rows found = HostDatabase::query(QStringLiteral("demo conta"), sql, params);
    if (!found.ok()) {
        *error = found.error;
        return -1;
    }
    return found.rows.value(0).value(0).toInt();
}

} // namespace

bool writeBase(const QDateTime &now, Report &report, quint16 partnersPort, const QString &desk)
{
    Rows rows;
    branchAndDesk(rows, desk, partnersPort);
    productionPrinters(rows);
    receiptTypes(rows);
    priceTables(rows, now);
    productRows(rows);
    promotionCombo(rows, now);
    buyAndWin(rows, now);
    coupons(rows, now);
    people(rows, now);
    return writeRows(rows, report);
}

bool baseHoldsBranch(QString *error)
{
    return countOf(QStringLiteral("SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL"),
                   {{QStringLiteral("P_CDFILIAL"), CDFILIAL}}, error) > 0;
}

bool writeDesk(const QString &desk, Report &report)
{
    const int present = countOf(QStringLiteral("SELECT COUNT(*) FROM CAIXA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"),
                                {{QStringLiteral("P_CDFILIAL"), CDFILIAL}, {QStringLiteral("P_CDCAIXA"), desk}}, &report.error);
    if (present < 0)
        return false;
    if (present > 0) {
        report.error = QStringLiteral("o caixa %1 já existe na base; escolha outro número com --desk").arg(desk);
        return false;
    }
    Rows rows;
    deskRow(rows, desk);
    return writeRows(rows, report);
}

} // namespace DemoSite
