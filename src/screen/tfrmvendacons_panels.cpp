// The sale form's controls, panel by panel. Positions are those of the 802 x 600 design; the
// touch grid's are fixed by the screen configuration files, the rest is laid out around it:
// receipt on the left, group and product buttons in the middle, function keys on the right,
// footer along the bottom.
#include "tfrmvendacons.h"

#include "datasetmodel.h"
#include "screenshell.h"
#include "touchbutton.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

const QString bold = QStringLiteral("font-family: Arial; font-weight: bold;");

// A picture with a caption, for the built-in images the variant picture is taken from.
QPixmap captionPicture(const QString &caption, const QColor &back)
{
    QPixmap picture(130, 30);
    picture.fill(back);
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Arial"), 10, QFont::Bold);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, caption);
    return picture;
}

QFrame *addPanel(QWidget *parent, const QString &name, const QRect &rect, bool visible = true)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setGeometry(rect);
    panel->setVisible(visible);
    return panel;
}

} // namespace

QLabel *TfrmVendaCons::addLabel(QWidget *parent, const QString &name, const QString &caption,
                                const QRect &rect, const QString &style)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    if (!style.isEmpty())
        label->setStyleSheet(style);
    return label;
}

QPushButton *TfrmVendaCons::addButton(QWidget *parent, const QString &name, const QString &caption,
                                      const QRect &rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    // Keys always go to the form's keyboard map, never to a focused button.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

void TfrmVendaCons::buildImages()
{
    auto *logo = addLabel(this, FormName::imgLogo, QString(), QRect(2, 2, 205, 72));
    logo->setAlignment(Qt::AlignCenter);
    addLabel(this, FormName::imgLogoPadrao, QString(), QRect(2, 2, 205, 72))->hide();
    addLabel(this, FormName::imgMovrela, QString(), QRect(666, 24, 130, 30));
    auto *lumbera = addLabel(this, FormName::imgLumbera, QString(), QRect(666, 24, 130, 30));
    lumbera->setPixmap(captionPicture(QStringLiteral("Cupom pedido"), QColor(0x27, 0x5C, 0x98)));
    lumbera->hide();
    auto *electronic = addLabel(this, FormName::ImgQubNFCe, QString(), QRect(666, 24, 130, 30));
    electronic->setPixmap(captionPicture(QStringLiteral("NFC-e / SAT"), QColor(0x1E, 0x7B, 0x34)));
    electronic->hide();
}

void TfrmVendaCons::buildHeader()
{
    auto *menu = addLabel(this, FormName::lblMenu, QString(), QRect(237, 4, 402, 23),
                          bold + QStringLiteral("font-size: 14px; color: #404040;"));
    menu->setAlignment(Qt::AlignCenter);
    auto *cashier = addLabel(this, FormName::lblMensagemCaixa, QString(), QRect(211, 28, 452, 26),
                             bold + QStringLiteral("font-size: 20px; color: #0B3D91;"));
    cashier->setAlignment(Qt::AlignCenter);
    auto *clock = addLabel(this, FormName::lblDataHora, QString(), QRect(666, 4, 130, 18),
                           QStringLiteral("font-family: Arial; font-size: 11px;"));
    clock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QString box = bold + QStringLiteral("font-size: 15px; background-color: #FFFFE0; border: 1px solid #808080;");
    addLabel(this, FormName::lblBuffer, QString(), QRect(666, 56, 130, 24), box);
    addLabel(this, FormName::lblBufferQRCODE, QString(), QRect(666, 56, 130, 24), box)->hide();
    auto *product = addLabel(this, FormName::lblProduto, QString(), QRect(666, 82, 130, 36),
                             QStringLiteral("font-family: Arial; font-size: 11px;"));
    product->setWordWrap(true);
}

// Labels of the consumer, tab and persons; the compact layouts move some of them.
void TfrmVendaCons::buildCustomerLabels()
{
    const QString text = bold + QStringLiteral("font-size: 13px;");
    addLabel(this, FormName::lblNrPessoas, QStringLiteral("Pessoas:"), QRect(2, 80, 80, 24), text);
    addLabel(this, FormName::lblNrPes, QStringLiteral("1"), QRect(84, 80, 40, 24), text);
    addLabel(this, FormName::lblQtde2, QStringLiteral("Qtde:"), QRect(2, 80, 60, 24), text)->hide();
    addLabel(this, FormName::lblQtdeTotal2, QString(), QRect(62, 80, 145, 24), text)->hide();
    addLabel(this, FormName::lblValor2, QStringLiteral("Total:"), QRect(2, 110, 60, 24), text)->hide();
    addLabel(this, FormName::lblTotVenda, QString(), QRect(62, 110, 145, 24), text)->hide();
    addLabel(this, FormName::lblNmCons, QString(), QRect(211, 80, 452, 24), text)->hide();
    addLabel(this, FormName::lblCracha, QString(), QRect(211, 110, 452, 24), text)->hide();
}

void TfrmVendaCons::buildReceipt()
{
    QFrame *tray = addPanel(this, FormName::panFundoBandeja, QRect(2, 140, 205, 360));
    tray->setFrameShape(QFrame::Panel);
    tray->setFrameShadow(QFrame::Sunken);
    QFrame *coupon = addPanel(tray, FormName::panCupom, QRect(5, 5, 190, 300));
    auto *grid = new QTableView(coupon);
    grid->setObjectName(FormName::dbgCupom);
    // Sixteen pixels wider and higher than its panel: the scroll bars stay out of sight and
    // the page buttons scroll it.
    grid->setGeometry(0, 0, 206, 316);
    grid->setModel(new DataSetModel(m_datasets->cdsExtratoTemp, {QStringLiteral("DSITEM")}, grid));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(14);
    grid->setShowGrid(false);
    grid->setFrameShape(QFrame::NoFrame);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setStyleSheet(QStringLiteral("font-family: 'DejaVu Sans Mono', monospace; font-size: 9px;"));
    grid->installEventFilter(this);
    addButton(tray, FormName::spbGridAcima, QStringLiteral("▲"), QRect(8, 323, 40, 30));
    addButton(tray, FormName::spbGridBaixo, QStringLiteral("▼"), QRect(52, 323, 40, 30));
    addLabel(tray, FormName::stPosicao, QStringLiteral("1"), QRect(100, 328, 30, 20),
             bold + QStringLiteral("font-size: 13px;"))->hide();
    addButton(tray, FormName::spbPosAbaixo, QStringLiteral("<"), QRect(134, 323, 30, 30))->hide();
    addButton(tray, FormName::spbPosAcima, QStringLiteral(">"), QRect(168, 323, 30, 30))->hide();
}

void TfrmVendaCons::buildTotals()
{
    QFrame *back = addPanel(this, FormName::bdsPrecoFundo, QRect(2, 502, 205, 54));
    back->setStyleSheet(QStringLiteral("QFrame#bdsPrecoFundo { background-color: #E8EEF8; border-radius: 6px; }"));
    const QString caption = bold + QStringLiteral("font-size: 12px;");
    addLabel(this, FormName::lblValor, QStringLiteral("Total R$"), QRect(6, 504, 70, 26), caption);
    auto *total = addLabel(this, FormName::lblVrTotal, QStringLiteral("0,00"), QRect(76, 502, 127, 28),
                           bold + QStringLiteral("font-size: 22px; color: #0B3D91;"));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(this, FormName::lblQtde, QStringLiteral("Qtde"), QRect(6, 532, 70, 20), caption);
    auto *quantity = addLabel(this, FormName::lblQtdeTotal, QString(), QRect(76, 532, 127, 20), caption);
    quantity->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(this, FormName::lblSerieD, QString(), QRect(211, 538, 200, 18), caption);
    addLabel(this, FormName::lblValSaldDisp, QString(), QRect(415, 538, 248, 18), caption);
}

void TfrmVendaCons::buildTouchGrid()
{
    const int columns[] = {216, 331, 447, 560};
    const int rows[] = {77, 120, 163};
    for (int n = 1; n <= 12; ++n) {
        QRect rect(columns[(n - 1) % 4], rows[(n - 1) / 4], 100, 40);
        if (n == 4)
            rect = QRect(columns[3], 78, 100, 39);
        auto *button = addButton(this, FormName::groupButtons[n - 1], QString(), rect);
        styleTouchButton(button, Qt::black, Qt::lightGray, 8);
        button->hide();
    }
    QFrame *counter = addPanel(this, FormName::panBalcao, QRect(211, 212, 452, 324));
    for (int n = 1; n <= 36; ++n) {
        const QRect rect(6 + 74 * ((n - 1) % 6), 2 + 53 * ((n - 1) / 6), 72, 52);
        auto *button = addButton(counter, FormName::productButtons[n - 1], QString(), rect);
        styleTouchButton(button, Qt::black, Qt::lightGray, 8);
        button->hide();
    }
}

// The consumer's benefit list, parked below the form at rest; the benefit road moves it up
// and shows it while the operator chooses.
void TfrmVendaCons::buildBenefitList(const QString &panelStyle)
{
    QFrame *benefits = addPanel(this, FormName::pnlListaBeneficio, QRect(72, 613, 586, 452), false);
    benefits->setStyleSheet(panelStyle);
    addLabel(benefits, FormName::lblListaBeneficio, QStringLiteral("Lista de benefícios"), QRect(8, 6, 570, 28),
             QStringLiteral("font-weight: bold; font-size: 16px; border: none;"));
    const QStringList fields{QStringLiteral("CDCAMPANHA"), QStringLiteral("CDIDCONSUMID"),
                             QStringLiteral("IDTPDESBENECONS"), QStringLiteral("QTDEBENEFICIO"),
                             QStringLiteral("VRDESBENECONS")};
    const QStringList titles{QStringLiteral("Benefício"), QStringLiteral("Nr. Cartão"), QStringLiteral("Tipo"),
                             QStringLiteral("Qtde"), QStringLiteral("Valor")};
    const int widths[] = {88, 182, 78, 43, 68};
    auto *list = new QTableView(benefits);
    list->setObjectName(FormName::dbgBeneficio);
    list->setGeometry(8, 40, 500, 340);
    list->setFocusPolicy(Qt::NoFocus);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto *model = new DataSetModel(m_datasets->cdsListaBeneficio, fields, list);
    model->setTitles(titles);
    list->setModel(model);
    for (int column = 0; column < titles.size(); ++column)
        list->setColumnWidth(column, widths[column]);
    connect(model, &DataSetModel::currentRowChanged, list, [list](int row) { list->selectRow(row); });
    addButton(benefits, FormName::btnCimaFid, QStringLiteral("▲"), QRect(516, 40, 62, 60));
    addButton(benefits, FormName::btnBaixoFid, QStringLiteral("▼"), QRect(516, 320, 62, 60));
    addButton(benefits, FormName::btnEnterFid, QStringLiteral("&Utilizar Beneficio"), QRect(150, 392, 160, 48));
    addButton(benefits, FormName::btnSairFid, QStringLiteral("Sair"), QRect(322, 392, 120, 48));
}

// Panels shown over the touch grid while a road waits for a choice, and the printer error.
void TfrmVendaCons::buildChoicePanels()
{
    const QString panelStyle = QStringLiteral("QFrame { background-color: #F4F4F4; border: 1px solid #A0A0A0; }");
    // The sale-kind chooser takes the place of the function buttons while a badge sale waits
    // for its kind: a white column with the kinds, the loyalty programme and "Retornar".
    QFrame *kinds = addPanel(this, FormName::panEscolheVenda, QRect(673, 70, 120, 476), false);
    kinds->setFrameShape(QFrame::Panel);
    kinds->setFrameShadow(QFrame::Sunken);
    kinds->setStyleSheet(QStringLiteral("QFrame#panEscolheVenda { background-color: white; }"));
    const QString kindStyle = QStringLiteral("QPushButton { font-family: Arial; font-size: 11px; font-weight: bold; }");
    const std::pair<QLatin1StringView, const char *> kindButtons[] = {
        {FormName::spbVendaDeb, "Débito Consum. (Alt+V)"},
        {FormName::spbCredPessoal, "Crédito\nPessoal\n(Alt+R)"},
        {FormName::spbVendaVis, "À Vista Cons. (Alt+S)"},
        {FormName::sbtFidelidade, "Programa\nde Fidelidade\n(Alt+W)"},
        {FormName::spbCancEscolhe, "Retornar\n(Alt+T)"},
    };
    int row = 0;
    for (const auto &[name, caption] : kindButtons) {
        auto *button = addButton(kinds, name, QString::fromUtf8(caption), QRect(4, 6 + 93 * row++, 112, 87));
        button->setStyleSheet(kindStyle);
    }
    findChild<QPushButton *>(FormName::spbVendaDeb)->setToolTip(QStringLiteral("Venda Débito Consumidor"));
    findChild<QPushButton *>(FormName::spbCredPessoal)->setToolTip(QStringLiteral("Venda Crédito Pessoal"));
    findChild<QPushButton *>(FormName::spbVendaVis)->setToolTip(QStringLiteral("Venda à Vista com Consumidor"));
    findChild<QPushButton *>(FormName::spbCancEscolhe)->setToolTip(QStringLiteral("Voltar"));
    // Only "Retornar" is enabled until a consumer's kinds are known.
    for (QLatin1StringView name : {FormName::spbVendaDeb, FormName::spbCredPessoal, FormName::spbVendaVis})
        findChild<QPushButton *>(name)->setEnabled(false);

    buildBenefitList(panelStyle);

    // The QR-code reading panel: its edit box takes the focus so that the scanner's keys
    // arrive there (the form routes them to the settlement).
    QFrame *qrCode = addPanel(this, FormName::pnlQrCode, QRect(672, 621, 326, 91), false);
    qrCode->setStyleSheet(panelStyle);
    auto *waiting = addLabel(qrCode, FormName::lblMsgQrCode, QStringLiteral("Passe o código Qr Code no leitor"),
                             QRect(6, 6, 314, 28), bold + QStringLiteral("font-size: 14px;"));
    waiting->setAlignment(Qt::AlignCenter);
    auto *reader = new QLineEdit(qrCode);
    reader->setObjectName(FormName::edtQrCode);
    reader->setGeometry(6, 44, 200, 36);
    reader->setEchoMode(QLineEdit::NoEcho);
    reader->installEventFilter(this);
    addButton(qrCode, FormName::btnCancelaQrCode, QStringLiteral("Cancelar"), QRect(214, 44, 106, 40));

    QFrame *printer = addPanel(this, FormName::panErroImpressora, QRect(211, 212, 452, 324), false);
    printer->setStyleSheet(QStringLiteral("QFrame { background-color: #FBE3E3; border: 1px solid #C00000; }"));
    auto *warning = addLabel(printer, FormName::lblErroImpressora,
                             QStringLiteral("IMPRESSORA FISCAL COM ERRO\nvenda bloqueada"), QRect(6, 120, 440, 80),
                             bold + QStringLiteral("font-size: 18px; color: #C00000; border: none;"));
    warning->setAlignment(Qt::AlignCenter);
}

void TfrmVendaCons::buildFunctionButtons()
{
    struct Key
    {
        QLatin1StringView name;
        const char *caption;
    };
    // Two columns of keys on the right, in pairs of related functions.
    const Key keys[] = {
        {FormName::spbQtde, "F3\nQtde"},           {FormName::spbQtde2, "F2\nQtde x2"},
        {FormName::spbConsultaPreco, "F5\nPreço"}, {FormName::spbPesquisa, "F6\nPesquisa"},
        {FormName::spbProdCombinado, "F11\nCombinado"}, {FormName::spbObs, "F10\nObservação"},
        {FormName::spbCancProd, "F8\nCanc. item"}, {FormName::spbCancelaCupom, "F7\nCanc. cupom"},
        {FormName::spbFuncoes, "F9\nFunções"},     {FormName::spbIncluiCpf, "Alt+F\nCPF"},
        {FormName::spbCompraCred, "Compra\ncrédito"}, {FormName::spbCartao, "Crachá"},
        {FormName::spbParaViagem, "Alt+G\nViagem"}, {FormName::spbImprimeMensagem, "Alt+I\nMensagem"},
        {FormName::spbMenuMesa, "Alt+M\nMesa"},    {FormName::spbComanda, "Alt+C\nComanda"},
        {FormName::spbDelivery, "Alt+D\nDelivery"}, {FormName::spbNrPessoas, "Alt+A\nPessoas"},
        {FormName::spbCadCons, "Cadastro\nconsumidor"}, {FormName::spbConsultaPromo, "Promoções"},
        {FormName::spbCashback, "Cashback"},       {FormName::spbCashbackUDS, "Cashback\nUDS"},
        {FormName::spbVendaManu, "Venda\nmanual"}, {FormName::spbLerQrCode, "Ler\nQR Code"},
    };
    const QString style = QStringLiteral("QPushButton { font-family: Arial; font-size: 9px; }");
    int index = 0;
    for (const Key &key : keys) {
        const QRect rect(666 + 66 * (index % 2), 120 + 29 * (index / 2), 64, 27);
        auto *button = addButton(this, key.name, QString::fromUtf8(key.caption), rect);
        button->setStyleSheet(style);
        ++index;
    }
    findChild<QPushButton *>(FormName::spbConsultaPreco)->setCheckable(true);
    const QString main = QStringLiteral("QPushButton { font-family: Arial; font-weight: bold; font-size: 13px;"
                                        " background-color: #1E7B34; color: white; }");
    addButton(this, FormName::spbReceb, QStringLiteral("Enter\nRECEBER"), QRect(666, 474, 130, 52))->setStyleSheet(main);
    auto *send = addButton(this, FormName::spbVender, QStringLiteral("Enter\nENVIAR PEDIDO"), QRect(666, 474, 130, 52));
    send->setStyleSheet(main);
    send->hide();
    addButton(this, FormName::lblSair, QStringLiteral("Esc  SAIR"), QRect(666, 530, 130, 26));
}

void TfrmVendaCons::buildFooter()
{
    const QString small = QStringLiteral("font-family: Arial; font-size: 10px;");
    addLabel(this, FormName::lblFilialCaixa, QString(), QRect(2, 558, 560, 14), small);
    addLabel(this, FormName::lblEmpresa, QString(), QRect(2, 572, 560, 14), small);
    addLabel(this, FormName::lblCodTela, QString(), QRect(2, 586, 560, 14), small);
    auto *footer = addLabel(this, FormName::lblRodape, QString(), QRect(2, 558, 560, 42), small);
    footer->setWordWrap(true);
    footer->hide();
    addLabel(this, FormName::lblTicketMedio, QStringLiteral("Ticket médio:"), QRect(566, 558, 96, 14), small)->hide();
    addLabel(this, FormName::lblValTicketMedio, QString(), QRect(662, 558, 134, 14), small)->hide();
    addLabel(this, FormName::lblQuantCupom, QStringLiteral("Cupons:"), QRect(566, 574, 96, 14), small)->hide();
    addLabel(this, FormName::lblValQuantCupom, QString(), QRect(662, 574, 134, 14), small)->hide();
}

void TfrmVendaCons::buildTimers()
{
    auto *clock = new QTimer(this);
    clock->setObjectName(FormName::timDataHora);
    clock->setInterval(1000);
    // Between sales, the partner calls kept by cancellations go again once they are due.
    connect(clock, &QTimer::timeout, this, [this] {
        dispatch([this] {
            timDataHoraTimer();
            m_context->consumer().retryPartnerCallsBetweenSales();
        });
    });
    clock->start();
    auto *failover = new QTimer(this);
    failover->setObjectName(FormName::timImpressoraBackup);
    failover->setInterval(30000);
    // The day's average ticket, refreshed every five minutes for the life of the form.
    auto *ticket = new QTimer(this);
    ticket->setObjectName(FormName::timAtuTicketMed);
    ticket->setInterval(300000);
    connect(ticket, &QTimer::timeout, this, [this, ticket] {
        dispatch([this, ticket] { m_context->shell().timAtuTicketMedTimer(ticket); });
    });
    ticket->start();
    buildAutomaticTab();
}

// The automatic tab's timer (armed by the item registration) and its confirmation panel.
void TfrmVendaCons::buildAutomaticTab()
{
    auto *tab = new QTimer(this);
    tab->setObjectName(FormName::timComandaAuto);
    tab->setInterval(1000);
    connect(tab, &QTimer::timeout, this, [this, tab] { dispatch([this, tab] { m_context->order().timComandaAutoTimer(tab); }); });
    auto *panel = new QFrame(this);
    panel->setObjectName(FormName::panMsgComanda);
    panel->setGeometry(0, 0, 583, 150);
    panel->setStyleSheet(QStringLiteral("QFrame#panMsgComanda { background: white; border: 2px solid rgb(204, 91, 44); }"));
    auto *message = new QLabel(QStringLiteral("Produto lançado com sucesso"), panel);
    message->setObjectName(FormName::lblMsgComanda);
    message->setGeometry(12, 54, 560, 43);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(37);
    message->setFont(font);
    message->setAlignment(Qt::AlignCenter);
    message->setStyleSheet(QStringLiteral("color: black; background: transparent; border: none;"));
    panel->hide();
}
