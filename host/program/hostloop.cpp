#include "hostloop.h"

#include <host/dialogs/dialogs.h>
#include "hostlog.h"
#include <host/site/tablesales.h>

#include <outside/ravuvozozod.h>
#include <runtime/clock.h>

#include <runtime/cdsfile.h>
#include <runtime/sitepaths.h>

namespace HostLoop {

QList<Variant> CallArguments::toParams() const
{
    return {nrVendaRest, nrComandaExib, cdCliente, nrMesa, nrComanda, cdVendedor, mode, cdConsumidor, flag, idRetBalLoja};
}

QString modeForKeyword(const QString &keyword)
{
    if (keyword == QLatin1String("VENDA_MESA"))
        return QStringLiteral("M");
    if (keyword == QLatin1String("VENDA_COMANDA"))
        return QStringLiteral("C");
    if (keyword == QLatin1String("VENDA_DELIVERY"))
        return QStringLiteral("D");
    return QString();
}

Outcome run(const Entry &entry, const Chooser &choose, const StopCheck &stop, const OpenedCheck &opened)
{
    Outcome outcome;
    CallArguments next;
    int failuresInRow = 0;
    for (;;) {
        const QString keyword = entry(next);
        ++outcome.calls;
        outcome.keywords.append(keyword);
        HostLog::write(QStringLiteral("a tela de venda (modo %1) devolveu \"%2\"").arg(next.mode, keyword));
        if (const std::optional<int> code = stop ? stop() : std::nullopt) {
            outcome.exitCode = *code;
            return outcome;
        }
        if (keyword == QLatin1String("FECHA_SISTEMA"))
            return outcome;
        const QString mode = modeForKeyword(keyword);
        if (mode.isEmpty()) {
            // "ERRO_SISTEMA" or a keyword no closing road sets.
            if (opened && !opened()) {
                outcome.exitCode = 2;
                outcome.message = QStringLiteral("a tela de venda não abriu (\"%1\"); o host para aqui. "
                                                 "Veja a mensagem acima.")
                                      .arg(keyword);
                return outcome;
            }
            if (++failuresInRow >= 2) {
                outcome.exitCode = 2;
                outcome.message = QStringLiteral("a tela de venda falhou duas vezes seguidas (\"%1\"); o host para aqui. "
                                                 "Veja as mensagens acima.")
                                      .arg(keyword);
                return outcome;
            }
            next = CallArguments();
            continue;
        }
        failuresInRow = 0;
        const std::optional<CallArguments> chosen = choose ? choose(mode) : std::nullopt;
        next = chosen ? *chosen : CallArguments();
    }
}

namespace {

// The till's branch, store and default client (the client of a new table) from the
// parameter file.
TableSales::Place placeOfTill(const QString &mode, const QString &number)
{
    DataPacket parameters;
    CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters);
    auto value = [&parameters](const char *name) { return parameters.value(0, QString::fromLatin1(name)).toString(); };
    return {value("CDFILIAL"), value("CDLOJA"), value("CDCLIENTE"), mode, number};
}

void tellOperator(const QString &text)
{
    HostLog::write(text);
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), Ravuvozozod::Error, QString(),
                          QString(), 0);
}

} // namespace

std::optional<CallArguments> askNumber(const QString &mode)
{
    KeypadRequest request;
    request.title = QStringLiteral("VendaCons");
    request.prompt = mode == QLatin1String("M")   ? QStringLiteral("Número da mesa:")
                     : mode == QLatin1String("C") ? QStringLiteral("Número da comanda:")
                                                  : QStringLiteral("Número do pedido de entrega:");
    request.maxLength = 6;
    const KeypadAnswer answer = Dialogs::TecladoNumerico(request);
    if (!answer.confirmed || answer.value.trimmed().isEmpty())
        return std::nullopt;
    // The screen writes its orders into an open sale: find the table's or tab's, or open one.
    const TableSales::Place place = placeOfTill(mode, answer.value.trimmed());
    const TableSales::OpenSale sale = TableSales::findOrOpen(place, Clock::now());
    if (!sale.ok()) {
        tellOperator(QStringLiteral("Não foi possível abrir a venda de %1 %2: %3")
                         .arg(mode == QLatin1String("M") ? QStringLiteral("mesa") : QStringLiteral("comanda"),
                              place.number, sale.error));
        return std::nullopt;
    }
    CallArguments arguments;
    arguments.mode = mode;
    arguments.cdCliente = place.CDCLIENTE;
    arguments.nrVendaRest = sale.NRVENDAREST;
    arguments.nrComanda = sale.NRCOMANDA;
    arguments.nrMesa = sale.NRMESA;
    if (mode != QLatin1String("M"))
        arguments.nrComandaExib = sale.DSCOMANDA;
    return arguments;
}

} // namespace HostLoop
