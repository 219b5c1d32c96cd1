#include "tfrmvendacons.h"

#include "hostcall.h"
#include "screenshell.h"
#include "tfrmvisualiza.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <settlement/settlement.h>
#include <outside/consiste.h>
#include <outside/trad_utl.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>

#include <exception>

struct TfrmVendaCons::Handlers
{
    explicit Handlers(SaleContext &context) : shell(context), order(context), settlement(context), consumer(context)
    {
        context.attach({&shell, &order, &settlement, &consumer, &shell});
        context.setDisplaySource(&frmVisualiza);
    }

    ScreenShell shell;
    OrderEntry order;
    Settlement settlement;
    ConsumerSale consumer;
};

TfrmVendaCons::TfrmVendaCons(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_state(std::make_unique<SaleState>()),
      m_datasets(std::make_unique<SaleDatasets>())
{
    setObjectName(FormName::frmVendaCons);
    setFixedSize(802, 600);
    setStyleSheet(QStringLiteral("QDialog#frmVendaCons { background-color: white; }"));
    buildImages();
    buildHeader();
    buildCustomerLabels();
    buildReceipt();
    buildTotals();
    buildTouchGrid();
    buildChoicePanels();
    buildFunctionButtons();
    buildFooter();
    buildTimers();
    m_context = std::make_unique<SaleContext>(*this, *m_state, *m_datasets);
    m_context->setDispatcher([this](const std::function<void()> &handler) { dispatch(handler); });
    m_handlers = std::make_unique<Handlers>(*m_context);
    routeClicks();
    FormCreate();
}

TfrmVendaCons &saleForm(SaleContext &context)
{
    return static_cast<TfrmVendaCons &>(context.form());
}

TfrmVendaCons::~TfrmVendaCons()
{
    // The handlers hold the context: they go first.
    m_handlers.reset();
}

std::function<void(QWidget *)> &TfrmVendaCons::translator()
{
    static std::function<void(QWidget *)> translate = Trad_utl::Trad;
    return translate;
}

void TfrmVendaCons::InicializaForm(const HostCall &call)
{
    m_context->shell().InicializaForm(call);
}

void TfrmVendaCons::FormCreate()
{
    if (translator())
        translator()(this);
}

// Closing the form empties the receipt and the customer display's copy of it, total and
// weight included.
void TfrmVendaCons::FormClose()
{
    m_datasets->cdsExtratoTemp.Close();
    if (TfrmVisualiza *display = m_context->display()) {
        display->cdsExtratoVisualiza.Close();
        display->findChild<QLabel *>(DisplayName::lblVrTotal)
            ->setText(PtBr::FormatFloat(QStringLiteral("#,##0.00"), 0.0));
        display->findChild<QLabel *>(DisplayName::lblPeso)->setText(QStringLiteral("0"));
    }
}

void TfrmVendaCons::Close()
{
    FormClose();
    if (isVisible())
        done(QDialog::Rejected);
}

void TfrmVendaCons::timDataHoraTimer()
{
    m_context->setCaption(FormName::lblDataHora, PtBr::DateTimeToStr(Clock::now()));
}

void TfrmVendaCons::dispatch(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EAbort &) {
        // A refusal that has already told the operator.
    } catch (const Consiste::EResultServ &error) {
        m_context->message(error.text(), 3);
    } catch (const std::exception &error) {
        m_context->message(QString::fromUtf8(error.what()), 3);
    }
}

void TfrmVendaCons::route(const QString &buttonName, std::function<void(QObject *)> handler)
{
    QAbstractButton *button = findChild<QAbstractButton *>(buttonName);
    if (!button)
        return;
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] {
        dispatch([&] { handler(button); });
    });
}

void TfrmVendaCons::routeKey(QObject *sender, QKeyEvent *event)
{
    dispatch([&] {
        int key = event->key();
        m_context->shell().FormKeyDown(sender, key, event->modifiers());
        if (key == 0 || event->text().isEmpty())
            return;
        QChar character = event->text().at(0);
        m_context->shell().FormKeyPress(sender, character);
    });
    event->accept();
}

// The scanner's keys in the QR-code edit box: Enter is taken here (it must not reach the form
// as a second Enter); the other keys go on to the edit box (Esc on to the form, which closes
// the panel).
bool TfrmVendaCons::routeQrCodeKey(QObject *sender, QKeyEvent *event)
{
    const int pressed = event->key();
    dispatch([&] {
        int key = pressed;
        m_context->settlement().edtQrCodeKeyDown(sender, key, event->modifiers());
        if (event->text().isEmpty())
            return;
        QChar character = event->text().at(0);
        m_context->settlement().edtQrCodeKeyPress(sender, character);
    });
    return pressed == Qt::Key_Return || pressed == Qt::Key_Enter;
}

void TfrmVendaCons::keyPressEvent(QKeyEvent *event)
{
    routeKey(this, event);
}

bool TfrmVendaCons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->objectName() == FormName::edtQrCode)
        return routeQrCodeKey(watched, static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::KeyPress) {
        routeKey(watched, static_cast<QKeyEvent *>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmVendaCons::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    dispatch([this] {
        m_context->shell().FormShow(this);
        m_context->shell().FormActivate(this);
    });
}

void TfrmVendaCons::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        dispatch([this] { m_context->shell().FormActivate(this); });
}

// The screen is left only through its closing roads, which set the exit keyword first.
void TfrmVendaCons::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void TfrmVendaCons::reject()
{
}
