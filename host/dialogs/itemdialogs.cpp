#include "itemdialogs.h"

#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/site/pricefunction.h>
#include <host/program/scriptedanswers.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace ItemDialogs {

namespace {

QWidget *activeParent()
{
    return QApplication::activeWindow();
}

QString text(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsString() : QString();
}

double number(const ClientDataSet &dataset, const char *field)
{
    const Field f = dataset.FindField(QString::fromLatin1(field));
    return f.IsValid() ? f.AsFloat() : 0.0;
}

// ---- combined products ---------------------------------------------------------------------

struct Choice
{
    QString code;
    double quantity = 1;
};

DataPacket chosenPacket()
{
    DataPacket packet;
    auto add = [&packet](const char *name, FieldType type, int size) {
        packet.fields.append(FieldDef{QString::fromLatin1(name), type, size});
    };
    add("CDPRODUTO", FieldType::String, 10);
    add("NMPRODUTO", FieldType::String, 50);
    add("CDARVPROD", FieldType::String, 20);
    add("VRQUANT", FieldType::Double, 0);
    add("VRPRECO", FieldType::Double, 0);
    add("VRCOMISVENDE", FieldType::Double, 0);
    add("IDPESAPROD", FieldType::String, 1);
    add("CDFAMILISALD", FieldType::String, 3);
    add("SGUNIDADE", FieldType::String, 10);
    add("CDBARPRODUTO", FieldType::String, 30);
    add("CDPRODINTE", FieldType::String, 20);
    add("IDTIPOPROD", FieldType::String, 1);
    add("NRSEQPRODCOM", FieldType::String, 3);
    return packet;
}

// The chosen parts as the dialog answers them, within the menus' limits.
CombinedProductAnswer answerFor(const QList<Choice> &choices, ClientDataSet &parts, ClientDataSet &menus)
{
    CombinedProductAnswer answer;
    answer.chosen = chosenPacket();
    QHash<QString, int> perMenu;
    for (const Choice &choice : choices) {
        if (choice.quantity <= 0) {
            answer.failure = QStringLiteral("Quantidade do produto %1 deve ser maior que zero.").arg(choice.code);
            return answer;
        }
        if (!parts.Active() || !parts.Locate(QStringLiteral("CDPRODUTO"), choice.code)) {
            answer.failure = QStringLiteral("Produto %1 não faz parte dos produtos combinados.").arg(choice.code);
            return answer;
        }
        const QString menu = text(parts, "NRBUTTON");
        ++perMenu[menu];
        if (menus.Active() && menus.Locate(QStringLiteral("NRBUTTON"), menu)) {
            const int limit = text(menus, "NRLIMPRODCOM").toInt();
            if (limit > 0 && perMenu.value(menu) > limit) {
                answer.failure = QStringLiteral("O menu %1 permite no máximo %2 produto(s).")
                                     .arg(text(menus, "DSBUTTON"))
                                     .arg(limit);
                return answer;
            }
        }
        answer.chosen.rows.append({choice.code, text(parts, "NMPRODUTO"), text(parts, "CDARVPROD"), choice.quantity,
                                   number(parts, "VRPRECO"), number(parts, "VRCOMISVENDE"), text(parts, "IDPESAPROD"),
                                   text(parts, "CDFAMILISALD"), text(parts, "SGUNIDADE"), QString(), QString(),
                                   QString(), QString()});
    }
    return answer;
}

QList<Choice> parseChoices(const QString &value)
{
    QList<Choice> choices;
    for (const QString &item : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList parts = item.trimmed().split(QLatin1Char('*'));
        Choice choice{parts.value(0).trimmed()};
        if (parts.size() > 1)
            choice.quantity = PtBr::StrToFloat(parts.value(1).trimmed());
        choices.append(choice);
    }
    return choices;
}

// The parts of every menu, one checkable line each; a part checked is chosen once.
QList<Choice> askParts(ClientDataSet &parts, ClientDataSet &menus, bool &accepted)
{
    QDialog dialog(activeParent());
    dialog.setObjectName(QStringLiteral("frmProdCombinado"));
    dialog.setWindowTitle(QStringLiteral("Produtos combinados"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstPartes"));
    if (parts.Active()) {
        for (parts.First(); !parts.Eof(); parts.Next()) {
            QString menu = text(parts, "NRBUTTON");
            if (menus.Active() && menus.Locate(QStringLiteral("NRBUTTON"), menu))
                menu = text(menus, "DSBUTTON");
            auto *line = new QListWidgetItem(QStringLiteral("%1 - %2 (%3)").arg(menu, text(parts, "NMPRODUTO"),
                                                                              text(parts, "CDPRODUTO")),
                                             list);
            line->setData(Qt::UserRole, text(parts, "CDPRODUTO"));
            line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
            line->setCheckState(Qt::Unchecked);
        }
    }
    layout->addWidget(list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    accepted = dialog.exec() == QDialog::Accepted;
    QList<Choice> choices;
    for (int i = 0; accepted && i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            choices.append({list->item(i)->data(Qt::UserRole).toString()});
    return choices;
}

// ---- smart promotion -------------------------------------------------------------------------

struct PromotionGroup
{
    QString code;
    QStringList products;
};

QList<PromotionGroup> promotionGroups(const QString &promotion)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("itemDialogsGrupos"),
        QStringLiteral("SELECT CDGRUPROMOC, CDPRODUTO FROM GRUPROMOCPROD WHERE CDPRODPROMOCAO = :P_CDPRODPROMOCAO "
                       "ORDER BY CDGRUPROMOC, CDPRODUTO"),
        {{QStringLiteral("P_CDPRODPROMOCAO"), promotion}});
    QList<PromotionGroup> groups;
    if (!rows.ok())
        HostLog::write(QStringLiteral("grupos da promoção %1: %2").arg(promotion, rows.error));
    for (const auto &row : rows.rows) {
        const QString group = row.value(0).toString();
        if (groups.isEmpty() || groups.last().code != group)
            groups.append({group, {}});
        groups.last().products.append(row.value(1).toString());
    }
    return groups;
}

// The till's branch and store, from the site's parameter file.
QString tillParameter(const char *name)
{
    DataPacket parameters;
    CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters);
    return parameters.value(0, QString::fromLatin1(name)).toString();
}

QString productName(const QString &code)
{
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("itemDialogsProduto"), QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = :P_CDPRODUTO"),
        {{QStringLiteral("P_CDPRODUTO"), code}});
    return rows.rows.isEmpty() ? code : rows.rows.first().value(0).toString();
}

DataPacket componentPacket()
{
    DataPacket packet;
    for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDFILIAL", "NRSEQ", "CDGRUPROMOC",
                             "CDPRODVENDA", "CDFAMILISALD", "IDPESAPROD", "SGUNIDADE", "STOBSPEDIDO",
                             "STOBSDIGITADA", "IDIMPGRPROMO", "NRSEQITCANC", "IDDESCCAMP", "CDCAMPPROMO"})
        packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 60});
    for (const char *name : {"VRUNVENDAEST", "VRPRECOCLIE", "QTTARAPROD", "VRACRESCIMO", "VRDESCONTO", "QTPRODVEND",
                             "VRDESITVENDAEST", "VRACRITVENDAEST", "NRSEQITEMADD"})
        packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::Double, 0});
    return packet;
}

QStringList askComponents(const QList<PromotionGroup> &groups, bool &accepted)
{
    QDialog dialog(activeParent());
    dialog.setObjectName(QStringLiteral("frmPromocaoInteligente"));
    dialog.setWindowTitle(QStringLiteral("Promoção"));
    auto *form = new QFormLayout(&dialog);
    QList<QComboBox *> boxes;
    for (const PromotionGroup &group : groups) {
        auto *box = new QComboBox(&dialog);
        for (const QString &product : group.products)
            box->addItem(productName(product), product);
        form->addRow(QStringLiteral("Grupo %1").arg(group.code), box);
        boxes.append(box);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    accepted = dialog.exec() == QDialog::Accepted;
    QStringList chosen;
    for (QComboBox *box : boxes)
        chosen.append(box->currentData().toString());
    return chosen;
}

} // namespace

CombinedProductAnswer ProdCombinado(const CombinedProductRequest &, ClientDataSet &cdsProdutoCombinado,
                                    ClientDataSet &cdsMenuComb)
{
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Combined)) {
        HostLog::write(QStringLiteral("produtos combinados: %1")
                           .arg(scripted->cancel ? QStringLiteral("cancelado") : scripted->value));
        if (scripted->cancel)
            return {};
        return answerFor(parseChoices(scripted->value), cdsProdutoCombinado, cdsMenuComb);
    }
    if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("produtos combinados sem resposta no roteiro: cancelado"));
        return {};
    }
    bool accepted = false;
    const QList<Choice> choices = askParts(cdsProdutoCombinado, cdsMenuComb, accepted);
    return accepted ? answerFor(choices, cdsProdutoCombinado, cdsMenuComb) : CombinedProductAnswer{};
}

bool CriaPromocaoInteligente(const SmartPromotionRequest &request, SmartPromotionDatasets &datasets)
{
    const QList<PromotionGroup> groups = promotionGroups(request.cdProduto);
    if (groups.isEmpty()) {
        HostLog::write(QStringLiteral("promoção %1 sem grupos de produtos").arg(request.cdProduto));
        return false;
    }
    QStringList chosen;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Promotion)) {
        HostLog::write(QStringLiteral("promoção %1: %2")
                           .arg(request.cdProduto, scripted->cancel ? QStringLiteral("cancelada") : scripted->value));
        if (scripted->cancel)
            return false;
        chosen = scripted->value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("promoção sem resposta no roteiro: cancelada"));
        return false;
    } else {
        bool accepted = false;
        chosen = askComponents(groups, accepted);
        if (!accepted)
            return false;
    }
    if (chosen.size() != groups.size()) {
        HostLog::write(QStringLiteral("promoção %1: escolha um produto de cada grupo").arg(request.cdProduto));
        return false;
    }
    DataPacket components = componentPacket();
    for (int i = 0; i < groups.size(); ++i) {
        const QString product = chosen.at(i).trimmed();
        if (!groups.at(i).products.contains(product)) {
            HostLog::write(QStringLiteral("produto %1 fora do grupo %2").arg(product, groups.at(i).code));
            return false;
        }
        PriceRequest price;
        price.cdFilial = tillParameter("CDFILIAL");
        price.cdLoja = tillParameter("CDLOJA");
        price.cdProduto = product;
        price.cdClienteVenda = request.cdClienteVenda;
        price.cdConsumidor = request.cdConsumidor;
        price.modoVenda = request.modoVenda;
        ClientDataSet row{QStringLiteral("cdsPrecoComponente")};
        const PriceAnswer answer = PriceFunction::ChamaFuncaoGetRetornaPreco(price, row);
        if (!answer.ok) {
            HostLog::write(QStringLiteral("produto %1 da promoção sem preço: %2").arg(product, answer.refusal));
            return false;
        }
        const QString key = QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        components.rows.append({product, productName(product), QString(), price.cdFilial, key, groups.at(i).code,
                                request.cdProduto, QString(), QStringLiteral("N"), QStringLiteral("UN"), QString(),
                                QString(), QStringLiteral("N"), QString(), QStringLiteral("N"), QString(),
                                number(row, "VRPRECO"), 0.0, 0.0, 0.0, 0.0,
                                request.doQuantidade > 0 ? request.doQuantidade : 1.0, 0.0, 0.0, 0.0});
    }
    return datasets.cdsItPromoCombAux.SetData(components);
}

} // namespace ItemDialogs
