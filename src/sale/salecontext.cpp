#include "salecontext.h"

#include "salestate.h"
#include "serverseams.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/messages.h>
#include <runtime/variant.h>
#include <server/trdmvendacons.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDebug>

SaleContext::SaleContext(QDialog &form, SaleState &state, SaleDatasets &datasets)
    : m_form(form), m_state(state), m_datasets(datasets)
{
}

SaleContext::~SaleContext() = default;

void SaleContext::dispatch(const std::function<void()> &handler) const
{
    if (m_dispatcher)
        m_dispatcher(handler);
    else
        handler();
}

QWidget *SaleContext::findWidget(const QString &name) const
{
    if (m_form.objectName() == name)
        return &m_form;
    const QPointer<QWidget> known = m_widgets.value(name);
    if (known && known->objectName() == name)
        return known;
    QWidget *found = m_form.findChild<QWidget *>(name);
    if (found)
        m_widgets.insert(name, found);
    return found;
}

QWidget *SaleContext::findWidget(QLatin1StringView name) const
{
    if (m_form.objectName() == name)
        return &m_form;
    const QPointer<QWidget> known = m_constantWidgets.value(name.data());
    if (known && known->objectName() == name)
        return known;
    QWidget *found = m_form.findChild<QWidget *>(QString(name));
    if (found)
        m_constantWidgets.insert(name.data(), found);
    return found;
}

QLabel *SaleContext::label(const QString &name) const
{
    return widget<QLabel>(name);
}

QLabel *SaleContext::label(QLatin1StringView name) const
{
    return widget<QLabel>(name);
}

QAbstractButton *SaleContext::button(const QString &name) const
{
    return widget<QAbstractButton>(name);
}

QAbstractButton *SaleContext::button(QLatin1StringView name) const
{
    return widget<QAbstractButton>(name);
}

namespace {

template <class Name>
void setCaptionOf(QLabel *found, const Name &labelName, const QString &text)
{
    if (found)
        found->setText(text);
    else
        qWarning().noquote() << "sale form has no label" << labelName;
}

template <class Name>
void setVisibleOf(QWidget *found, const Name &name, bool visible)
{
    if (found)
        found->setVisible(visible);
    else
        qWarning().noquote() << "sale form has no control" << name;
}

} // namespace

void SaleContext::setCaption(const QString &labelName, const QString &text) const
{
    setCaptionOf(label(labelName), labelName, text);
}

void SaleContext::setCaption(QLatin1StringView labelName, const QString &text) const
{
    setCaptionOf(label(labelName), labelName, text);
}

void SaleContext::setVisible(const QString &name, bool visible) const
{
    setVisibleOf(findWidget(name), name, visible);
}

void SaleContext::setVisible(QLatin1StringView name, bool visible) const
{
    setVisibleOf(findWidget(name), name, visible);
}

TrdmVendaCons &SaleContext::module()
{
    return rdmVendaCons();
}

Pkg_Hrk00001 &SaleContext::devices()
{
    return hostDevices();
}

Pkg_Hrk00002 &SaleContext::services()
{
    return hostServices();
}

ServerSeams &SaleContext::server() const
{
    return ServerSeams::current();
}

const Lvm_msg::FormMessages &SaleContext::messages() const
{
    return Lvm_msg::formMessages();
}

AccessLogRequest SaleContext::accessLog(const QString &action, const QString &description, const QString &text,
                                       const QString &authoriser) const
{
    AccessLogRequest log;
    log.cdFilial = m_state.params.stCDFILIAL;
    log.cdCaixa = m_state.params.stCDCAIXA;
    log.action = action;
    log.cdOperador = m_state.rights.stCDOPERADOR;
    log.nmOperador = m_state.rights.stNMOPERADOR;
    log.stRetAcesso = authoriser;
    log.description = description;
    log.text = text;
    return log;
}

QString SaleContext::Msg(const QString &key) const
{
    return messages().Msg(key);
}

bool SaleContext::message(const QString &text, int kind) const
{
    return Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), kind,
                                 QString(), m_state.params.stIDESQUEMA, 0);
}

bool SaleContext::checkAnswer(const Variant &answer, const QString &method, const QString &context, Variant &value,
                              Failure failure) const
{
    static const QString unit = QStringLiteral("Cli_Kal51000");
    return Ravuvozozod::MensagemMetodo(answer, failure == Failure::Shown, 0, method, unit, context,
                                       m_state.params.stIDESQUEMA, value);
}

Variant SaleContext::checkedValue(const Variant &answer, const QString &method, const QString &context) const
{
    Variant value;
    checkAnswer(answer, method, context, value);
    return value;
}

TfrmVisualiza *SaleContext::display() const
{
    return m_state.startup.boExibeVisualiza && m_displaySource ? m_displaySource() : nullptr;
}
