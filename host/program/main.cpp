#include <host/partners/balanceservers.h>
#include <host/devices/cardprogram.h>
#include <host/site/demosite.h>
#include <host/partners/fakepartners.h>
#include "hostlog.h"
#include "hostloop.h"
#include "hostpackages.h"
#include <host/site/hostschema.h>
#include "script.h"
#include "scriptedanswers.h"
#include "scriptrunner.h"
#include <host/site/startuprecovery.h>

#include <host/site/hostdatabase.h>

#include <outside/ravuvozozod.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QSettings>
#include <QTextStream>

#include <memory>

namespace {

using VendaConsEntry = void (*)(const QList<Variant> &Params, Variant &Ret);

QString packagePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libvendacons.so"));
}

int fail(const QString &text)
{
    HostLog::write(text);
    return 1;
}

int initSite(const QString &folder, const QString &tillName, const QString &portText, const QString &desk)
{
    const std::optional<DemoSite::Till> till = DemoSite::tillNamed(tillName);
    if (!till)
        return fail(QStringLiteral("caixa desconhecido \"%1\": use ecf, nfce, sat ou nf").arg(tillName));
    bool portOk = false;
    const uint port = portText.toUInt(&portOk);
    if (!portOk || port == 0 || port > 65535)
        return fail(QStringLiteral("porta dos parceiros inválida \"%1\": use um número de 1 a 65535").arg(portText));
    const DemoSite::Report report = DemoSite::write(folder, Clock::now(), *till, quint16(port), desk);
    QTextStream out(stdout);
    for (const QString &line : report.tableRows)
        out << "  base: " << line << '\n';
    for (const QString &line : report.skipped)
        out << "  ignorado: " << line << '\n';
    if (!report.ok())
        return fail(QStringLiteral("o site não foi criado: ") + report.error);
    out << "vendacons-host: site de demonstração criado em " << QDir(folder).absolutePath() << " ("
        << report.files.size() << " arquivos), caixa " << DemoSite::deskCode(desk)
        << (report.joinedBase ? ", acrescentado à base que já tinha a filial de demonstração" : "") << '\n';
    return 0;
}

bool useSite(const QString &folder)
{
    const QString root = QDir(folder).absolutePath();
    if (!QFileInfo(root).isDir()) {
        HostLog::write(QStringLiteral("o site %1 não existe (crie-o com --init-site)").arg(root));
        return false;
    }
    if (!QFileInfo::exists(QDir(root).filePath(QStringLiteral("PARAMETROSQUB.CDS"))))
        HostLog::write(QStringLiteral("aviso: %1 não tem PARAMETROSQUB.CDS").arg(root));
    SitePaths::setHome(root);
    qputenv("VENDACONS_HOME", root.toUtf8());
    return true;
}

std::optional<QList<HostScript::Step>> loadScript(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        HostLog::write(QStringLiteral("não foi possível ler o roteiro ") + file);
        return std::nullopt;
    }
    const HostScript::Parsed parsed = HostScript::parse(QString::fromUtf8(in.readAll()));
    for (const QString &error : parsed.errors)
        HostLog::write(QStringLiteral("roteiro %1, %2").arg(file, error));
    if (!parsed.ok())
        return std::nullopt;
    return parsed.steps;
}

QList<HostScript::Step> screenshotSteps(const QString &file)
{
    HostScript::Step wait;
    wait.kind = HostScript::StepKind::WaitForm;
    wait.milliseconds = 60000;
    HostScript::Step shot;
    shot.kind = HostScript::StepKind::Screenshot;
    shot.target = file;
    HostScript::Step quit;
    quit.kind = HostScript::StepKind::Quit;
    return {wait, shot, quit};
}

// Notes whether the sale form was shown during a call of the screen.
class SaleFormWatch : public QObject
{
public:
    SaleFormWatch() { qApp->installEventFilter(this); }
    ~SaleFormWatch() override { qApp->removeEventFilter(this); }
    bool shown = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()
            && (watched->objectName() == QLatin1String("frmVendaCons")
                || QLatin1String(watched->metaObject()->className()) == QLatin1String("TfrmVendaCons")))
            shown = true;
        return false;
    }
};

int runScreen(ScriptRunner *runner)
{
    QLibrary package(packagePath());
    if (!package.load())
        return fail(QStringLiteral("não foi possível carregar o pacote de venda: ") + package.errorString());
    auto entry = reinterpret_cast<VendaConsEntry>(package.resolve("VendaCons"));
    if (!entry)
        return fail(packagePath() + QStringLiteral(" não exporta a entrada VendaCons (a tela de venda não está neste pacote)"));
    SaleFormWatch watch;
    const auto call = [entry, &watch](const HostLoop::CallArguments &arguments) {
        watch.shown = false;
        Variant ret = Variant::array(1);
        entry(arguments.toParams(), ret);
        return ret.at(0).toString();
    };
    const auto stop = [runner]() -> std::optional<int> { return runner ? runner->exitCode() : std::nullopt; };
    const HostLoop::Outcome outcome = HostLoop::run(call, HostLoop::askNumber, stop, [&watch] { return watch.shown; });
    if (!outcome.message.isEmpty())
        HostLog::write(outcome.message);
    if (runner && !runner->exitCode() && runner->pendingLine() > 0) {
        HostLog::write(QStringLiteral("roteiro FALHOU: a tela de venda fechou antes da linha %1").arg(runner->pendingLine()));
        return 1;
    }
    return outcome.exitCode;
}

// The partners' stand-ins of a demo site (Dados/Parceiros.ini) serve beside the screen, on
// 127.0.0.1 only, with a few demo customers.
std::unique_ptr<FakePartners> startPartners()
{
    const QString file = SitePaths::resolve(QStringLiteral("Dados\\Parceiros.ini"));
    if (!QFileInfo::exists(file))
        return nullptr;
    const int port = QSettings(file, QSettings::IniFormat).value(QStringLiteral("parceiros/porta")).toInt();
    auto partners = std::make_unique<FakePartners>();
    if (!partners->start(quint16(port))) {
        HostLog::write(QStringLiteral("parceiros simulados NÃO iniciados: a porta %1 de 127.0.0.1 já está em uso por "
                                      "outro programa; AME, ClubPetro, GCOM, 4ALL e UDS não responderão nesta "
                                      "sessão (crie o site com --partners-port PORTA para usar outra)")
                           .arg(port));
        return nullptr;
    }
    FakePartners::Settings &demo = partners->settings();
    demo.fourAll = {{QStringLiteral("11144477735"), QStringLiteral("CLIENTE DEMO"), 25.0, false,
                     {{QStringLiteral("DEMO10"), QStringLiteral("Dez por cento"), QStringLiteral("percentual"), 10.0}}}};
    demo.uds = {{QStringLiteral("11144477735"), QStringLiteral("CLIENTE DEMO"), 12.5, false, {}}};
    FakePartners::ClubCustomer customer;
    customer.document = QStringLiteral("11144477735");
    demo.clubCustomers = {customer};
    BalanceServers::serve(*partners);
    HostLog::write(QStringLiteral("parceiros simulados em http://127.0.0.1:%1").arg(partners->port()));
    return partners;
}

// Writing a site, replaying a script and taking a screenshot need no one at a screen: on a
// machine without a display they draw off screen instead of failing to open one.
void drawOffScreenWhenNoDisplay(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char *headless : {"--init-site", "--script", "--screenshot"})
            if (arg == headless || arg.startsWith(QByteArray(headless) + '=')) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
                return;
            }
    }
}

} // namespace

// The sessions on the base close while Qt is still up, not in the static destructors.
struct SessionsClosed
{
    ~SessionsClosed()
    {
        HostDatabase::reset();
        setRdmVendaCons(nullptr);
    }
};

int main(int argc, char *argv[])
{
    drawOffScreenWhenNoDisplay(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vendacons-host"));
    const SessionsClosed sessionsClosed;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in host of the VendaCons sale screen."));
    parser.addHelpOption();
    const QCommandLineOption initSiteOption(QStringLiteral("init-site"), QStringLiteral("Write a demo site into DIR."), QStringLiteral("DIR"));
    const QCommandLineOption siteOption(QStringLiteral("site"), QStringLiteral("Run on the site in DIR."), QStringLiteral("DIR"));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QStringLiteral("Save the sale screen after start-up to FILE (PNG) and exit."), QStringLiteral("FILE"));
    const QCommandLineOption scriptOption(QStringLiteral("script"), QStringLiteral("Replay the steps of FILE on the sale screen and exit."), QStringLiteral("FILE"));
    const QCommandLineOption deskOption(QStringLiteral("desk"), QStringLiteral("With --init-site: the desk number of the till (CDCAIXA), 001 by default. Against a base that already holds the demo branch (VENDACONS_DB) only this desk's row is added."), QStringLiteral("NNN"), DemoSite::CDCAIXA);
    const QCommandLineOption tillOption(QStringLiteral("till"), QStringLiteral("With --init-site: the fiscal document of the desk, ecf (simulated fiscal printer, the default), nfce, sat or nf (non-fiscal receipts only)."), QStringLiteral("KIND"), QStringLiteral("ecf"));
    const QCommandLineOption partnersPortOption(QStringLiteral("partners-port"), QStringLiteral("With --init-site: the port on 127.0.0.1 the site's partner stand-ins serve on (default %1).").arg(DemoSite::DefaultPartnersPort), QStringLiteral("PORT"), QString::number(DemoSite::DefaultPartnersPort));
    parser.addOptions({initSiteOption, tillOption, partnersPortOption, deskOption, siteOption, screenshotOption, scriptOption});
    parser.process(app);

    // The host's tables must be known before the data module first connects.
    HostSchema::registerTables();
    if (parser.isSet(initSiteOption))
        return initSite(parser.value(initSiteOption), parser.value(tillOption), parser.value(partnersPortOption),
                        parser.value(deskOption));
    if (parser.isSet(siteOption) && !useSite(parser.value(siteOption)))
        return 1;

    HostPackages::install();
    std::unique_ptr<ScriptRunner> runner;
    if (parser.isSet(screenshotOption) || parser.isSet(scriptOption)) {
        std::optional<QList<HostScript::Step>> steps = parser.isSet(scriptOption)
            ? loadScript(parser.value(scriptOption))
            : std::optional(screenshotSteps(parser.value(screenshotOption)));
        if (!steps)
            return 1;
        // Nobody is at the screen: dialogs and messages answer from the script, never wait.
        ScriptedAnswers::setUnattended(true);
        HostPackages::installUnattendedMessages();
        runner = std::make_unique<ScriptRunner>(*steps, QDir::current());
        runner->start();
    }
    // A sale the till was stopped in the middle of is ended before the first new one: its open
    // receipt would make the printer refuse every new sale.
    StartupRecovery::recoverOpenReceipt([](const QString &text) {
        Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Warning, QString(),
                              QString(), 0);
    });
    // The simulated card program runs beside the screen, serving its exchange folders.
    CardProgram cardProgram;
    const std::unique_ptr<FakePartners> partners = startPartners();
    return runScreen(runner.get());
}
