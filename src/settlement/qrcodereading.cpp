// The reading panel of the QR-code sale and the handlers the sale form routes to it.
#include "qrcodesale_p.h"
#include "settlement.h"

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

const QPoint shownAt(248, 253);
const QPoint hiddenAt(672, 621);

// Signs stay in the buffer: dropped, a price of -19.90 would read as 19.90; kept, the reader
// refuses the signed value.
bool ignoredByBuffer(QChar key)
{
    const char16_t c = key.unicode();
    return c == 27 || c == 8 || c == 13;
}

} // namespace

void QrCodeReading::setMode(bool on)
{
    SaleFlags &flags = m_context.state().flags;
    flags.boInicializaAux1 = on;
    flags.boLeituraQrCode = on;
}

void QrCodeReading::open()
{
    SaleState &state = m_context.state();
    if (state.flags.boCupomAberto) {
        m_context.message(m_context.Msg(QStringLiteral("OPE_N_QRCODE")), Ravuvozozod::Error);
        return;
    }
    if (QWidget *panel = m_context.widget(FormName::pnlQrCode)) {
        panel->move(shownAt);
        panel->show();
        panel->raise();
    }
    setMode(true);
    readyForNextScan();
    if (QWidget *buttons = m_context.widget(FormName::pnlBotoes))
        buttons->setEnabled(false);
    m_context.screen().ControlaBotoes(false);
}

void QrCodeReading::close()
{
    if (QWidget *panel = m_context.widget(FormName::pnlQrCode)) {
        panel->move(hiddenAt);
        panel->hide();
    }
    if (QWidget *buttons = m_context.widget(FormName::pnlBotoes))
        buttons->setEnabled(true);
    setMode(false);
    m_context.setCaption(FormName::lblBufferQRCODE, QString());
    m_context.screen().ControlaBotoes(true);
}

void QrCodeReading::readyForNextScan()
{
    m_context.setCaption(FormName::lblBufferQRCODE, QString());
    if (auto *edit = m_context.widget<QLineEdit>(FormName::edtQrCode)) {
        edit->clear();
        edit->setFocus();
    }
}

void QrCodeReading::keyPress(QChar &Key)
{
    if (!m_context.state().flags.boInicializaAux1 || ignoredByBuffer(Key))
        return;
    const QLabel *buffer = m_context.label(FormName::lblBufferQRCODE);
    m_context.setCaption(FormName::lblBufferQRCODE, (buffer ? buffer->text() : QString()) + Key);
}

void QrCodeReading::keyDown(int &Key)
{
    const SaleFlags &flags = m_context.state().flags;
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return;
    if (flags.boTipoVendaSelecionado || !flags.boInicializaAux1)
        return;
    const QLabel *buffer = m_context.label(FormName::lblBufferQRCODE);
    Settlement &settlement = m_context.settlement();
    const QString sale = settlement.FormataQRCode(buffer ? buffer->text() : QString());
    if (!sale.isEmpty()) {
        settlement.GerarVendaQRCode(sale);
        return;
    }
    m_context.services().DesativaProcesso();
    settlement.btnCancelaQrCodeClick(m_context.button(FormName::btnCancelaQrCode));
}

QString QrCodeReading::expand(const QString &scanned)
{
    WaitWindowRequest wait;
    wait.owner = &m_context.form();
    wait.text = m_context.Msg(QStringLiteral("LER_QRCODE"));
    m_context.services().AtivaProcesso(wait);
    const QString expanded = QrCodePayload::expand(scanned);
    m_context.setCaption(FormName::lblBufferQRCODE, QString());
    if (auto *edit = m_context.widget<QLineEdit>(FormName::edtQrCode))
        edit->clear();
    return expanded;
}

// ---- the handlers of the sale form -----------------------------------------------------------

void Settlement::spbLerQrCodeClick(QObject *)
{
    QrCodeReading(m_context).open();
}

void Settlement::btnCancelaQrCodeClick(QObject *)
{
    QrCodeReading(m_context).close();
}

void Settlement::edtQrCodeKeyPress(QObject *, QChar &Key)
{
    QrCodeReading(m_context).keyPress(Key);
}

void Settlement::edtQrCodeKeyDown(QObject *, int &Key, Qt::KeyboardModifiers)
{
    QrCodeReading(m_context).keyDown(Key);
}

QString Settlement::FormataQRCode(const QString &code)
{
    return QrCodeReading(m_context).expand(code);
}

void Settlement::GerarVendaQRCode(const QString &saleText)
{
    QrCodeSale(m_context, *m_lastRoadEnd).run(saleText);
}
