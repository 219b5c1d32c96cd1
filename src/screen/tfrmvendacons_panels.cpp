// The sale form's controls, panel by panel. Positions are those of the 802 x 600 design; the
// touch grid's are fixed by the screen configuration files, the rest is laid out around it:
// receipt on the left, group and product buttons in the middle, function keys on the right,
// footer along the bottom.
#include "tfrmvendacons.h"

#include "datasetmodel.h"
#include <sale/saledatasets.h>
#include "touchbutton.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

namespace {

const QString bold = QStringLiteral("font-family: Arial; font-weight: bold;");

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

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
    auto *logo = addLabel(this, QStringLiteral("imgLogo"), QString(), QRect(2, 2, 205, 72));
    logo->setAlignment(Qt::AlignCenter);
    addLabel(this, QStringLiteral("imgLogoPadrao"), QString(), QRect(2, 2, 205, 72))->hide();
    addLabel(this, QStringLiteral("imgMovrela"), QString(), QRect(666, 24, 130, 30));
    auto *lumbera = addLabel(this, QStringLiteral("imgLumbera"), QString(), QRect(666, 24, 130, 30));
    lumbera->setPixmap(captionPicture(QStringLiteral("Cupom pedido"), QColor(0x27, 0x5C, 0x98)));
    lumbera->hide();
    auto *electronic = addLabel(this, QStringLiteral("ImgQubNFCe"), QString(), QRect(666, 24, 130, 30));
    electronic->setPixmap(captionPicture(QStringLiteral("NFC-e / SAT"), QColor(0x1E, 0x7B, 0x34)));
    electronic->hide();
}

void TfrmVendaCons::buildHeader()
{
    auto *menu = addLabel(this, QStringLiteral("lblMenu"), QString(), QRect(237, 4, 402, 23),
                          bold + QStringLiteral("font-size: 14px; color: #404040;"));
    menu->setAlignment(Qt::AlignCenter);
    auto *cashier = addLabel(this, QStringLiteral("lblMensagemCaixa"), QString(), QRect(211, 28, 452, 26),
                             bold + QStringLiteral("font-size: 20px; color: #0B3D91;"));
    cashier->setAlignment(Qt::AlignCenter);
    auto *clock = addLabel(this, QStringLiteral("lblDataHora"), QString(), QRect(666, 4, 130, 18),
                           QStringLiteral("font-family: Arial; font-size: 11px;"));
    clock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QString box = bold + QStringLiteral("font-size: 15px; background-color: #FFFFE0; border: 1px solid #808080;");
    addLabel(this, QStringLiteral("lblBuffer"), QString(), QRect(666, 56, 130, 24), box);
    addLabel(this, QStringLiteral("lblBufferQRCODE"), QString(), QRect(666, 56, 130, 24), box)->hide();
    auto *product = addLabel(this, QStringLiteral("lblProduto"), QString(), QRect(666, 82, 130, 36),
                             QStringLiteral("font-family: Arial; font-size: 11px;"));
    product->setWordWrap(true);
}

// Labels of the consumer, tab and persons; the compact layouts move some of them.
void TfrmVendaCons::buildCustomerLabels()
{
    const QString text = bold + QStringLiteral("font-size: 13px;");
    addLabel(this, QStringLiteral("lblNrPessoas"), QStringLiteral("Pessoas:"), QRect(2, 80, 80, 24), text);
    addLabel(this, QStringLiteral("lblNrPes"), QStringLiteral("1"), QRect(84, 80, 40, 24), text);
    addLabel(this, QStringLiteral("lblQtde2"), QStringLiteral("Qtde:"), QRect(2, 80, 60, 24), text)->hide();
    addLabel(this, QStringLiteral("lblQtdeTotal2"), QString(), QRect(62, 80, 145, 24), text)->hide();
    addLabel(this, QStringLiteral("lblValor2"), QStringLiteral("Total:"), QRect(2, 110, 60, 24), text)->hide();
    addLabel(this, QStringLiteral("lblTotVenda"), QString(), QRect(62, 110, 145, 24), text)->hide();
    addLabel(this, QStringLiteral("lblNmCons"), QString(), QRect(211, 80, 452, 24), text)->hide();
    addLabel(this, QStringLiteral("lblCracha"), QString(), QRect(211, 110, 452, 24), text)->hide();
}

void TfrmVendaCons::buildReceipt()
{
    QFrame *tray = addPanel(this, QStringLiteral("panFundoBandeja"), QRect(2, 140, 205, 360));
    tray->setFrameShape(QFrame::Panel);
    tray->setFrameShadow(QFrame::Sunken);
    QFrame *coupon = addPanel(tray, QStringLiteral("panCupom"), QRect(5, 5, 190, 300));
    auto *grid = new QTableView(coupon);
    grid->setObjectName(QStringLiteral("dbgCupom"));
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
    addButton(tray, QStringLiteral("spbGridAcima"), QStringLiteral("▲"), QRect(8, 323, 40, 30));
    addButton(tray, QStringLiteral("spbGridBaixo"), QStringLiteral("▼"), QRect(52, 323, 40, 30));
    addLabel(tray, QStringLiteral("stPosicao"), QStringLiteral("1"), QRect(100, 328, 30, 20),
             bold + QStringLiteral("font-size: 13px;"))->hide();
    addButton(tray, QStringLiteral("spbPosAbaixo"), QStringLiteral("<"), QRect(134, 323, 30, 30))->hide();
    addButton(tray, QStringLiteral("spbPosAcima"), QStringLiteral(">"), QRect(168, 323, 30, 30))->hide();
}

void TfrmVendaCons::buildTotals()
{
    QFrame *back = addPanel(this, QStringLiteral("bdsPrecoFundo"), QRect(2, 502, 205, 54));
    back->setStyleSheet(QStringLiteral("QFrame#bdsPrecoFundo { background-color: #E8EEF8; border-radius: 6px; }"));
    const QString caption = bold + QStringLiteral("font-size: 12px;");
    addLabel(this, QStringLiteral("lblValor"), QStringLiteral("Total R$"), QRect(6, 504, 70, 26), caption);
    auto *total = addLabel(this, QStringLiteral("lblVrTotal"), QStringLiteral("0,00"), QRect(76, 502, 127, 28),
                           bold + QStringLiteral("font-size: 22px; color: #0B3D91;"));
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(this, QStringLiteral("lblQtde"), QStringLiteral("Qtde"), QRect(6, 532, 70, 20), caption);
    auto *quantity = addLabel(this, QStringLiteral("lblQtdeTotal"), QString(), QRect(76, 532, 127, 20), caption);
    quantity->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel(this, QStringLiteral("lblSerieD"), QString(), QRect(211, 538, 200, 18), caption);
    addLabel(this, QStringLiteral("lblValSaldDisp"), QString(), QRect(415, 538, 248, 18), caption);
}

void TfrmVendaCons::buildTouchGrid()
{
    const int columns[] = {216, 331, 447, 560};
    const int rows[] = {77, 120, 163};
    for (int n = 1; n <= 12; ++n) {
        QRect rect(columns[(n - 1) % 4], rows[(n - 1) / 4], 100, 40);
        if (n == 4)
            rect = QRect(columns[3], 78, 100, 39);
        auto *button = addButton(this, QStringLiteral("tcbGrupo") + twoDigits(n), QString(), rect);
        styleTouchButton(button, Qt::black, Qt::lightGray, 8);
        button->hide();
    }
    QFrame *counter = addPanel(this, QStringLiteral("panBalcao"), QRect(211, 212, 452, 324));
    for (int n = 1; n <= 36; ++n) {
        const QRect rect(6 + 74 * ((n - 1) % 6), 2 + 53 * ((n - 1) / 6), 72, 52);
        auto *button = addButton(counter, QStringLiteral("tcbBalcao") + twoDigits(n), QString(), rect);
        styleTouchButton(button, Qt::black, Qt::lightGray, 8);
        button->hide();
    }
}

// Panels shown over the touch grid while a road waits for a choice, and the printer error.
void TfrmVendaCons::buildChoicePanels()
{
    const QString panelStyle = QStringLiteral("QFrame { background-color: #F4F4F4; border: 1px solid #A0A0A0; }");
    QFrame *kinds = addPanel(this, QStringLiteral("panEscolheVenda"), QRect(211, 212, 452, 120), false);
    kinds->setStyleSheet(panelStyle);
    addButton(kinds, QStringLiteral("spbVendaDeb"), QStringLiteral("Débito\nconsumidor"), QRect(6, 20, 106, 80));
    addButton(kinds, QStringLiteral("spbCredPessoal"), QStringLiteral("Crédito\npessoal"), QRect(118, 20, 106, 80));
    addButton(kinds, QStringLiteral("spbVendaVis"), QStringLiteral("À vista"), QRect(230, 20, 106, 80));
    addButton(kinds, QStringLiteral("spbCancEscolhe"), QStringLiteral("Voltar"), QRect(342, 20, 104, 80));

    QFrame *benefits = addPanel(this, QStringLiteral("pnlListaBeneficio"), QRect(211, 212, 452, 324), false);
    benefits->setStyleSheet(panelStyle);
    auto *list = new QTableView(benefits);
    list->setObjectName(QStringLiteral("dbgBeneficio"));
    list->setGeometry(6, 6, 440, 262);
    list->setFocusPolicy(Qt::NoFocus);
    addButton(benefits, QStringLiteral("btnEnterFid"), QStringLiteral("Confirmar"), QRect(120, 276, 100, 40));
    addButton(benefits, QStringLiteral("btnSairFid"), QStringLiteral("Sair"), QRect(232, 276, 100, 40));

    QFrame *qrCode = addPanel(this, QStringLiteral("pnlQrCode"), QRect(211, 212, 452, 120), false);
    qrCode->setStyleSheet(panelStyle);
    auto *waiting = addLabel(qrCode, QStringLiteral("lblMsgQrCode"), QStringLiteral("Aguardando a leitura do QR Code..."),
                             QRect(6, 10, 440, 40), bold + QStringLiteral("font-size: 14px;"));
    waiting->setAlignment(Qt::AlignCenter);
    addButton(qrCode, QStringLiteral("btnCancelaQrCode"), QStringLiteral("Cancelar"), QRect(176, 64, 100, 40));

    QFrame *printer = addPanel(this, QStringLiteral("panErroImpressora"), QRect(211, 212, 452, 324), false);
    printer->setStyleSheet(QStringLiteral("QFrame { background-color: #FBE3E3; border: 1px solid #C00000; }"));
    auto *warning = addLabel(printer, QStringLiteral("lblErroImpressora"),
                             QStringLiteral("IMPRESSORA FISCAL COM ERRO\nvenda bloqueada"), QRect(6, 120, 440, 80),
                             bold + QStringLiteral("font-size: 18px; color: #C00000; border: none;"));
    warning->setAlignment(Qt::AlignCenter);
}

void TfrmVendaCons::buildFunctionButtons()
{
    struct Key
    {
        const char *name;
        const char *caption;
    };
    // Two columns of keys on the right, in pairs of related functions.
    const Key keys[] = {
        {"spbQtde", "F3\nQtde"},           {"spbQtde2", "F2\nQtde x2"},
        {"spbConsultaPreco", "F5\nPreço"}, {"spbPesquisa", "F6\nPesquisa"},
        {"spbProdCombinado", "F11\nCombinado"}, {"spbObs", "F10\nObservação"},
        {"spbCancProd", "F8\nCanc. item"}, {"spbCancelaCupom", "F7\nCanc. cupom"},
        {"spbFuncoes", "F9\nFunções"},     {"spbIncluiCpf", "Alt+F\nCPF"},
        {"spbCompraCred", "Compra\ncrédito"}, {"spbCartao", "Crachá"},
        {"spbParaViagem", "Alt+G\nViagem"}, {"spbImprimeMensagem", "Alt+I\nMensagem"},
        {"spbMenuMesa", "Alt+M\nMesa"},    {"spbComanda", "Alt+C\nComanda"},
        {"spbDelivery", "Alt+D\nDelivery"}, {"spbNrPessoas", "Alt+A\nPessoas"},
        {"spbCadCons", "Cadastro\nconsumidor"}, {"spbConsultaPromo", "Promoções"},
        {"spbCashback", "Cashback"},       {"spbCashbackUDS", "Cashback\nUDS"},
        {"spbVendaManu", "Venda\nmanual"}, {"spbLerQrCode", "Ler\nQR Code"},
    };
    const QString style = QStringLiteral("QPushButton { font-family: Arial; font-size: 9px; }");
    int index = 0;
    for (const Key &key : keys) {
        const QRect rect(666 + 66 * (index % 2), 120 + 29 * (index / 2), 64, 27);
        auto *button = addButton(this, QString::fromLatin1(key.name), QString::fromUtf8(key.caption), rect);
        button->setStyleSheet(style);
        ++index;
    }
    findChild<QPushButton *>(QStringLiteral("spbConsultaPreco"))->setCheckable(true);
    const QString main = QStringLiteral("QPushButton { font-family: Arial; font-weight: bold; font-size: 13px;"
                                        " background-color: #1E7B34; color: white; }");
    addButton(this, QStringLiteral("spbReceb"), QStringLiteral("Enter\nRECEBER"), QRect(666, 474, 130, 52))->setStyleSheet(main);
    auto *send = addButton(this, QStringLiteral("spbVender"), QStringLiteral("Enter\nENVIAR PEDIDO"), QRect(666, 474, 130, 52));
    send->setStyleSheet(main);
    send->hide();
    addButton(this, QStringLiteral("lblSair"), QStringLiteral("Esc  SAIR"), QRect(666, 530, 130, 26));
}

void TfrmVendaCons::buildFooter()
{
    const QString small = QStringLiteral("font-family: Arial; font-size: 10px;");
    addLabel(this, QStringLiteral("lblFilialCaixa"), QString(), QRect(2, 558, 560, 14), small);
    addLabel(this, QStringLiteral("lblEmpresa"), QString(), QRect(2, 572, 560, 14), small);
    addLabel(this, QStringLiteral("lblCodTela"), QString(), QRect(2, 586, 560, 14), small);
    auto *footer = addLabel(this, QStringLiteral("lblRodape"), QString(), QRect(2, 558, 560, 42), small);
    footer->setWordWrap(true);
    footer->hide();
    addLabel(this, QStringLiteral("lblTicketMedio"), QStringLiteral("Ticket médio:"), QRect(566, 558, 96, 14), small)->hide();
    addLabel(this, QStringLiteral("lblValTicketMedio"), QString(), QRect(662, 558, 134, 14), small)->hide();
    addLabel(this, QStringLiteral("lblQuantCupom"), QStringLiteral("Cupons:"), QRect(566, 574, 96, 14), small)->hide();
    addLabel(this, QStringLiteral("lblValQuantCupom"), QString(), QRect(662, 574, 134, 14), small)->hide();
}

void TfrmVendaCons::buildTimers()
{
    auto *clock = new QTimer(this);
    clock->setObjectName(QStringLiteral("timDataHora"));
    clock->setInterval(1000);
    connect(clock, &QTimer::timeout, this, [this] { dispatch([this] { timDataHoraTimer(); }); });
    clock->start();
    auto *failover = new QTimer(this);
    failover->setObjectName(QStringLiteral("timImpressoraBackup"));
    failover->setInterval(30000);
}
