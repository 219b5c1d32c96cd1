// The buy-and-win dialog: the prizes of a campaign chosen for the product bought.
#include "tfrmcampcompganhe.h"

#include "codeparsing.h"
#include "orderentry.h"

#include <sale/salecontext.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

#include <memory>
#include <utility>

namespace {

constexpr double PrizeUnitValue = 0.01;

using Defs = std::initializer_list<std::pair<const char *, std::pair<FieldType, int>>>;

void define(ClientDataSet &dataset, Defs fields)
{
    dataset.Close();
    dataset.FieldDefs().Clear();
    for (const auto &[name, type] : fields)
        dataset.FieldDefs().Add(QString::fromLatin1(name), type.first, type.second);
}

std::pair<FieldType, int> text(int size)
{
    return {FieldType::String, size};
}

const std::pair<FieldType, int> number{FieldType::Double, 0};

QString textOf(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsString();
}

double numberOf(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsFloat();
}

void set(ClientDataSet &rows, const char *field, const Variant &value)
{
    rows.FieldByName(QString::fromLatin1(field)).SetValue(value);
}

void openEmpty(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
    else
        dataset.CreateDataSet();
}

// Runs an action of the operator: a refusal has been shown and leaves the choice as it was.
template <class F>
void guarded(F &&action)
{
    try {
        action();
    } catch (const EAbort &) {
    }
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

Variant OrderEntry::CriaCampCompGanhe(const QList<Variant> &values, Variant &vaRetorno)
{
    auto dialog = std::make_unique<TfrmCampCompGanhe>(m_context);
    dialog->InicializaForm(values);
    dialog->exec();
    if (vaRetorno.kind() != Variant::Kind::Array)
        vaRetorno = Variant::array(4);
    vaRetorno.setAt(0, Variant(dialog->cdsItens.Data()));
    vaRetorno.setAt(1, Variant(dialog->cdsItPromoComb.Data()));
    vaRetorno.setAt(2, Variant(dialog->cdsObsItens.Data()));
    vaRetorno.setAt(3, dialog->totalPremios());
    return Variant(dialog->confirmed());
}

TfrmCampCompGanhe::TfrmCampCompGanhe(SaleContext &context) : m_context(context)
{
    setObjectName(QStringLiteral("frmCampCompGanhe"));
    setWindowTitle(QStringLiteral("Campanha Promocional Compre e Ganhe"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(504, 415);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    defineDatasets();
    buildControls();
}

TfrmCampCompGanhe::~TfrmCampCompGanhe() = default;

void TfrmCampCompGanhe::defineDatasets()
{
    define(cdsProduto, {{"CDPRODUTO", text(10)}, {"CDARVPROD", text(20)}, {"NMPRODUTO", text(50)},
                        {"IDTIPOCOMPPROD", text(1)}, {"IDIMPPRODUTO", text(1)}});
    cdsProduto.FieldDefs().AddCalculated(QStringLiteral("VRPRECO"), FieldType::Double);
    cdsProduto.OnCalcFields = [this](ClientDataSet &rows) { cdsProdutoCalcFields(rows); };
    define(cdsItens, {{"NRSEQ", text(3)}, {"CDPRODUTO", text(10)}, {"CDARVPROD", text(20)}, {"NMPRODUTO", text(50)},
                      {"CDPRODVENDA", text(10)}, {"QTPRODCOMVEN", number}, {"CDCAMPANHA", text(10)},
                      {"DTINIVGCAMP", {FieldType::DateTime, 0}}, {"IDTIPOCOMPPROD", text(1)}, {"IDIMPPRODUTO", text(1)}});
    define(cdsItPromoComb,
           {{"NRSEQ", text(3)}, {"NRSEQIT", text(3)}, {"CDPRODUTO", text(10)}, {"NMPRODUTO", text(50)},
            {"CDARVPROD", text(20)}, {"CDFILIAL", text(4)}, {"CDGRUPROMOC", text(10)}, {"CDPRODVENDA", text(10)},
            {"VRUNVENDAEST", number}, {"VRPRECOCLIE", number}, {"CDFAMILISALD", text(3)}, {"IDPESAPROD", text(1)},
            {"SGUNIDADE", text(10)}, {"QTTARAPROD", number}, {"VRACRESCIMO", number}, {"VRDESCONTO", number},
            {"QTPRODVEND", number}, {"VRDESITVENDAEST", number}, {"NRATRAPRODCOES", text(10)},
            {"DSOBSPEDDIGEST", text(200)}, {"TXPRODCOMVENEST", text(200)}, {"IDIMPGRPROMO", text(1)}});
    define(cdsObsItens, {{"NRSEQ", text(3)}, {"NRSEQIT", text(3)}, {"CDPRODUTO", text(10)}, {"CDGRPOCOR", text(2)},
                         {"CDOCORR", text(2)}, {"NRCOMANDA", text(10)}, {"CDPRODOBS", text(10)},
                         {"DSOCORR", text(40)}, {"QTPRODCOMVEN", number}});
    define(cdsRetornaPreco, {{"VRPRECO", number}, {"VRDESCONTO", number}, {"VRACRESCIMO", number},
                             {"VRPRECOCLIE", number}, {"IDPRECVARIA", text(1)}, {"IDPERCVALOR", text(1)},
                             {"IDACREDESC", text(1)}, {"VRPRECODIA", number}});
}

void TfrmCampCompGanhe::buildControls()
{
    auto *title = new QLabel(windowTitle(), this);
    title->setGeometry(8, 6, 440, 22);
    auto label = [this](const char *name, int top) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(8, top, 488, 20);
        return l;
    };
    m_product = label("lblProduto", 32);
    m_campaign = label("lblCampanha", 54);
    m_allowed = label("lblQtGanhe", 76);
    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("dbgProduto"));
    m_grid->setGeometry(8, 100, 488, 240);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Nome"), QStringLiteral("Qtde.")});
    m_grid->setColumnWidth(0, 88);
    m_grid->setColumnWidth(1, 241);
    m_grid->setColumnWidth(2, 53);
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) { cdsItens.SetRecNo(row + 1); });
    auto *search = addButton(this, "btnPesqProd", QStringLiteral("&Pesquisar Prêmio"), QRect(8, 350, 130, 40));
    search->setToolTip(QStringLiteral("Pesquisar Brinde"));
    connect(search, &QPushButton::clicked, this, [this] { guarded([this] { btnPesqProdClick(); }); });
    m_cancel = addButton(this, "btnCancProd", QStringLiteral("&Cancelar Prêmio"), QRect(144, 350, 120, 40));
    connect(m_cancel, &QPushButton::clicked, this, [this] { guarded([this] { btnCancProdClick(); }); });
    connect(addButton(this, "btnAnterior", QStringLiteral("▲"), QRect(270, 350, 40, 40)), &QPushButton::clicked, this,
            [this] { btnAnteriorClick(); });
    connect(addButton(this, "btnProximo", QStringLiteral("▼"), QRect(314, 350, 40, 40)), &QPushButton::clicked, this,
            [this] { btnProximoClick(); });
    m_confirm = addButton(this, "btnConfirma", QStringLiteral("C&onfirmar"), QRect(376, 350, 120, 40));
    connect(m_confirm, &QPushButton::clicked, this, [this] { guarded([this] { btnConfirmaClick(); }); });
    connect(addButton(this, "sbtSair", QStringLiteral("X"), QRect(466, 4, 32, 26)), &QPushButton::clicked, this,
            [this] { sbtSairClick(); });
}

void TfrmCampCompGanhe::InicializaForm(const QList<Variant> &Params)
{
    stNrSeqPremio.clear();
    stNrSeqItPremio.clear();
    doTotalPremios = 0.0;
    boConfirmado = false;
    m_params = Params;
    while (m_params.size() < 12)
        m_params.append(Variant());
    loadPrizes();
    m_product->setText(m_params.at(1).toString() + QStringLiteral(" - ") + m_params.at(2).toString());
    m_campaign->setText(m_params.at(4).toString());
    doQtPremios = m_params.at(5).toDouble();
    m_allowed->setText(Lvm_msg::frmCampCompGanheMsg().Msg(QStringLiteral("QT_GANHE"), {PtBr::FloatToStr(doQtPremios)}));
    doPrecoMaximo = m_params.at(11).toDouble();
    for (ClientDataSet *rows : {&cdsItens, &cdsItPromoComb, &cdsObsItens})
        openEmpty(*rows);
    priceAll();
    dtsItensStateChange();
    showRows();
}

// The prize list keeps the dialog's own fields (the price among them) whatever columns the
// caller's packet carries.
void TfrmCampCompGanhe::loadPrizes()
{
    const auto calc = std::exchange(cdsProduto.OnCalcFields, nullptr);
    cdsProduto.Close();
    cdsProduto.CreateDataSet();
    ClientDataSet given;
    if (m_params.at(0).isPacket() && given.SetData(m_params.at(0).packet())) {
        for (given.First(); !given.Eof(); given.Next()) {
            cdsProduto.Append();
            for (const char *field : {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "IDTIPOCOMPPROD", "IDIMPPRODUTO"})
                set(cdsProduto, field, textOf(given, field));
            cdsProduto.Post();
        }
    }
    cdsProduto.OnCalcFields = calc;
    cdsProduto.First();
}

// Every prize is priced once when the dialog opens: the list may be painted and searched
// many times, and the price of a prize does not change while the operator chooses.
void TfrmCampCompGanhe::priceAll()
{
    m_prices.clear();
    const auto calc = std::exchange(cdsProduto.OnCalcFields, nullptr);
    for (cdsProduto.First(); !cdsProduto.Eof(); cdsProduto.Next()) {
        const QString code = textOf(cdsProduto, "CDPRODUTO");
        if (!m_prices.contains(code))
            m_prices.insert(code, priceOf(code));
    }
    cdsProduto.OnCalcFields = calc;
    cdsProduto.Refresh();
    cdsProduto.First();
}

double TfrmCampCompGanhe::priceOf(const QString &CDPRODUTO)
{
    PriceRequest request;
    request.cdFilial = m_params.at(7).toString();
    request.cdClienteVenda = m_params.at(9).toString();
    request.cdProduto = CDPRODUTO;
    request.cdLoja = m_params.at(8).toString();
    request.cdConsumidor = m_params.at(10).toString();
    // Hours and minutes themselves: a time text cut by position breaks on one-digit hours.
    request.hora = CodeParsing::priceHour(Clock::now().time());
    request.vendaDebito = true;
    request.valueCount = 8;
    ++m_priceCalls;
    try {
        const PriceAnswer answer = m_context.services().ChamaFuncaoGetRetornaPreco(request, cdsRetornaPreco);
        if (!answer.ok)
            return 0.0;
        Consiste::CheckResultServ(answer.result, true, 0);
        if (!cdsRetornaPreco.Active() || cdsRetornaPreco.IsEmpty())
            return 0.0;
        cdsRetornaPreco.First();
        return Money::RoundDec(numberOf(cdsRetornaPreco, "VRPRECO") + numberOf(cdsRetornaPreco, "VRPRECOCLIE")
                                   - numberOf(cdsRetornaPreco, "VRDESCONTO") + numberOf(cdsRetornaPreco, "VRACRESCIMO"),
                               2);
    } catch (const std::exception &) {
        // A prize that cannot be priced counts as one without price.
        return 0.0;
    }
}

void TfrmCampCompGanhe::cdsProdutoCalcFields(ClientDataSet &rows)
{
    rows.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(m_prices.value(textOf(rows, "CDPRODUTO"), 0.0));
}

void TfrmCampCompGanhe::btnPesqProdClick()
{
    cdsProduto.SetFiltered(false);
    SearchRequest search;
    search.firstValue = QString();
    search.secondValue = QStringLiteral("N");
    if (!m_context.services().Pesquisa(search, cdsProduto) || cdsProduto.IsEmpty())
        return;
    const double price = m_prices.value(textOf(cdsProduto, "CDPRODUTO"), 0.0);
    if (Money::RoundDec(price, 2) == 0.0) {
        refuse(QStringLiteral("PRECO_N_CAD"));
        return;
    }
    if (Money::RoundDec(price, 2) > Money::RoundDec(doPrecoMaximo, 2)) {
        refuse(QStringLiteral("PRECO_MAIOR"), {PtBr::FormatFloat(QStringLiteral("0.00"), doPrecoMaximo)});
        return;
    }
    const double quantity = askQuantity();
    if (Money::Trunc3(doQtPremios) < Money::Trunc3(Money::RoundDec(chosenQuantity() + quantity, 6))) {
        refuse(QStringLiteral("QTDE_INV"), {PtBr::FloatToStr(doQtPremios)});
        Abort();
    }
    addPrize(quantity);
}

// The quantity on the host's keypad until it is a number above 0; leaving the keypad ends the
// choice of this prize.
double TfrmCampCompGanhe::askQuantity()
{
    const Lvm_msg::TMessages &texts = Lvm_msg::frmCampCompGanheMsg();
    KeypadRequest request;
    request.title = texts.Msg(QStringLiteral("RESGATE"));
    request.prompt = texts.Msg(QStringLiteral("INF_QTDE"));
    request.emptyMessage = texts.Msg(QStringLiteral("QTDE_DEVE"));
    request.maxLength = 10;
    for (;;) {
        const KeypadAnswer answer = m_context.services().TecladoNumerico(request);
        if (!answer.confirmed)
            Abort();
        bool ok = false;
        const double quantity = PtBr::StrToFloat(answer.value, &ok);
        if (ok && quantity > 0)
            return quantity;
    }
}

double TfrmCampCompGanhe::chosenQuantity() const
{
    double sum = 0.0;
    auto &rows = const_cast<ClientDataSet &>(cdsItens);
    const Bookmark mark = rows.GetBookmark();
    for (rows.First(); !rows.Eof(); rows.Next())
        sum += numberOf(rows, "QTPRODCOMVEN");
    rows.GotoBookmark(mark);
    return sum;
}

QString TfrmCampCompGanhe::nextSeq(const QString &seq) const
{
    return seq.isEmpty() ? QStringLiteral("001") : Consiste::Ajusta(QString::number(seq.toInt() + 1), 3);
}

void TfrmCampCompGanhe::addPrize(double quantity)
{
    const bool combination = textOf(cdsProduto, "IDTIPOCOMPPROD") == QLatin1String("3");
    if (combination) {
        for (ClientDataSet *rows : {&cdsItPromoCombAux, &cdsItPromoObs, &cdsControlPromoObs})
            rows->Close();
        SmartPromotionRequest request;
        request.cdProduto = textOf(cdsProduto, "CDPRODUTO");
        request.nmProduto = textOf(cdsProduto, "NMPRODUTO");
        request.idImpProduto = textOf(cdsProduto, "IDIMPPRODUTO");
        request.vrPreco = PrizeUnitValue;
        request.doQuantidade = quantity;
        SmartPromotionDatasets sets{cdsItPromoCombAux, cdsItPromoObs, cdsControlPromoObs, cdsItens};
        if (!m_context.services().CriaPromocaoInteligente(request, sets))
            Abort();
    }
    stNrSeqPremio = nextSeq(stNrSeqPremio);
    cdsItens.Append();
    set(cdsItens, "NRSEQ", stNrSeqPremio);
    for (const char *field : {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "IDTIPOCOMPPROD", "IDIMPPRODUTO"})
        set(cdsItens, field, textOf(cdsProduto, field));
    set(cdsItens, "CDPRODVENDA", textOf(cdsProduto, "CDPRODUTO"));
    set(cdsItens, "QTPRODCOMVEN", quantity);
    set(cdsItens, "CDCAMPANHA", m_params.at(3).toString());
    set(cdsItens, "DTINIVGCAMP", Variant(m_params.at(6).toDateTime()));
    cdsItens.Post();
    if (combination)
        addComponents();
    dtsItensStateChange();
    showRows();
}

// The components the combination dialog left, under the prize, with one running numbering
// over every combination prize of the choice.
void TfrmCampCompGanhe::addComponents()
{
    if (!cdsItPromoCombAux.Active())
        return;
    stNrSeqItPremio = nextSeq(stNrSeqItPremio);
    bool first = true;
    for (cdsItPromoCombAux.First(); !cdsItPromoCombAux.Eof(); cdsItPromoCombAux.Next()) {
        if (!first)
            stNrSeqItPremio = nextSeq(stNrSeqItPremio);
        first = false;
        cdsItPromoComb.Append();
        set(cdsItPromoComb, "NRSEQ", stNrSeqPremio);
        set(cdsItPromoComb, "NRSEQIT", stNrSeqItPremio);
        for (const char *field : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDFILIAL", "CDGRUPROMOC", "CDPRODVENDA",
                                  "CDFAMILISALD", "IDPESAPROD", "SGUNIDADE", "IDIMPGRPROMO"})
            set(cdsItPromoComb, field, textOf(cdsItPromoCombAux, field));
        set(cdsItPromoComb, "QTTARAPROD", numberOf(cdsItPromoCombAux, "QTTARAPROD"));
        set(cdsItPromoComb, "QTPRODVEND", numberOf(cdsItPromoCombAux, "QTPRODVEND"));
        set(cdsItPromoComb, "VRUNVENDAEST", PrizeUnitValue);
        for (const char *field : {"VRPRECOCLIE", "VRACRESCIMO", "VRDESCONTO", "VRDESITVENDAEST"})
            set(cdsItPromoComb, field, 0.0);
        set(cdsItPromoComb, "TXPRODCOMVENEST", textOf(cdsItPromoCombAux, "STOBSPEDIDO"));
        set(cdsItPromoComb, "DSOBSPEDDIGEST", textOf(cdsItPromoCombAux, "STOBSDIGITADA"));
        cdsItPromoComb.Post();
        addObservations(textOf(cdsItPromoCombAux, "NRSEQ"));
    }
}

void TfrmCampCompGanhe::addObservations(const QString &componentSeq)
{
    if (!cdsItPromoObs.Active())
        return;
    cdsItPromoObs.SetFilter([componentSeq](const ClientDataSet &row) {
        return row.FindField(QStringLiteral("NRSEQ")).AsString() == componentSeq;
    });
    cdsItPromoObs.SetFiltered(true);
    for (cdsItPromoObs.First(); !cdsItPromoObs.Eof(); cdsItPromoObs.Next()) {
        const QString product = textOf(cdsItPromoObs, "CDPRODUTO");
        const QString group = textOf(cdsItPromoObs, "CDGRPOCOR");
        const QString occurrence = textOf(cdsItPromoObs, "CDOCORR");
        if (cdsObsItens.Locate(QStringLiteral("NRSEQ;CDPRODUTO;CDGRPOCOR;CDOCORR"),
                               Variant(QList<Variant>{stNrSeqPremio, product, group, occurrence})))
            continue;
        cdsObsItens.Append();
        set(cdsObsItens, "NRSEQ", stNrSeqPremio);
        set(cdsObsItens, "NRSEQIT", stNrSeqItPremio);
        set(cdsObsItens, "CDPRODUTO", product);
        set(cdsObsItens, "CDGRPOCOR", group);
        set(cdsObsItens, "CDOCORR", occurrence);
        if (cdsControlPromoObs.Active() && cdsControlPromoObs.Locate(QStringLiteral("CDOCORR"), occurrence)) {
            set(cdsObsItens, "CDPRODOBS", textOf(cdsControlPromoObs, "CDPRODUTO"));
            set(cdsObsItens, "QTPRODCOMVEN", numberOf(cdsControlPromoObs, "QTPRODCOMVEN"));
        }
        cdsObsItens.Post();
    }
    cdsItPromoObs.SetFiltered(false);
    cdsItPromoObs.SetFilter({});
}

void TfrmCampCompGanhe::btnCancProdClick()
{
    if (!cdsItens.Active() || cdsItens.IsEmpty())
        return;
    const QString seq = textOf(cdsItens, "NRSEQ");
    for (ClientDataSet *rows : {&cdsItPromoComb, &cdsObsItens}) {
        rows->SetFilter([seq](const ClientDataSet &row) { return row.FindField(QStringLiteral("NRSEQ")).AsString() == seq; });
        rows->SetFiltered(true);
        while (!rows->IsEmpty()) {
            rows->First();
            rows->Delete();
        }
        rows->SetFiltered(false);
        rows->SetFilter({});
    }
    cdsItens.Delete();
    // With no prize left the numbering starts again at "001".
    if (cdsItens.IsEmpty()) {
        stNrSeqPremio.clear();
        stNrSeqItPremio.clear();
        cdsItens.Close();
        cdsItens.CreateDataSet();
    }
    dtsItensStateChange();
    showRows();
}

void TfrmCampCompGanhe::btnAnteriorClick()
{
    if (cdsItens.Active() && !cdsItens.IsEmpty())
        cdsItens.Prior();
    showRows();
}

void TfrmCampCompGanhe::btnProximoClick()
{
    if (cdsItens.Active() && !cdsItens.IsEmpty())
        cdsItens.Next();
    showRows();
}

void TfrmCampCompGanhe::dtsItensStateChange()
{
    const bool rows = cdsItens.Active() && !cdsItens.IsEmpty();
    m_cancel->setEnabled(rows);
    m_confirm->setEnabled(rows);
}

void TfrmCampCompGanhe::btnConfirmaClick()
{
    if (Money::Trunc3(doQtPremios) > Money::Trunc3(Money::RoundDec(chosenQuantity(), 6))) {
        refuse(QStringLiteral("QTDE_INV"), {PtBr::FloatToStr(doQtPremios)});
        Abort();
    }
    double total = 0.0;
    for (cdsItens.First(); !cdsItens.Eof(); cdsItens.Next()) {
        const QString seq = textOf(cdsItens, "NRSEQ");
        const bool combination = textOf(cdsItens, "IDTIPOCOMPPROD") == QLatin1String("3");
        if (!combination || textOf(cdsItens, "IDIMPPRODUTO") == QLatin1String("1")) {
            total += PrizeUnitValue * numberOf(cdsItens, "QTPRODCOMVEN");
            continue;
        }
        for (cdsItPromoComb.First(); !cdsItPromoComb.Eof(); cdsItPromoComb.Next()) {
            if (textOf(cdsItPromoComb, "NRSEQ") == seq)
                total += PrizeUnitValue * numberOf(cdsItPromoComb, "QTPRODVEND");
        }
    }
    doTotalPremios = Money::RoundDec(total, 2);
    // An observation product of a combination goes to the sale as a prize of its own.
    for (cdsObsItens.First(); !cdsObsItens.Eof(); cdsObsItens.Next()) {
        const QString product = textOf(cdsObsItens, "CDPRODOBS");
        if (product.isEmpty())
            continue;
        cdsItens.Append();
        set(cdsItens, "NRSEQ", textOf(cdsObsItens, "NRSEQ"));
        set(cdsItens, "CDPRODUTO", product);
        set(cdsItens, "QTPRODCOMVEN", numberOf(cdsObsItens, "QTPRODCOMVEN"));
        set(cdsItens, "IDTIPOCOMPPROD", QStringLiteral("0"));
        set(cdsItens, "IDIMPPRODUTO", QStringLiteral("1"));
        cdsItens.Post();
    }
    boConfirmado = true;
    accept();
}

void TfrmCampCompGanhe::sbtSairClick()
{
    boConfirmado = false;
    reject();
}

void TfrmCampCompGanhe::refuse(const QString &key, const QStringList &args)
{
    Ravuvozozod::Mensagem(Lvm_msg::frmCampCompGanheMsg().Msg(key, args), QString(), QStringLiteral("N"),
                          QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
}

void TfrmCampCompGanhe::showRows()
{
    const int current = cdsItens.Active() ? cdsItens.RecNo() : 0;
    m_grid->setRowCount(0);
    if (!cdsItens.Active())
        return;
    const Bookmark mark = cdsItens.GetBookmark();
    int row = 0;
    m_grid->setRowCount(cdsItens.RecordCount());
    for (cdsItens.First(); !cdsItens.Eof(); cdsItens.Next(), ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(textOf(cdsItens, "CDARVPROD")));
        m_grid->setItem(row, 1, new QTableWidgetItem(textOf(cdsItens, "NMPRODUTO")));
        auto *quantity = new QTableWidgetItem(PtBr::FormatFloat(QStringLiteral("0.000"), numberOf(cdsItens, "QTPRODCOMVEN")));
        quantity->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_grid->setItem(row, 2, quantity);
    }
    cdsItens.GotoBookmark(mark);
    if (current > 0)
        m_grid->selectRow(current - 1);
}
