#include "fakehost.h"

FakeHost::FakeHost()
    : m_services(Pkg_Hrk00002{}), m_devices(Pkg_Hrk00001{})
{
    wrapAll();
}

FakeHost::~FakeHost() = default;

void FakeHost::wrapAll()
{
#define FAKE_WRAP_SERVICE(name) wrap(&Pkg_Hrk00002::name, #name);
    PKG_HRK00002_ROUTINES(FAKE_WRAP_SERVICE)
#undef FAKE_WRAP_SERVICE
#define FAKE_WRAP_DEVICE(name) wrap(&Pkg_Hrk00001::name, #name);
    PKG_HRK00001_ROUTINES(FAKE_WRAP_DEVICE)
#undef FAKE_WRAP_DEVICE
}

QStringList FakeHost::routines() const
{
    QStringList names;
    for (const Call &call : m_calls)
        names.append(call.routine);
    return names;
}
