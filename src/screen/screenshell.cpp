#include "screenshell.h"

#include "receiptgrid.h"
#include "startup_p.h"
#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/ravuvozozod.h>

#include <QAbstractButton>
#include <QLabel>
#include <sale/codes.h>

ScreenShell::ScreenShell(SaleContext &context)
    : m_context(context),
      m_dtsItems(std::make_unique<DataSource>(&context.data().cdsItems))
{
    ReceiptGrid::install(context, *this);
    m_dtsItems->OnDataChange = [this](const QString &fieldName) {
        dtsItemsDataChange(nullptr, fieldName);
    };
}

ScreenShell::~ScreenShell() = default;

CustomerMonitor *ScreenShell::customerDisplay()
{
    return m_context.display();
}

void ScreenShell::Close()
{
    saleForm(m_context).Close();
}

void ScreenShell::InicializaForm(const HostCall &call)
{
    ProcessStartup process(m_context);
    process.connectDataModule();
    if (m_context.data().cdsParametrosQub.IsEmpty())
        process.run();
    CallStartup(m_context).run(call);
}

void ScreenShell::InicializaVariaveis()
{
    SaleVariables(m_context).InicializaVariaveis();
}

void ScreenShell::Mensagem_Caixa(const QString &text)
{
    m_context.setCaption(FormName::lblMensagemCaixa, text);
}

// Item cancellation is in itemcancel.cpp, the grid's page and seat buttons in receiptgrid.cpp,
// the order button in orderbutton.cpp; the other actions each in the file of their class.
