#include "hostloop.h"

#include "dialogs.h"
#include "hostlog.h"

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

Outcome run(const Entry &entry, const Chooser &choose, const StopCheck &stop)
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

// The site's default client (CDCLIENTE of the parameter file), the client of a new table.
QString defaultClient()
{
    DataPacket parameters;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters))
        return QString();
    return parameters.value(0, QStringLiteral("CDCLIENTE")).toString();
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
    CallArguments arguments;
    arguments.mode = mode;
    arguments.cdCliente = defaultClient();
    const QString number = answer.value.trimmed();
    if (mode == QLatin1String("M"))
        arguments.nrMesa = number;
    else
        arguments.nrComanda = arguments.nrComandaExib = number;
    return arguments;
}

} // namespace HostLoop
