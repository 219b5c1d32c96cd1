// The take-away dialog over the sale's lines.
#include "tfrmpraviagem.h"

#include "orderentry.h"

#include <sale/codes.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>
#include <runtime/messages.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {

struct Column
{
    const char *field;
    const char *title;
    int width;
    bool right = false;
    bool hidden = false;
};

// IDCHECK first: its title is the tick drawn by the symbol font.
const Column columns[] = {
    {"IDCHECK", "4", 20},       {"NMPRODUTO", "Produto", 225},      {"QTPRODCOMVEN", "Qtde.", 41, true},
    {"DTINCLUSAO", "Data", 131}, {"NRSEQ", "", 0, false, true},      {"NRSEQPRODCOM", "Gr.", 31},
    {"NRLUGARMESA", "Posição", 58, true}, {"IDPARAVIAGEM", "Para Viagem", 88},
};

QPixmap tickPicture(bool ticked)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawRect(1, 1, 13, 13);
    if (ticked) {
        painter.setPen(QPen(Qt::darkGreen, 2));
        painter.drawLine(4, 8, 7, 11);
        painter.drawLine(7, 11, 12, 4);
    }
    return picture;
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

void OrderEntry::ProdParaViagem(const QString &ModoVenda)
{
    // A dialog per call, freed on every way out.
    auto dialog = std::make_unique<TfrmPraViagem>();
    dialog->InicializaForm(m_context.data().cdsItems, ModoVenda);
    dialog->exec();
}

TfrmPraViagem::TfrmPraViagem()
{
    setObjectName(QStringLiteral("frmPraViagem"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setFixedSize(716, 335);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    auto *title = new QLabel(QStringLiteral("Produtos para Viagem"), this);
    title->setObjectName(QStringLiteral("lblTitulo"));
    title->setGeometry(8, 6, 400, 24);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPixelSize(18);
    title->setFont(bold);
    auto *code = new QLabel(QStringLiteral("Cli_Kal51001"), this);
    code->setObjectName(QStringLiteral("lblCodTela"));
    code->setGeometry(620, 318, 90, 14);
    m_check = new QLabel(this);
    m_check->setObjectName(QStringLiteral("imgCheck"));
    m_check->setPixmap(tickPicture(true));
    m_check->setGeometry(0, 0, 16, 16);
    m_check->hide();
    m_uncheck = new QLabel(this);
    m_uncheck->setObjectName(QStringLiteral("imgUncheck"));
    m_uncheck->setPixmap(tickPicture(false));
    m_uncheck->setGeometry(0, 0, 16, 16);
    m_uncheck->hide();
    buildGrid();
    buildButtons();
}

TfrmPraViagem::~TfrmPraViagem() = default;

void TfrmPraViagem::buildGrid()
{
    m_grid = new QTableWidget(0, int(std::size(columns)), this);
    m_grid->setObjectName(QStringLiteral("dbgProduto"));
    m_grid->setGeometry(8, 36, 700, 240);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    for (int c = 0; c < int(std::size(columns)); ++c) {
        auto *header = new QTableWidgetItem(QString::fromUtf8(columns[c].title));
        if (c == 0) {
            header->setText(QString());
            header->setIcon(QIcon(tickPicture(true)));
        }
        m_grid->setHorizontalHeaderItem(c, header);
        m_grid->setColumnWidth(c, columns[c].width);
        m_grid->setColumnHidden(c, columns[c].hidden);
    }
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (m_items && m_items->SetRecNo(row + 1))
            dbgProdutoDblClick();
    });
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (m_items)
            m_items->SetRecNo(row + 1);
    });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { dbgProdutoTitleClick(c); });
}

void TfrmPraViagem::buildButtons()
{
    connect(addButton(this, "sbtDesfazer", QStringLiteral("Desfazer"), QRect(8, 286, 110, 40)), &QPushButton::clicked,
            this, [this] { sbtDesfazerClick(); });
    connect(addButton(this, "sbtAnterior", QStringLiteral("▲"), QRect(300, 286, 50, 40)), &QPushButton::clicked, this,
            [this] { sbtAnteriorClick(); });
    connect(addButton(this, "sbtProximo", QStringLiteral("▼"), QRect(360, 286, 50, 40)), &QPushButton::clicked, this,
            [this] { sbtProximoClick(); });
    connect(addButton(this, "sbtConfirmar", QStringLiteral("Confirmar"), QRect(480, 286, 110, 40)),
            &QPushButton::clicked, this, [this] { sbtConfirmarClick(); });
    connect(addButton(this, "sbtSair", QStringLiteral("X"), QRect(676, 4, 32, 28)), &QPushButton::clicked, this,
            [this] { sbtSairClick(); });
}

void TfrmPraViagem::InicializaForm(ClientDataSet &items, const QString &Mode)
{
    inQtdeCheck = 0;
    m_items = &items;
    if (Mode == SaleMode::Table)
        stOrigemVenda = QStringLiteral("TGO_MES");
    else if (Mode == SaleMode::Counter)
        stOrigemVenda = QStringLiteral("TGO_BAL");
    else
        stOrigemVenda.clear();
    if (items.Active()) {
        items.DisableControls();
        for (items.First(); !items.Eof(); items.Next())
            setMark(QStringLiteral("U"));
        items.First();
        items.EnableControls();
    }
    showRows();
}

void TfrmPraViagem::setMark(const QString &IDCHECK)
{
    m_items->Edit();
    m_items->FieldByName(QStringLiteral("IDCHECK")).SetAsString(IDCHECK);
    m_items->Post();
}

void TfrmPraViagem::dbgProdutoDblClick()
{
    if (!m_items || !m_items->Active() || m_items->IsEmpty())
        return;
    if (m_items->FieldByName(QStringLiteral("IDCHECK")).AsString() == QLatin1String("U")) {
        setMark(QStringLiteral("C"));
        ++inQtdeCheck;
    } else {
        setMark(QStringLiteral("U"));
        --inQtdeCheck;
    }
    showRows();
}

// The tick column's title ticks every line, or unticks them all when any is ticked.
void TfrmPraViagem::dbgProdutoTitleClick(int column)
{
    if (column != 0 || !m_items || !m_items->Active())
        return;
    m_items->DisableControls();
    const bool untick = inQtdeCheck > 0;
    if (untick)
        inQtdeCheck = 0;
    for (m_items->First(); !m_items->Eof(); m_items->Next()) {
        if (untick) {
            if (m_items->FieldByName(QStringLiteral("IDCHECK")).AsString() == QLatin1String("C"))
                setMark(QStringLiteral("U"));
        } else {
            setMark(QStringLiteral("C"));
            ++inQtdeCheck;
        }
    }
    m_items->First();
    m_items->EnableControls();
    showRows();
}

void TfrmPraViagem::sbtAnteriorClick()
{
    if (m_items && m_items->Active() && !m_items->IsEmpty())
        m_items->Prior();
    showRows();
}

void TfrmPraViagem::sbtProximoClick()
{
    if (m_items && m_items->Active() && !m_items->IsEmpty())
        m_items->Next();
    showRows();
}

void TfrmPraViagem::sbtConfirmarClick()
{
    if (inQtdeCheck <= 0) {
        refuse();
        return;
    }
    markTicked(stOrigemVenda, QStringLiteral("S"));
    // The confirmed lines are no longer ticked: an undo now needs new ticks.
    inQtdeCheck = 0;
    accept();
}

void TfrmPraViagem::sbtDesfazerClick()
{
    if (inQtdeCheck <= 0) {
        refuse();
        return;
    }
    markTicked(QString(), QStringLiteral("N"));
    inQtdeCheck = 0;
}

// Ticks not confirmed stay until the next opening unticks them.
void TfrmPraViagem::sbtSairClick()
{
    reject();
}

void TfrmPraViagem::markTicked(const QString &origin, const QString &takeAway)
{
    if (!m_items || !m_items->Active())
        return;
    m_items->DisableControls();
    for (m_items->First(); !m_items->Eof(); m_items->Next()) {
        if (m_items->FieldByName(QStringLiteral("IDCHECK")).AsString() != QLatin1String("C"))
            continue;
        m_items->Edit();
        m_items->FieldByName(QStringLiteral("IDORIGEMVENDA")).SetAsString(origin);
        m_items->FieldByName(QStringLiteral("IDPARAVIAGEM")).SetAsString(takeAway);
        m_items->FieldByName(QStringLiteral("IDCHECK")).SetAsString(QStringLiteral("U"));
        m_items->Post();
    }
    m_items->First();
    m_items->EnableControls();
    showRows();
}

void TfrmPraViagem::refuse()
{
    Ravuvozozod::Mensagem(Lvm_msg::frmPraViagemMsg().Msg(QStringLiteral("PROD_INF")), QString(), QStringLiteral("N"),
                          QStringLiteral("N"), Ravuvozozod::Error, QString(), QString(), 0);
}

// The grid shows the caller's rows as they are now, the current one selected.
void TfrmPraViagem::showRows()
{
    if (!m_items || !m_items->Active()) {
        m_grid->setRowCount(0);
        return;
    }
    const int current = m_items->RecNo();
    const Bookmark mark = m_items->GetBookmark();
    m_items->DisableControls();
    m_grid->setRowCount(m_items->RecordCount());
    int row = 0;
    for (m_items->First(); !m_items->Eof(); m_items->Next(), ++row) {
        for (int c = 0; c < int(std::size(columns)); ++c) {
            const Field field = m_items->FindField(QString::fromLatin1(columns[c].field));
            auto *cell = new QTableWidgetItem;
            if (c == 0) {
                const QString tick = field.AsString();
                if (tick == QLatin1String("C") || tick == QLatin1String("U"))
                    cell->setIcon(QIcon((tick == QLatin1String("C") ? m_check : m_uncheck)->pixmap()));
            } else {
                cell->setText(field.IsValid() ? field.DisplayText() : QString());
            }
            if (columns[c].right)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->setItem(row, c, cell);
        }
    }
    m_items->GotoBookmark(mark);
    m_items->EnableControls();
    if (current > 0)
        m_grid->selectRow(current - 1);
}
