#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <any>
#include <functional>
#include <type_traits>
#include <variant>

// Recording fakes of both host packages. While a FakeHost lives, `hostServices()` and
// `hostDevices()` are tables whose every routine records its call (name, request, datasets)
// and answers from a per-routine script: queued answers first, then a standing answer, then
// the package's own default (cancelled / "serviço não instalado"). Destroying the FakeHost
// puts the previous tables back.
//
//     FakeHost host;
//     host.script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "3"});
//     ... run the handler ...
//     EXPECT_EQ(host.routines(), QStringList({"VerificaAcesso", "TecladoNumerico"}));
//     EXPECT_EQ(host.last(&Pkg_Hrk00002::TecladoNumerico).maxLength, 10);
class FakeHost
{
public:
    struct Call
    {
        QString routine;
        std::any request;                        // the routine's request struct, if it has one
        QList<const ClientDataSet *> datasets;   // the datasets passed, in order
        QList<int> rowCounts;                    // the rows each held when the call was made
    };

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost &) = delete;
    FakeHost &operator=(const FakeHost &) = delete;

    // Queues one answer for the next unanswered call of the routine.
    template <class Table, class R, class... Args>
    void script(std::function<R(Args...)> Table::*member, std::type_identity_t<R> answer)
    {
        slot(member).queue.append(std::any(std::move(answer)));
    }

    // The answer of every call once the queue is empty.
    template <class Table, class R, class... Args>
    void setDefault(std::function<R(Args...)> Table::*member, std::type_identity_t<R> answer)
    {
        slot(member).fallback = std::any(std::move(answer));
    }

    // Runs `handler` for every call of the routine (for answers that fill datasets); calls are
    // still recorded.
    template <class Table, class R, class... Args>
    void handle(std::function<R(Args...)> Table::*member,
                std::type_identity_t<std::function<R(Args...)>> handler)
    {
        slot(member).handler = std::any(std::move(handler));
    }

    // Every call of both packages, in order.
    const QList<Call> &calls() const { return m_calls; }
    QStringList routines() const;
    void clear() { m_calls.clear(); }

    // The typed requests of one routine, in call order.
    template <class Table, class R, class... Args>
    auto requests(std::function<R(Args...)> Table::*member) const
    {
        using Request = typename FirstRequest<Args...>::type;
        QList<Request> found;
        const QString name = nameOf(member);
        for (const Call &call : m_calls) {
            if (call.routine == name)
                found.append(requestOf<Request>(call));
        }
        return found;
    }

    template <class Table, class R, class... Args>
    int count(std::function<R(Args...)> Table::*member) const
    {
        return requests(member).size();
    }

    // The request of the last call of the routine; a default request when it was not called.
    template <class Table, class R, class... Args>
    auto last(std::function<R(Args...)> Table::*member) const
    {
        const auto found = requests(member);
        using Request = typename decltype(found)::value_type;
        return found.isEmpty() ? Request{} : found.last();
    }

    // The datasets of the last call of the routine.
    template <class Table, class R, class... Args>
    QList<const ClientDataSet *> lastDatasets(std::function<R(Args...)> Table::*member) const
    {
        const QString name = nameOf(member);
        for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it) {
            if (it->routine == name)
                return it->datasets;
        }
        return {};
    }

    // The rows each dataset of the last call held when it was made (the datasets themselves
    // may have been emptied since, by the reset that follows a save).
    template <class Table, class R, class... Args>
    QList<int> lastRowCounts(std::function<R(Args...)> Table::*member) const
    {
        const QString name = nameOf(member);
        for (auto it = m_calls.crbegin(); it != m_calls.crend(); ++it) {
            if (it->routine == name)
                return it->rowCounts;
        }
        return {};
    }

private:
    struct Slot
    {
        QString name;
        QList<std::any> queue;
        std::any fallback;
        std::any handler;
    };

    // The request type of a routine: its first `const T &` argument (datasets are non-const
    // references); std::monostate for a routine without one.
    template <class... Args>
    struct FirstRequest
    {
        using type = std::monostate;
    };
    template <class A, class... Rest>
    struct FirstRequest<A, Rest...>
    {
        static constexpr bool isRequest = std::is_const_v<std::remove_reference_t<A>>;
        using type = std::conditional_t<isRequest, std::remove_cvref_t<A>,
                                        typename FirstRequest<Rest...>::type>;
    };

    template <class Request>
    static Request requestOf(const Call &call)
    {
        if (const auto *request = std::any_cast<Request>(&call.request))
            return *request;
        return Request{};
    }

    template <class Table, class Member>
    static const void *keyOf(Member Table::*member)
    {
        return &(Table::current().*member);
    }

    template <class Table, class Member>
    Slot &slot(Member Table::*member)
    {
        return m_slots[keyOf(member)];
    }

    template <class Table, class Member>
    QString nameOf(Member Table::*member) const
    {
        return m_slots.value(keyOf(member)).name;
    }

    // A struct of dataset references (PaymentDatasets, ClosingDatasets, ...).
    template <class T>
    static constexpr bool isDatasetGroup()
    {
        if constexpr (std::is_same_v<std::remove_cv_t<T>, ClientDataSet>)
            return false;
        else
            return requires(const T &group) { group.list(); };
    }

    template <class T>
        requires(isDatasetGroup<T>())
    static void collect(Call &call, T &group)
    {
        for (const ClientDataSet *dataset : group.list()) {
            call.datasets.append(dataset);
            call.rowCounts.append(dataset->Active() ? dataset->RecordCount() : 0);
        }
    }
    static void collect(Call &call, ClientDataSet &dataset)
    {
        call.datasets.append(&dataset);
        call.rowCounts.append(dataset.Active() ? dataset.RecordCount() : 0);
    }
    template <class T>
        requires(!isDatasetGroup<T>())
    static void collect(Call &call, const T &request)
    {
        if (!call.request.has_value())
            call.request = request;
    }

    // Replaces one member of the installed table by a recorder around its default.
    template <class Table, class R, class... Args>
    void wrap(std::function<R(Args...)> Table::*member, const char *name)
    {
        const void *key = keyOf(member);
        m_slots[key].name = QString::fromLatin1(name);
        std::function<R(Args...)> fallback = Table::current().*member;
        Table::current().*member = [this, key, fallback](Args... args) -> R {
            Call call{m_slots[key].name, {}, {}};
            (collect(call, args), ...);
            m_calls.append(call);
            return answer<R, Args...>(m_slots[key], fallback, args...);
        };
    }

    template <class R, class... Args>
    static R answer(Slot &slot, const std::function<R(Args...)> &fallback, Args... args)
    {
        if (slot.handler.has_value())
            return std::any_cast<std::function<R(Args...)> &>(slot.handler)(args...);
        if (!slot.queue.isEmpty())
            return std::any_cast<R>(slot.queue.takeFirst());
        if (slot.fallback.has_value())
            return std::any_cast<R>(slot.fallback);
        return fallback(args...);
    }

    void wrapAll();

    ScopedHostServices m_services;
    ScopedHostDevices m_devices;
    QHash<const void *, Slot> m_slots;
    QList<Call> m_calls;
};
