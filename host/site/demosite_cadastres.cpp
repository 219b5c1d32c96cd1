#include "demosite.h"

#include "demomenu.h"

#include <outside/criptografa.h>

#include <QHash>

namespace DemoSite {

ProductionPrinter productionPrinterOf(const QString &group)
{
    static const QStringList kitchen{"01", "02", "03", "05"};
    static const QStringList bar{"07", "08"};
    if (kitchen.contains(group))
        return {"COZINHA", "1", "2"};
    if (bar.contains(group))
        return {"BAR", "2", "1"};
    return {};
}

namespace {

using namespace DemoMenu;

const QString S = QStringLiteral("S");
const QString N = QStringLiteral("N");

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The tax of a product as the tax cache and the printer rates name it.
struct TaxRow
{
    QString code; // CDIMPOSTO
    double rate;  // VRPEALIMPFIS
    QString kind; // IDTPIMPOSFIS
    QString name;
    QString symbol;
};

TaxRow taxOf(const Product &p)
{
    if (p.tax == Tax::TaxSubstitution)
        return {QStringLiteral("02"), 0.0, QStringLiteral("F"), QStringLiteral("ICMS substituição tributária"), QStringLiteral("F1")};
    return {QStringLiteral("01"), 3.20, QStringLiteral("T"), QStringLiteral("ICMS 3,20%"), QStringLiteral("T1")};
}

DataPacket receiptTypes()
{
    PacketBuilder b;
    b.text("CDTIPORECE", 20).text("NMTIPORECE", 60).text("IDTIPORECE", 1).text("IDHABVENDAMAN", 1)
        .text("CDFPIMPFIS", 2).text("IDMOSTRARECE", 1).text("IDDESABTEF", 1);
    // No receipt type allows a manual sale: every sale issues its document.
    b.row({"001", "Dinheiro", "1", N, "01", S, S});
    b.row({"002", "Cartão de crédito", "2", N, "02", S, N});
    b.row({"003", "Cartão de débito", "3", N, "03", S, N});
    b.row({"004", "Vale-refeição", "5", N, "04", S, N});
    b.row({"005", "PIX", "6", N, "05", S, S});
    b.row({"009", "Crédito pessoal (crachá)", "9", N, "06", S, S});
    b.row({"010", "Débito consumidor (crachá)", "A", N, "07", S, S});
    return b.packet();
}

DataPacket printerRates()
{
    PacketBuilder b;
    b.text("CDALIQIMPFIS", 4).number("VRALIQIMPFIS").text("IDALIQIMPFIS", 1);
    b.row({"01", 3.20, "T"});
    b.row({"02", 18.00, "T"});
    b.row({"F1", 0.0, "F"});
    b.row({"I1", 0.0, "I"});
    b.row({"N1", 0.0, "N"});
    return b.packet();
}

DataPacket clients()
{
    PacketBuilder b;
    b.text("CDCLIENTE", 20).text("NMFANTCLIE", 60).text("NMRAZSOCCLIE", 60).text("NRINSJURCLIE", 20);
    b.row({CDCLIENTE, "Consumidor Final", "Consumidor Final", ""});
    b.row({"000002", "Metalúrgica Horizonte", "Metalúrgica Horizonte S.A.", "45987123000140"});
    b.row({"000003", "Têxtil Vale Verde", "Têxtil Vale Verde Ltda.", "07654321000188"});
    return b.packet();
}

DataPacket fiscalPrinters(const QString &desk)
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDCAIXA", 20).text("NRSERIEECF", 30).text("NRECF", 3).text("NMMARCAECF", 30)
        .text("NMMODELOECF", 30);
    // The serial number is the one the simulated printer of every desk answers.
    b.row({CDFILIAL, desk, "SIM0000000001", "001", "VENDACONS", "ECF SIMULADA"});
    return b.packet();
}

DataPacket waiters()
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDVENDEDOR", 20).text("NMFANVEN", 60).text("CDOPERADOR", 20).text("HABILITADO", 1);
    b.row({CDFILIAL, "0001", "JOÃO PEREIRA", "0005", S});
    b.row({CDFILIAL, "0002", "ANA LÚCIA COSTA", "", S});
    b.row({CDFILIAL, "0003", "PEDRO HENRIQUE LIMA", "", S});
    return b.packet();
}

DataPacket operators()
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDOPERADOR", 20).text("NMOPERADOR", 60);
    b.row({CDFILIAL, CDOPERADOR, NMOPERADOR});
    b.row({CDFILIAL, "0002", "RAFAEL DOS SANTOS"});
    b.row({CDFILIAL, "0005", "JOÃO PEREIRA"});
    b.row({CDFILIAL, "0099", "CARLOS ALBERTO NUNES (SUPERVISOR)"});
    return b.packet();
}

// Sandwiches and snacks print as one item with whatever is attached to them, the entry form
// that asks for a discount coupon.
bool couponProduct(const Product &p)
{
    return p.group == QLatin1String("05") || p.group == QLatin1String("06");
}

DataPacket productCopy()
{
    PacketBuilder b;
    b.text("CDPRODUTO", 20).text("CDBARPRODUTO", 30).text("CDARVPROD", 20).text("CDPRODINTE", 20)
        .text("CDPROTECLADO", 20).text("NMPRODUTO", 60).text("CDFAMILISALD", 3).text("IDPESAPROD", 1)
        .text("SGUNIDADE", 10).text("DTFINVGPROMOC", 20).text("DTINIVGPROMOC", 20).text("IDIMPPRODUTO", 1)
        .text("IDTIPOCOMPPROD", 1).text("QTTARAPROD", 20).text("IDTPPRODDEBCONS", 1).text("VRMINCONSUMODEB", 20)
        .text("IDCONTROLAREFIL", 1);
    for (const Product &p : products()) {
        // Meals draw on the meal balance family, the rest on the snack family.
        const QString family = QStringList{"01", "02", "03", "04"}.contains(p.group) ? QStringLiteral("REF")
                                                                                       : QStringLiteral("LAN");
        b.row({p.code, p.barcode, p.treeCode(), p.code, "", p.name.toUpper(), family, p.weighed ? S : N, p.unit, "", "",
               couponProduct(p) ? QStringLiteral("1") : S, "1", p.weighed ? QStringLiteral("0,000") : QString(), "1", "",
               p.code == RefillDrink ? S : N});
    }
    b.row({PromotionCombo, "", "1.11.001", PromotionCombo, "", "COMBO LANCHE E BEBIDA", "LAN", N, "UN", "", "", "2", "3",
           "", "1", "", N});
    return b.packet();
}

DataPacket configGroups()
{
    PacketBuilder b;
    b.text("NRBUTTON", 2).text("NRPGCONFTELA", 2).text("IDTPBUTTON", 1).text("DSBUTTON", 30).integer("NRFONTETEXT")
        .integer("NRCOLORTEXT").integer("NRCOLORBACK");
    for (int i = 0; i < groups().size(); ++i) {
        const Group &g = groups()[i];
        b.row({two(i + 1), "1", "2", g.name.toUpper(), 9, g.colorText, g.colorBack});
    }
    return b.packet();
}

// Where each product of a group sits: pages of 36 buttons, the last button of a page turning
// to the next page and the first of its last row back to the previous one.
struct Slot
{
    int page;
    int button;
};

constexpr int buttonsPerPage = 36;
constexpr int previousButton = 31;
constexpr int nextButton = 36;

QList<Slot> productSlots(int count)
{
    QList<Slot> places;
    for (int page = 1, left = count; left > 0; ++page) {
        QList<int> free;
        for (int button = 1; button <= buttonsPerPage; ++button) {
            if (!(page > 1 && button == previousButton))
                free.append(button);
        }
        if (left > free.size())
            free.removeAll(nextButton);
        const int taken = qMin(left, int(free.size()));
        for (int i = 0; i < taken; ++i)
            places.append({page, free[i]});
        left -= taken;
    }
    return places;
}

int pagesOf(const QList<Slot> &places)
{
    return places.isEmpty() ? 1 : places.last().page;
}

DataPacket configProducts()
{
    PacketBuilder b;
    b.text("NRBUTTON", 2).text("NRBUTTONAUX", 2).text("NRPGCONFTELA", 2).text("NRPGCONFTAUX", 2).text("IDTPBUTTON", 1)
        .text("DSBUTTON", 30).integer("NRFONTETEXT").integer("NRCOLORTEXT").integer("NRCOLORBACK")
        .text("CDPRODUTO", 20).text("CDIDENTBUTON", 20).text("NMPRODUTO", 60).text("CDARVPROD", 20)
        .text("IDTIPOCOMPPROD", 1).text("IDPESAPROD", 1).text("QTTARAPROD", 20).text("DTINIVGPROMOC", 20)
        .text("DTFINVGPROMOC", 20).text("CDFAMILISALD", 3).text("SGUNIDADE", 10).text("IDIMPPRODUTO", 1)
        .text("CDBARPRODUTO", 30);
    for (int g = 0; g < groups().size(); ++g) {
        const Group &group = groups()[g];
        const QList<Product> items = productsOf(group.code);
        const QList<Slot> places = productSlots(items.size());
        for (int i = 0; i < items.size(); ++i) {
            const Product &p = items[i];
            const QString family = g < 4 ? QStringLiteral("REF") : QStringLiteral("LAN");
            b.row({two(places[i].button), two(g + 1), QString::number(places[i].page), "1", "1", p.caption.toUpper(), 8,
                   group.colorText, group.colorBack, p.code, p.code, p.name.toUpper(), p.treeCode(), "1",
                   p.weighed ? S : N, p.weighed ? QStringLiteral("0,000") : QString(), "", "", family, p.unit, S,
                   p.barcode});
        }
        // The page buttons, in a darker shade so that they stand out from the products.
        const int pages = pagesOf(places);
        for (int page = 1; page <= pages; ++page) {
            if (page < pages)
                b.row({two(nextButton), two(g + 1), QString::number(page), "1", "9", ">>", 12, 0xFFFFFF, 0x5A5A5A,
                       "", "", "", "", "", N, "", "", "", "", "", N, ""});
            if (page > 1)
                b.row({two(previousButton), two(g + 1), QString::number(page), "1", "A", "<<", 12, 0xFFFFFF, 0x5A5A5A,
                       "", "", "", "", "", N, "", "", "", "", "", N, ""});
        }
    }
    return b.packet();
}

DataPacket groupPages()
{
    return PacketBuilder().text("QTDEPG", 2).row({"1"}).packet();
}

DataPacket productPages()
{
    PacketBuilder b;
    b.text("QTDEPG", 2).text("NRBUTTONAUX", 5).text("NRPGCONFTAUX", 2);
    for (int g = 0; g < groups().size(); ++g)
        b.row({QString::number(pagesOf(productSlots(productsOf(groups()[g].code).size()))), two(g + 1), "1"});
    return b.packet();
}

// The production printers of the store, each a file of the site
// (Dados/ImpressoraNaoFiscal/COZINHA.txt, BAR.txt); the buffet, savouries, desserts and coffees
// are served at the counter and print no ticket.
DataPacket productionPorts()
{
    PacketBuilder b;
    b.text("CDLOJA", 20).text("CDPRODUTO", 20).text("CDARVPROD", 30).text("CDPORIMPPROD", 60).text("MODELOPROD", 2)
        .text("IDIMPRODUVEZ", 1).text("IDIMPCANITEM", 1).text("NRSEQIMPRPROD", 20);
    for (const Product &p : products()) {
        const ProductionPrinter printer = productionPrinterOf(p.group);
        if (!printer.port.isEmpty())
            b.row({CDLOJA, p.code, p.code, printer.port, "", "S", "N", printer.sequence});
    }
    return b.packet();
}

DataPacket taxCache()
{
    PacketBuilder b;
    b.text("CDPRODUTO", 20).text("CDIMPOSTO", 4).number("VRPEALIMPFIS").text("NMIMPOSTO", 40).text("SGIMPOSTO", 4)
        .text("IDTPIMPOSFIS", 1);
    for (const Product &p : products()) {
        const TaxRow tax = taxOf(p);
        b.row({p.code, tax.code, tax.rate, tax.name, tax.symbol, tax.kind});
        // The promotion combo is taxed as the sandwiches it is sold with.
        if (p.code == QLatin1String("05001"))
            b.row({PromotionCombo, tax.code, tax.rate, tax.name, tax.symbol, tax.kind});
    }
    return b.packet();
}

// The parts of "Monte seu lanche": each menu a button of the dialog with its limit of parts.
DataPacket combinedParts()
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("NRCONFTELA", 5).text("NRBUTTON", 5).text("CDPRODUTO", 20).text("NMPRODUTO", 60)
        .text("CDARVPROD", 20).number("VRPRECO").number("VRCOMISVENDE").text("IDPESAPROD", 1).text("CDFAMILISALD", 3)
        .text("SGUNIDADE", 10);
    struct Part { const char *menu, *code; double price, extra; };
    const QList<Part> parts{{"1", "05001", 17.90, 0.0}, {"1", "05002", 19.90, 0.0}, {"1", "05003", 19.90, 1.50},
                            {"2", "07003", 5.50, 0.0},  {"2", "07004", 5.50, 0.0},  {"2", "07001", 3.50, 0.0},
                            {"3", "06005", 4.00, 0.0},  {"3", "06001", 6.50, 0.0}};
    for (const Part &part : parts) {
        for (const Product &p : products()) {
            if (p.code == QLatin1String(part.code))
                b.row({CDFILIAL, "1", part.menu, p.code, p.name.toUpper(), p.treeCode(), part.price, part.extra, N, "LAN",
                       p.unit});
        }
    }
    return b.packet();
}

DataPacket combinedMenus()
{
    PacketBuilder b;
    b.text("CDFILIAL", 4).text("NRCONFTELA", 5).text("IDTPBUTTON", 1).text("DSBUTTON", 50).text("NRBUTTON", 5)
        .number("NRCOLORTEXT").number("NRCOLORBACK").number("NRLIMPRODCOM");
    b.row({CDFILIAL, "1", "1", "LANCHE", "1", 0.0, 16777215.0, 1.0});
    b.row({CDFILIAL, "1", "1", "BEBIDAS", "2", 0.0, 16777215.0, 2.0});
    b.row({CDFILIAL, "1", "1", "ACOMPANHAMENTOS", "3", 0.0, 16777215.0, 2.0});
    return b.packet();
}

DataPacket deskOpening(const QDateTime &now, const QString &desk)
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDCAIXA", 20).dateTime("DTABERCAIX").text("CDOPERADOR", 20).number("VRABERCAIX")
        .text("CDATIVACAOSAT", 100);
    b.row({CDFILIAL, desk, QDateTime(now.date(), QTime(6, 30)), CDOPERADOR, 150.0,
           Criptografa::Cripto(QStringLiteral("12345678"), CipherKey)});
    return b.packet();
}

// The meal services of the branch's client companies: no product for a consumer type; the
// branch's all-day service that puts the chicken plate on a badge sale by itself, and its lunch
// service, where the pudding is limited to one a day per consumer.
DataPacket serviceProducts(bool forTypes)
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDSERVFILI", 20).text("CDTIPOCONS", 20).text("CDPRODUTO", 20)
        .text("QTLIMCONPRSE", 10).text("VRLIMCONSERV", 20).text("HRINISERTUR", 4).text("HRFINSERTUR", 4)
        .text("QTLIMCONPROD", 10).text("IDCARGAUTOPS", 1).text("IDCARGAUTOPR", 1).text("IDIMPCUPOMAUT", 1);
    if (!forTypes) {
        b.row({CDFILIAL, "01", "", "01001", "", "", "0000", "2359", "1", "", S, N});
        // A drink and a sandwich the same service sells on request.
        b.row({CDFILIAL, "01", "", "07001", "", "", "0000", "2359", "", "", N, N});
        b.row({CDFILIAL, "01", "", "05001", "", "", "0000", "2359", "", "", N, N});
        b.row({CDFILIAL, "ALM", "", "09001", "", "", "1100", "1500", "1", "", N, N});
    }
    return b.packet();
}

DataPacket balanceFamilies()
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDFAMILISALD", 3).text("NMFAMILISALD", 30).text("IDPERMCARGACRED", 1)
        .text("NRORDAPRSALD", 2);
    b.row({CDFILIAL, "REF", "REFEIÇÃO", S, "1"});
    // Snacks are paid from the meal balance's loans or the company's subsidy: no credit loads.
    b.row({CDFILIAL, "LAN", "LANCHES E BEBIDAS", N, "2"});
    return b.packet();
}

DataPacket businessDate(const QDateTime &now)
{
    return PacketBuilder().dateTime("DATAMOVIMENTO").row({now.date().startOfDay()}).packet();
}

DataPacket branchOperators()
{
    PacketBuilder b;
    b.text("CDFILIAL", 20).text("CDOPERADOR", 20);
    for (const char *op : {"0001", "0002", "0005", "0099"})
        b.row({CDFILIAL, QString::fromLatin1(op)});
    return b.packet();
}

DataPacket productRooms()
{
    return PacketBuilder().text("CDPRODUTO", 20).text("CDAMBIENTE", 20).text("NRSEQIMPRLOJA", 20).packet();
}

DataPacket tables()
{
    PacketBuilder b;
    b.text("NRMESA", 4).text("CDSALA", 20).text("NMSALA", 40);
    for (int n = 1; n <= 12; ++n)
        b.row({QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')), n <= 8 ? "01" : "02",
               n <= 8 ? QStringLiteral("SALÃO") : QStringLiteral("VARANDA")});
    return b.packet();
}

DataPacket loggedOperator()
{
    return PacketBuilder().text("CDOPERADOR", 20).text("NMOPERADOR", 60).row({CDOPERADOR, NMOPERADOR}).packet();
}

} // namespace

QList<CadastreFile> cadastreFiles(const QDateTime &now, const QString &desk)
{
    return {
        {"ConfTipoRece.cds", receiptTypes()},   {"AliqImpFis.cds", printerRates()},
        {"Cad_Cliente.cds", clients()},         {"EcfCaixa.cds", fiscalPrinters(desk)},
        {"Garcom.cds", waiters()},              {"Operador.cds", operators()},
        {"Produtos.cds", productCopy()},        {"ProdutoCombinado.cds", combinedParts()},
        {"MaxGrupo.cds", groupPages()},         {"MaxProduto.cds", productPages()},
        {"ProdLoja.cds", productionPorts()},    {"AliqSistema.cds", taxCache()},
        {"MenuCombinado.cds", combinedMenus()}, {"ConfigProd.cds", configProducts()},
        {"ConfigGrupo.cds", configGroups()},    {"AberturaCaixa.cds", deskOpening(now, desk)},
        {"ProdServtCon.cds", serviceProducts(true)}, {"ProdrServ.cds", serviceProducts(false)},
        {"FamSaldoFili.cds", balanceFamilies()}, {"DataMovimento.cds", businessDate(now)},
        {"FiliOper.cds", branchOperators()},    {"ProdAmbiente.cds", productRooms()},
        {"MesaSala.cds", tables()},             {"ControleAcess.cds", loggedOperator()},
    };
}

} // namespace DemoSite
