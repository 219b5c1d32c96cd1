// Merchandise exchange: the returned items' credit pays the new sale, whole or in part.
#include "personalcreditroad_p.h"
#include "ordinaryroad_p.h"
#include "settlebutton_p.h"

#include <settlement/settlement.h>

#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

const QString returnedFile = QStringLiteral("ITENSDEVOLVIDOS.CDS");
const QString exchangeText = QStringLiteral("TROCA DE MERCADORIA");

QString text(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsString();
}

double number(const ClientDataSet &rows, const char *field)
{
    return rows.FindField(QString::fromLatin1(field)).AsFloat();
}

// The credit's labels and cancel button live only while an exchange may start; made on first use.
QLabel *creditLabel(SaleContext &context, const QString &name)
{
    if (auto *label = context.widget<QLabel>(name))
        return label;
    auto *label = new QLabel(&context.form());
    label->setObjectName(name);
    label->hide();
    return label;
}

// Ends the exchange on the form: the flag, the credit's labels and button, the footer, and the
// returned items a later sale must not carry (a saved exchange sale took them already).
void endExchangeOnScreen(SaleContext &context)
{
    context.state().exchange.boTrocaMercadoria = false;
    // The credit's labels and button exist once an exchange has started on this form.
    if (auto *left = context.widget<QLabel>(FormName::lblValSaldDisp)) {
        left->clear();
        left->hide();
    }
    if (QWidget *caption = context.widget(QStringLiteral("lblSaldoDisp")))
        caption->hide();
    if (QWidget *cashier = context.widget(FormName::lblMensagemCaixa))
        cashier->show();
    ClientDataSet &returned = context.data().cdsDevolucao;
    if (returned.Active())
        returned.EmptyDataSet();
    context.screen().RestauraRodape(QStringLiteral("1"), QString());
    if (QWidget *cancel = context.widget(FormName::spbCancelaTroca))
        cancel->hide();
}

// cdsMovCaixa made again with one row of the exchange's receipt type (the current row of
// cdsConfTipoRece) worth `amount`: the credit the returned items pay.
void bookExchangeMovement(SaleContext &context, double amount)
{
    const SaleState &s = context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = context.data();
    const ClientDataSet &type = d.cdsConfTipoRece;
    const QDateTime fiscal = s.startup.dtMovimentoFiscal;
    const bool zeroDate = !fiscal.isValid() || fiscal.date() <= QDate(1899, 12, 30);
    ClientDataSet &movements = d.cdsMovCaixa;
    movements.Close();
    movements.CreateDataSet();
    movements.Append();
    const QList<QPair<const char *, Variant>> values{
        {"CDFILIAL", p.stCDFILIAL},
        {"IDTIPOMOVIVE", QStringLiteral("E")},
        {"DTHRINCMOV", Clock::now()},
        {"CDTIPORECE", text(type, "CDTIPORECE")},
        {"NMTIPORECE", text(type, "NMTIPORECE")},
        {"IDTIPORECE", text(type, "IDTIPORECE")},
        {"VRMOVIVEND", amount},
        {"CDTIPOTROCO", text(type, "CDTIPOTROCO")},
        {"NRORDTROCO", text(type, "NRORDTROCO")},
        {"CDCLIENTE", p.stCDCLIENTE},
        {"CDCONSUMIDOR", QString()},
        {"CDCCUSCLIE", p.stCDCCUSCLIE},
        {"DTMOVIMCAIXA", zeroDate ? QDateTime(Clock::now().date(), QTime(0, 0)) : fiscal},
        {"DSIMPFISCAL", text(type, "DSIMPFISCAL")},
        {"CDFPIMPFIS", text(type, "CDFPIMPFIS")},
        {"QTPARCRECEB", QStringLiteral("1")},
    };
    for (const auto &[field, value] : values)
        movements.FieldByName(QString::fromLatin1(field)).SetValue(value);
    movements.Post();
}

} // namespace

// The returned items' file, in the cadastre folder only: a file elsewhere is never an exchange.
QString Settlement::returnedItemsPath() const
{
    const QString folder = SitePaths::resolve(m_context.state().params.stDSDIRCAD);
    return SitePaths::resolve(QDir(folder).filePath(returnedFile));
}

bool Settlement::TrocaProdutos()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    ClientDataSet read(d.cdsItensDevolv.Name());
    QString error;
    const QString path = returnedItemsPath();
    if (!QFileInfo(path).isFile() || !read.LoadFromFile(path, &error) || !read.HasField(QStringLiteral("VALOR"))) {
        m_context.message(QStringLiteral("O arquivo de itens devolvidos %1 não pôde ser lido%2. Não há troca de "
                                         "mercadoria em andamento.")
                              .arg(path, error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error)),
                          Ravuvozozod::Error);
        // An exchange already on the screen ends with it: its credit, labels and footer must not
        // stay behind a screen that no longer takes the exchange road. The file stays where it
        // is: it is the only record of the goods brought back, for whoever can repair it.
        endExchangeOnScreen(m_context);
        return false;
    }
    double credit = 0;
    for (read.First(); !read.Eof(); read.Next())
        credit += number(read, "VALOR");
    d.cdsItensDevolv.Close();
    d.cdsItensDevolv.CopyFrom(read);
    s.exchange.boTrocaMercadoria = true;
    s.exchange.doRecebAux1 = Money::RoundDec(credit, 2);
    const QString shown = PtBr::FormatFloat(QStringLiteral("0.00"), s.exchange.doRecebAux1);

    QLabel *cashier = m_context.label(FormName::lblMensagemCaixa);
    const int top = cashier ? cashier->y() : 28;
    QLabel *caption = creditLabel(m_context, QStringLiteral("lblSaldoDisp"));
    caption->setText(QStringLiteral("Saldo Troca:  R$"));
    caption->setGeometry(211, top, 200, 26);
    QLabel *left = creditLabel(m_context, QString(FormName::lblValSaldDisp));
    left->setText(shown);
    left->move(left->x(), top);
    left->show();
    caption->show();
    if (cashier)
        cashier->hide();
    QAbstractButton *cancel = m_context.button(FormName::spbCancelaTroca);
    if (!cancel) {
        auto *button = new QPushButton(QStringLiteral("Cancela\nTroca"), &m_context.form());
        button->setObjectName(QString(FormName::spbCancelaTroca));
        button->setToolTip(QStringLiteral("Cancela Troca"));
        button->setFocusPolicy(Qt::NoFocus);
        QObject::connect(button, &QPushButton::clicked, button, [this, button = button] { spbCancelaTrocaClick(button); });
        cancel = button;
    }
    if (QWidget *send = m_context.widget(FormName::spbVender))
        cancel->setGeometry(send->geometry());
    cancel->show();
    m_context.screen().RestauraRodape(QStringLiteral("2"), QStringLiteral("Saldo total disponível para troca: ") + shown);
    for (QLatin1StringView name : {FormName::spbMenuMesa, FormName::spbComanda, FormName::spbDelivery, FormName::spbCartao,
                                   FormName::spbCompraCred}) {
        if (QWidget *widget = m_context.widget(name))
            widget->setEnabled(false);
    }
    m_context.setVisible(FormName::spbMenuMesa, false);
    m_context.setVisible(FormName::spbComanda, false);
    return true;
}

void Settlement::Limpa_TrocaMercadoria()
{
    endExchangeOnScreen(m_context);
    const QString path = returnedItemsPath();
    if (QFileInfo(path).isFile())
        QFile::remove(path);
}

void Settlement::spbCancelaTrocaClick(QObject *)
{
    Limpa_TrocaMercadoria();
}

void SettleButton::exchangeRoad()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    auto refuse = [&](const QString &textShown) {
        m_context.message(textShown, Ravuvozozod::Error);
        s.flags.boRecebendo = false;
        m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), textShown};
    };
    ClientDataSet &types = d.cdsConfTipoRece;
    if (types.RecordCount() > 1) {
        types.SetFiltered(false);
        if (!types.Locate(QStringLiteral("IDTPRECTROCAMER"), QStringLiteral("S")) || text(types, "CDFPIMPFIS").isEmpty()) {
            refuse(m_context.Msg(QStringLiteral("Nao_Rec_Dev")));
            return;
        }
    }
    const ClientDataSet &returned = d.cdsItensDevolv;
    if (!returned.Active() || returned.IsEmpty()) {
        // With an item on the coupon the cancel button is gone, so the exchange is ended here:
        // the sale stays on the screen and the next press settles it as an ordinary sale.
        m_context.settlement().Limpa_TrocaMercadoria();
        refuse(QStringLiteral("Os itens devolvidos da troca não estão carregados. A troca foi cancelada e a venda "
                              "continua na tela: receba-a novamente ou inicie a troca de novo."));
        return;
    }
    const double credit = s.exchange.doRecebAux1;
    const double total = Money::Trunc2(s.totals.doTotalVenda);
    const bool paysAll = PtBr::FormatFloat(QStringLiteral("0.00"), total) == PtBr::FormatFloat(QStringLiteral("0.00"), credit);
    // The credit is a payment of the exchange's receipt type, never a discount, whether it pays
    // the sale whole or in part: the lines keep their value, the payments (the credit and any
    // rest) add up to it, and the coupon, NFC-e or CF-e show the sale at its value paid by the
    // exchange. Taken as a discount as well it would be counted twice; taken as a discount
    // alone the documents would show lines of one value and a total of another.
    ClientDataSet &rows = d.cdsVenda;
    d.cdsItensDevolv.First();
    const QString supervisor = text(d.cdsItensDevolv, "CDSUPERVISOR");
    for (rows.First(); !rows.Eof(); rows.Next()) {
        rows.Edit();
        rows.FieldByName(QStringLiteral("VRDESCOMANDA")).SetValue(0.0);
        rows.FieldByName(QStringLiteral("CDSUPERVISOR")).SetAsString(supervisor);
        rows.FieldByName(QStringLiteral("DSOBSDESC")).SetAsString(exchangeText);
        rows.Post();
    }
    fillReturnedItems();
    bookExchangeMovement(m_context, paysAll ? total : credit);
    if (!paysAll) {
        // The ordinary sale takes the rest; its payment screen sees the exchange marker, the
        // credit as already paid and its row booked, and adds the tenders of the rest.
        OrdinaryRoad(m_context, m_end, m_run).run();
        if (m_end.kind == RoadEnd::Kind::Sold)
            m_context.settlement().Limpa_TrocaMercadoria();
        else
            exchangeStillInForce();
        return;
    }
    exchangePaysAll();
}

void SettleButton::fillReturnedItems()
{
    const SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    ClientDataSet &out = d.cdsDevolucao;
    // Made again empty, with its own layout (saledatasets.cpp).
    out.Close();
    out.CreateDataSet();
    ClientDataSet &items = d.cdsItensDevolv;
    for (items.First(); !items.Eof(); items.Next()) {
        out.Append();
        out.FieldByName(QStringLiteral("CDFILIAL")).SetAsString(s.params.stCDFILIAL);
        out.FieldByName(QStringLiteral("CDOPERADOR")).SetAsString(s.rights.stCDOPERADOR);
        out.FieldByName(QStringLiteral("CDLOJA")).SetAsString(s.params.stCDLOJA);
        out.FieldByName(QStringLiteral("DTABERCAIX")).SetValue(s.params.dtDTABERCAIX);
        out.FieldByName(QStringLiteral("VRPRECITEM")).SetValue(number(items, "VALOR"));
        for (const char *field : {"CDPRODUTO", "QTPRODVEND", "NMPRODUTO", "CDORDALIQIMPR", "CDFAMILISALD", "CDPRODPROMOCAO"})
            out.FieldByName(QString::fromLatin1(field)).SetAsString(text(items, field));
        for (const char *field : {"VRALIQIMPR", "VRUNITVENDCL", "VRUNITVEND"})
            out.FieldByName(QString::fromLatin1(field)).SetValue(number(items, field));
        out.FieldByName(QStringLiteral("NRSERIEIMPVND")).SetAsString(s.params.stNRSERIEIMP);
        out.Post();
    }
}

// The credit pays the whole sale: one exchange row, the close or the number, the save, no
// payment screen.
void SettleButton::exchangePaysAll()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    ClientDataSet &movements = d.cdsMovCaixa;

    if (p.boUTILIZAIMPFIS) {
        OwnRoadClose close;
        close.road = QStringLiteral("2");
        close.discount = 0;
        close.saleTotal = m_run.saleTotal;
        const FiscalCloseOutcome closed = closeOnFiscalPrinter(m_context, close);
        // The models that print the sale whole printed nothing: no coupon is open to cancel (a
        // cancel would reach the last sale's), so the sale just stays on the screen.
        if (!closed.done && printsSaleItself(p.inIDTIPOIMPFIS)) {
            s.flags.boRecebendo = false;
            m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), closed.failure};
            return;
        }
        if (!closed.done) {
            // The printer refused the close: nothing is saved, the coupon is cancelled.
            OwnRoadSave::Options options;
            options.road = Settlement::ClosingRoad::ExchangeFull;
            options.letter = QStringLiteral("A");
            options.endsExchange = true;
            OwnRoadSave(m_context, m_end, options).refuseUnclosed(m_run.documentInHand, closed.failure);
            return;
        }
        if (!closed.documentNumber.isEmpty())
            m_run.documentInHand = closed.documentNumber;
        m_run.paymentText11 = closed.closeAnswer;
    } else if (!isYes(s.settlement.stConfRecebimento)) {
        const QString failure = takeOwnRoadNumber(m_context, m_run.documentInHand);
        if (!failure.isEmpty()) {
            movements.EmptyDataSet();
            m_context.message(failure, Ravuvozozod::Error);
            s.flags.boRecebendo = false;
            m_end = RoadEnd{RoadEnd::Kind::Failed, std::nullopt, false, QString(), failure};
            return;
        }
    }
    OwnRoadSave::Options options;
    options.road = Settlement::ClosingRoad::ExchangeFull;
    options.letter = QStringLiteral("A");
    // A SAT refusal cancels the stored sale: the cashier is told, as on every other road.
    options.endsExchange = true;
    OwnRoadSave(m_context, m_end, options).run(m_run.documentInHand, m_run.paymentText11, QString());
}

// The sale on the exchange road was not sold and the exchange is still on: the balance shows
// what the credit leaves against the sale now on the screen. When the sale was undone (a
// refused CF-e or NFC-e cancels it) the screen is empty: the whole credit is in force again,
// and the cashier is told so in words.
void SettleButton::exchangeStillInForce()
{
    const SaleState &s = m_context.state();
    if (!s.exchange.boTrocaMercadoria)
        return;
    const ClientDataSet &items = m_context.data().cdsItems;
    const bool undone = !items.Active() || items.IsEmpty();
    const double total = undone ? 0.0 : Money::Trunc2(s.totals.doTotalVenda);
    const double credit = s.exchange.doRecebAux1;
    m_context.setCaption(FormName::lblValSaldDisp, PtBr::FormatFloat(QStringLiteral("0.00"), credit - total));
    m_context.setVisible(FormName::lblValSaldDisp, true);
    if (!undone)
        return;
    const QString shown = PtBr::FormatFloat(QStringLiteral("0.00"), credit);
    m_context.screen().RestauraRodape(QStringLiteral("2"), QStringLiteral("Saldo total disponível para troca: ") + shown);
    m_context.message(QStringLiteral("A venda da troca não foi concluída e foi desfeita. A troca de mercadoria continua "
                                     "em andamento: o crédito de R$ %1 está disponível para a próxima venda.")
                          .arg(PtBr::FormatFloat(QStringLiteral("#,##0.00"), credit)),
                      Ravuvozozod::Information);
}
