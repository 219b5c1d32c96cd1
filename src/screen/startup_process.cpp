#include "startup.h"
#include "startup_p.h"

#include "hostcall.h"
#include "screens.h"
#include "screenshell.h"
#include "tfrmvendacons.h"
#include "tfrmvisualiza.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/salestate_load.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <outside/criptografa.h>
#include <outside/pkg_hrk00001.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>
#include <server/trdmvendacons.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>

void ProcessStartup::connectDataModule()
{
    TrdmVendaCons &module = m_context.module();
    if (module.adcVendaCons().isOpen())
        return;
    QString error;
    if (!module.connect(&error))
        throw EStartup(QStringLiteral("Não foi possível conectar ao banco de dados: %1").arg(error));
}

// A failure leaves the parameter row empty again, so the next call runs this phase whole
// instead of selling without the cadastre copies it did not reach.
void ProcessStartup::run()
{
    bool loaded = false;
    OnExit emptyOnFailure([&] {
        if (!loaded)
            m_context.data().cdsParametrosQub.Close();
    });
    loadParameterFile();
    loadCrmBonusSettings();
    decideCustomerDisplay();
    loadIdentificationFile();
    loadCadastres();
    findReceiptTypeNine();
    takeFiscalDate();
    placeWindow();
    SaleVariables(m_context).InicializaVariaveis();
    loadLogo();
    chooseDocumentVariant();
    // The rights are asked for on every call, once the operator of the call is known.
    readQrCodeSwitch();
    loaded = true;
}

// Without the parameter file the till has no branch and no cash desk: it must not sell.
void ProcessStartup::loadParameterFile()
{
    const QString path = SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS"));
    if (!QFileInfo(path).isFile())
        throw EStartup(QStringLiteral("Arquivo de parâmetros não encontrado: %1. Sem ele o caixa não "
                                      "tem filial nem caixa e não pode vender.").arg(path));
    ClientDataSet &row = m_context.data().cdsParametrosQub;
    StartupIo::loadFile(row, path);
    const ParameterLoadReport report = loadParameters(m_context.state(), row.Data(), 0);
    if (!report.rowFound)
        throw EStartup(QStringLiteral("Arquivo de parâmetros sem registro: %1").arg(path));
    if (!report.complete()) {
        const QStringList problems = report.missingColumns + report.invalidValues;
        throw EStartup(QStringLiteral("Arquivo de parâmetros %1 incompleto ou inválido: %2")
                           .arg(path, problems.join(QStringLiteral(", "))));
    }
}

void ProcessStartup::loadCrmBonusSettings()
{
    const Parameters &params = m_context.state().params;
    const DataPacket packet = StartupIo::packetOf(
        m_context.server().startupLookups.getDadosCRMBONUS(params.stCDFILIAL, params.stCDLOJA),
        QStringLiteral("getDadosCRMBONUS"));
    m_context.data().cdsDadosCRMBONUS.SetData(packet);
    StartupResults &results = m_context.state().startup;
    for (QString *setting : {&results.stCancCupomAux4, &results.stCancCupomAux5,
                             &results.stCancCupomAux6, &results.stCancCupomAux7})
        setting->clear();
    ::loadCrmBonusSettings(m_context.state(), packet, 0);
}

void ProcessStartup::decideCustomerDisplay()
{
    const Parameters &params = m_context.state().params;
    const bool wanted = StartupIo::booleanOf(
        m_context.server().lookupsTills.getVisualizaTelPed(params.stCDFILIAL, params.stCDCAIXA),
        QStringLiteral("getVisualizaTelPed"));
    if (!wanted)
        return;
    bool &inUse = m_context.state().startup.boExibeVisualiza;
    inUse = Screens::monitorCount() > 1;
    if (inUse)
        createFrmVisualiza().show();
}

void ProcessStartup::loadIdentificationFile()
{
    const QString folder = m_context.data().cdsParametrosQub.FieldByName(QStringLiteral("DSDIRCAD")).AsString();
    const QString path = SitePaths::resolve(folder + QStringLiteral("LUMBERA.CDS"));
    if (!QFileInfo(path).isFile())
        return;
    ClientDataSet &identification = m_context.data().cdsIdentPaf;
    StartupIo::loadFile(identification, path);
    const QString stored = identification.FieldByName(QStringLiteral("MD5ARQUIVOTXT")).AsString();
    m_context.state().startup.stMD5ARQUIVOTXT = QStringLiteral("MD-5:") + Criptografa::Uncripto(stored, SaleStartup::CipherKey);
}

// A missing copy is skipped (the host has not written it); one that cannot be read stops.
void ProcessStartup::loadCadastres()
{
    SaleDatasets &data = m_context.data();
    StartupResults &results = m_context.state().startup;
    for (const SaleDatasets::CadastreFile &cadastre : SaleDatasets::cadastreFiles()) {
        const QString file = QString::fromLatin1(cadastre.file);
        const QString path = SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\") + file);
        if (!QFileInfo(path).isFile())
            continue;
        ClientDataSet &dataset = data.*cadastre.dataset;
        StartupIo::loadFile(dataset, path);
        if (file == QLatin1String("AberturaCaixa.cds"))
            results.stCDATIVACAOSAT = Criptografa::Uncripto(
                dataset.FindField(QStringLiteral("CDATIVACAOSAT")).AsString(), SaleStartup::CipherKey);
        else if (file == QLatin1String("DataMovimento.cds"))
            results.dtDATAMOVIMENTO = dataset.FindField(QStringLiteral("DATAMOVIMENTO")).AsDateTime();
    }
}

void ProcessStartup::findReceiptTypeNine()
{
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    m_context.state().startup.boConfTipoRece =
        types.Active() && types.HasField(QStringLiteral("IDTIPORECE"))
        && types.Locate(QStringLiteral("IDTIPORECE"), QStringLiteral("9"));
}

void ProcessStartup::takeFiscalDate()
{
    const Parameters &params = m_context.state().params;
    QDateTime &date = m_context.state().startup.dtMovimentoFiscal;
    const bool fromPrinter = params.boUTILIZAIMPFIS && params.stIDCOLETOR != QLatin1String("C")
                             && !params.boBOERROIMPRESSORA;
    if (!fromPrinter) {
        date = QDateTime(Clock::now().date(), QTime(0, 0));
        return;
    }
    const DateAnswer answer = m_context.devices().DataMoviFiscal({params.stIDESQUEMA});
    if (!answer.ok)
        throw EStartup(QStringLiteral("Não foi possível ler a data de movimento da impressora fiscal: %1")
                           .arg(answer.failure));
    date = answer.date;
}

// 800 x 600, centred; on a smaller screen the edges go negative so the middle stays in view.
void ProcessStartup::placeWindow()
{
    TfrmVendaCons &form = saleForm(m_context);
    form.setWindowTitle(QApplication::applicationDisplayName());
    form.setWindowIcon(QApplication::windowIcon());
    form.setFixedSize(800, 600);
    const QSize screen = Screens::screenSize();
    form.move((screen.width() - form.width()) / 2, (screen.height() - form.height()) / 2);
}

void ProcessStartup::loadLogo()
{
    const QString stored = m_context.state().params.stDSLOGOTELA;
    if (stored.isEmpty())
        return;
    const QString path = SitePaths::resolve(stored);
    QPixmap logo;
    if (!QFileInfo(path).isFile() || !logo.load(path))
        return;
    for (QLatin1StringView name : {FormName::imgLogo, FormName::imgLogoPadrao}) {
        if (QLabel *image = m_context.label(name)) {
            image->setScaledContents(false);
            image->setPixmap(logo);
        }
    }
}

void ProcessStartup::chooseDocumentVariant()
{
    const Parameters &params = m_context.state().params;
    StartupResults &results = m_context.state().startup;
    const bool electronic = params.boSISTEMAQUBNFCE || params.boSISTEMAQUBSAT;
    results.stRecebAux7 = QStringLiteral("BAL_QUB");
    if (params.boSISTEMAQUBNFCE) {
        results.stInicializaAux1 = QStringLiteral("VENDA_NFCe");
        results.stRecebAux20 = QStringLiteral("N");
    } else if (params.boSISTEMAQUBSAT) {
        results.stInicializaAux1 = QStringLiteral("EXTRATO_SAT");
        results.stRecebAux20 = QStringLiteral("S");
    } else {
        results.stInicializaAux1 = QStringLiteral("CUPOM_PEDIDO");
        results.stRecebAux20 = QStringLiteral("E");
    }
    QLabel *source = m_context.label(electronic ? FormName::ImgQubNFCe : FormName::imgLumbera);
    QLabel *target = m_context.label(FormName::imgMovrela);
    if (source && target)
        target->setPixmap(source->pixmap());
}

void ProcessStartup::readQrCodeSwitch()
{
    const Parameters &params = m_context.state().params;
    m_context.state().startup.stIDLEITURAQRCODE = StartupIo::textOf(
        m_context.server().lookupsTills.getConfigCaixa(params.stCDFILIAL, params.stCDCAIXA),
        QStringLiteral("getConfigCaixa"));
}
