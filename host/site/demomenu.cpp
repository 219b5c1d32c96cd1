#include "demomenu.h"

namespace DemoMenu {

namespace {

// Windows colour values: red in the low byte.
constexpr int rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

Product item(const char *code, const char *name, const char *caption, double price, const char *unit = "UN",
             bool weighed = false, const char *barcode = "", const char *ncm = "", const char *cest = "",
             Tax tax = Tax::Taxed)
{
    Product p;
    p.code = QString::fromUtf8(code);
    p.group = p.code.left(2);
    p.name = QString::fromUtf8(name);
    p.caption = QString::fromUtf8(caption);
    p.price = price;
    p.unit = QString::fromUtf8(unit);
    p.weighed = weighed;
    p.barcode = QString::fromUtf8(barcode);
    p.ncm = QString::fromUtf8(ncm);
    p.cest = QString::fromUtf8(cest);
    p.tax = tax;
    return p;
}

} // namespace
const QList<Group> &groups()
{
    static const QList<Group> list{
        {QStringLiteral("01"), QStringLiteral("Pratos do Dia"), rgb(255, 224, 178), rgb(0, 0, 0)},
        {QStringLiteral("02"), QStringLiteral("Grelhados"), rgb(255, 204, 188), rgb(0, 0, 0)},
        {QStringLiteral("03"), QStringLiteral("Massas"), rgb(255, 241, 168), rgb(0, 0, 0)},
        {QStringLiteral("04"), QStringLiteral("Buffet"), rgb(200, 230, 201), rgb(0, 0, 0)},
        {QStringLiteral("05"), QStringLiteral("Lanches"), rgb(255, 213, 128), rgb(0, 0, 0)},
        {QStringLiteral("06"), QStringLiteral("Salgados"), rgb(248, 187, 208), rgb(0, 0, 0)},
        {QStringLiteral("07"), QStringLiteral("Bebidas"), rgb(179, 229, 252), rgb(0, 0, 0)},
        {QStringLiteral("08"), QStringLiteral("Sucos"), rgb(220, 237, 200), rgb(0, 0, 0)},
        {QStringLiteral("09"), QStringLiteral("Sobremesas"), rgb(225, 190, 231), rgb(0, 0, 0)},
        {QStringLiteral("10"), QStringLiteral("Cafés"), rgb(215, 204, 200), rgb(0, 0, 0)},
    };
    return list;
}

const QList<Product> &products()
{
    static const QList<Product> list{
        item("01001", "Prato feito de frango", "PF Frango", 22.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01002", "Prato feito de carne", "PF Carne", 24.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01003", "Feijoada completa", "Feijoada", 29.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01004", "Strogonoff de frango", "Strogonoff", 23.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01005", "Peixe grelhado com legumes", "Peixe c/ Leg.", 27.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01006", "Omelete com salada", "Omelete", 18.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01007", "Virado à paulista", "Virado", 25.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("01008", "Prato vegetariano", "Vegetariano", 21.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("02001", "Filé de frango grelhado", "Filé Frango", 25.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02002", "Bife de alcatra", "Alcatra", 31.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02003", "Picanha na chapa", "Picanha", 42.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02004", "Lombo suíno grelhado", "Lombo", 27.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02005", "Filé de tilápia", "Tilápia", 29.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02006", "Hambúrguer de picanha no prato", "Hamb. Prato", 28.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("02007", "Contra-filé acebolado", "Contra-filé", 33.90, "UN", false, "", "1602.32.00", "", Tax::Taxed),
        item("03001", "Espaguete à bolonhesa", "Espaguete", 24.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("03002", "Lasanha à bolonhesa", "Lasanha", 26.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("03003", "Penne ao molho branco", "Penne", 23.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("03004", "Nhoque ao sugo", "Nhoque", 22.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("03005", "Ravióli de queijo", "Ravióli", 25.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("03006", "Talharim ao pesto", "Talharim", 24.90, "UN", false, "", "1902.20.00", "", Tax::Taxed),
        item("04001", "Buffet livre por quilo", "Buffet kg", 69.90, "KG", true, "", "2106.90.90", "", Tax::Taxed),
        item("04002", "Salada por quilo", "Salada kg", 49.90, "KG", true, "", "2106.90.90", "", Tax::Taxed),
        item("04003", "Churrasco por quilo", "Churrasco kg", 89.90, "KG", true, "", "2106.90.90", "", Tax::Taxed),
        item("04004", "Sobremesa por quilo", "Sobrem. kg", 59.90, "KG", true, "", "2106.90.90", "", Tax::Taxed),
        item("04005", "Buffet preço fixo", "Buffet Fixo", 32.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("05001", "X-burguer", "X-Burguer", 19.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05002", "X-salada", "X-Salada", 21.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05003", "X-bacon", "X-Bacon", 23.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05004", "Misto quente", "Misto", 12.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05005", "Bauru", "Bauru", 15.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05006", "Sanduíche natural de frango", "Natural", 14.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05007", "Wrap de frango", "Wrap", 18.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("05008", "Beirute de filé", "Beirute", 29.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06001", "Coxinha de frango", "Coxinha", 7.50, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06002", "Pastel de carne", "Past. Carne", 8.50, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06003", "Pastel de queijo", "Past. Queijo", 8.50, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06004", "Esfiha de carne", "Esfiha", 6.50, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06005", "Pão de queijo", "Pão Queijo", 5.00, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06006", "Empada de frango", "Empada", 7.90, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06007", "Quibe", "Quibe", 7.00, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("06008", "Enroladinho de salsicha", "Enroladinho", 6.50, "UN", false, "", "1905.90.90", "", Tax::Taxed),
        item("07001", "Água mineral 500 ml", "Água", 4.00, "UN", false, "7891234000019", "2201.10.00", "03.001.00", Tax::TaxSubstitution),
        item("07002", "Água com gás 500 ml", "Água Gás", 4.50, "UN", false, "7891234000026", "2201.10.00", "03.001.00", Tax::TaxSubstitution),
        item("07003", "Refrigerante cola lata 350 ml", "Cola Lata", 6.50, "UN", false, "7891234000033", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07004", "Refrigerante guaraná lata 350 ml", "Guaraná", 6.50, "UN", false, "7891234000040", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07005", "Refrigerante cola zero lata 350 ml", "Cola Zero", 6.50, "UN", false, "7891234000057", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07006", "Chá gelado 450 ml", "Chá Gelado", 7.50, "UN", false, "7891234000064", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07007", "Refrigerante cola 600 ml", "Cola 600", 8.50, "UN", false, "7891234000071", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07008", "Energético 250 ml", "Energético", 11.90, "UN", false, "7891234000088", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07009", "Isotônico 500 ml", "Isotônico", 8.90, "UN", false, "7891234000095", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07010", "Refrigerante laranja lata 350 ml", "Laranja Lt", 6.50, "UN", false, "7891234000101", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07011", "Refrigerante limão lata 350 ml", "Limão Lata", 6.50, "UN", false, "7891234000118", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07012", "Refrigerante uva lata 350 ml", "Uva Lata", 6.50, "UN", false, "7891234000125", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07013", "Água tônica lata 350 ml", "Tônica", 6.50, "UN", false, "7891234000132", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07014", "Guaraná zero lata 350 ml", "Guaraná 0", 6.50, "UN", false, "7891234000149", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07015", "Refrigerante guaraná 600 ml", "Guaraná 600", 8.50, "UN", false, "7891234000156", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07016", "Refrigerante cola 2 litros", "Cola 2L", 13.90, "UN", false, "7891234000163", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07017", "Refrigerante guaraná 2 litros", "Guaraná 2L", 11.90, "UN", false, "7891234000170", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07018", "Água mineral 1,5 litro", "Água 1,5L", 6.00, "UN", false, "7891234000187", "2201.10.00", "03.001.00", Tax::TaxSubstitution),
        item("07019", "Água de coco 330 ml", "Água Coco", 7.90, "UN", false, "7891234000194", "2201.10.00", "03.001.00", Tax::TaxSubstitution),
        item("07020", "Chá mate com limão 450 ml", "Mate Limão", 7.50, "UN", false, "7891234000200", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07021", "Chá verde 450 ml", "Chá Verde", 7.50, "UN", false, "7891234000217", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07022", "Suco de uva integral 300 ml", "Uva Integr.", 8.90, "UN", false, "7891234000224", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07023", "Suco de laranja caixa 200 ml", "Laranja Cx", 4.50, "UN", false, "7891234000231", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07024", "Néctar de pêssego 200 ml", "Pêssego", 4.50, "UN", false, "7891234000248", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07025", "Néctar de manga 200 ml", "Manga Cx", 4.50, "UN", false, "7891234000255", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07026", "Bebida láctea de chocolate 200 ml", "Achocolat.", 4.90, "UN", false, "7891234000262", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07027", "Iogurte de morango 170 g", "Iogurte", 5.90, "UN", false, "7891234000279", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07028", "Leite integral 200 ml", "Leite", 3.90, "UN", false, "7891234000286", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07029", "Kombucha 355 ml", "Kombucha", 12.90, "UN", false, "7891234000293", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07030", "Energético zero 250 ml", "Energ. Zero", 11.90, "UN", false, "7891234000309", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07031", "Isotônico limão 500 ml", "Isot. Limão", 8.90, "UN", false, "7891234000316", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07032", "Água com gás e limão 510 ml", "Gás Limão", 5.50, "UN", false, "7891234000323", "2201.10.00", "03.001.00", Tax::TaxSubstitution),
        item("07033", "Refrigerante cola mini 220 ml", "Cola Mini", 4.50, "UN", false, "7891234000330", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07034", "Refrigerante guaraná mini 220 ml", "Guar. Mini", 4.50, "UN", false, "7891234000347", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07035", "Soda limonada lata 350 ml", "Soda", 6.50, "UN", false, "7891234000354", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07036", "Cerveja sem álcool 350 ml", "Cerv. s/Álc.", 7.90, "UN", false, "7891234000361", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07037", "Chá gelado de pêssego 450 ml", "Chá Pêssego", 7.50, "UN", false, "7891234000378", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07038", "Café gelado 280 ml", "Café Gelado", 9.90, "UN", false, "7891234000385", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("07039", "Água tônica zero 350 ml", "Tônica Zero", 6.50, "UN", false, "7891234000392", "2202.10.00", "03.007.00", Tax::TaxSubstitution),
        item("08001", "Suco de laranja 300 ml", "Laranja", 9.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08002", "Suco de limão 300 ml", "Limão", 8.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08003", "Suco de abacaxi com hortelã", "Abacaxi", 9.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08004", "Suco de maracujá 300 ml", "Maracujá", 9.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08005", "Suco de morango 300 ml", "Morango", 10.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08006", "Vitamina de banana", "Vitamina", 10.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("08007", "Limonada suíça", "Limonada", 11.90, "UN", false, "", "2009.89.90", "", Tax::Taxed),
        item("09001", "Pudim de leite", "Pudim", 8.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09002", "Mousse de maracujá", "Mousse", 8.50, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09003", "Salada de frutas", "Sal. Frutas", 9.50, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09004", "Brigadeiro", "Brigadeiro", 4.50, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09005", "Torta de limão (fatia)", "Torta Limão", 10.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09006", "Sorvete duas bolas", "Sorvete", 11.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09007", "Gelatina", "Gelatina", 4.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("09008", "Pavê de chocolate", "Pavê", 9.90, "UN", false, "", "2106.90.90", "", Tax::Taxed),
        item("10001", "Café expresso", "Expresso", 5.50, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10002", "Café coado", "Café", 4.00, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10003", "Cappuccino", "Cappuccino", 8.90, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10004", "Café com leite", "Café c/ Leite", 6.50, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10005", "Chocolate quente", "Chocolate", 9.50, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10006", "Chá", "Chá", 4.50, "UN", false, "", "0901.21.00", "", Tax::Taxed),
        item("10007", "Pingado", "Pingado", 5.00, "UN", false, "", "0901.21.00", "", Tax::Taxed),
    };
    return list;
}

QList<Product> productsOf(const QString &group)
{
    QList<Product> list;
    for (const Product &product : products()) {
        if (product.group == group)
            list.append(product);
    }
    return list;
}

QString Product::treeCode() const
{
    return QStringLiteral("1.%1.%2").arg(group, code.mid(2));
}

int ean13CheckDigit(const QString &twelveDigits)
{
    int sum = 0;
    for (int i = 0; i < twelveDigits.size(); ++i)
        sum += twelveDigits.at(i).digitValue() * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

} // namespace DemoMenu
