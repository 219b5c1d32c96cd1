#pragma once

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QString>

#include <stdexcept>

class ClientDataSet;
class SaleContext;
struct HostCall;

// Why start-up could not prepare the sale screen. The text is for the operator and names the
// file or the server function that failed; VendaCons shows it and answers "ERRO_SISTEMA".
class EStartup : public std::runtime_error
{
public:
    explicit EStartup(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// The start-up of the sale form. The first part runs once per process (while the parameter
// row is empty): data module, parameter file, server settings, fiscal identification, local
// cadastre copies, fiscal date, window, logo and document variant. The second runs on every
// call: operator, sale mode, sale datasets, rights, layout, menus, printer failover and the
// partners' state. Each step is a function, in the order it runs.
class SaleStartup
{
public:
    explicit SaleStartup(SaleContext &context);

    void InicializaForm(const HostCall &call);
    void InicializaVariaveis();

    // The key of the values the local files store enciphered (the SAT activation code of
    // AberturaCaixa.cds and the checksum of LUMBERA.CDS); whoever writes those files uses it.
    static constexpr int CipherKey = 51000;

private:
    // Once per process (startup_process.cpp)
    void connectDataModule();
    void runProcessPhase();
    void loadParameterFile();
    void loadCrmBonusSettings();
    void decideCustomerDisplay();
    void loadIdentificationFile();
    void loadCadastres();
    void findReceiptTypeNine();
    void takeFiscalDate();
    void placeWindow();
    void loadLogo();
    void chooseDocumentVariant();
    void readQrCodeSwitch();

    // Every call (startup_call.cpp)
    void runCallPhase(const HostCall &call);
    void resetGuards();
    void loadOperator();
    void takeArguments(const HostCall &call);
    void findOperatorWaiter();
    void setUpSaleMode(const HostCall &call);
    void setUpCounter(const HostCall &call);
    void setUpOrderMode(const HostCall &call);
    QString orderFooter(const QString &mode, const HostCall &call);
    void readTableOpening();
    void prepareSaleDatasets();
    void warnClosedDesk();
    void askRights();
    void recreateItems();
    void loadCouponSetting();
    void loadCampaignSwitch();
    void fillReceipt();
    void setElectronicDocumentFolder();
    void prepareFailover();
    void startFailover();
    void resetPartners();
    void loadBalanceAndWeighing();

    // Layout by IdTpTelaVe (startup_layout.cpp)
    void layOut();
    void compactLayout();
    void touchLayout();
    void modeControls();

    SaleContext &m_context;
};

// Reading what start-up asks of files and of the server (startup_files.cpp).
namespace StartupIo {

// Loads a client-dataset file; a file that cannot be read raises EStartup naming it.
void loadFile(ClientDataSet &dataset, const QString &path);
// The answer of a server function: a failure, or a value of the wrong kind, raises EStartup
// naming the function. A blank answer reads as an empty packet, False or an empty text.
DataPacket packetOf(const Variant &result, const QString &function);
bool booleanOf(const Variant &result, const QString &function);
QString textOf(const Variant &result, const QString &function);
// Deletes the *.txt files in `folder` and its subfolders whose last change is on an earlier
// day than yesterday or on yesterday (one day old by date, as the original's purge counted);
// answers how many went.
int purgeOldTexts(const QString &folder, const QDate &today);

} // namespace StartupIo
