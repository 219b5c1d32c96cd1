// The host installs every routine the package declares: none is left to the package's
// default, which would only log "serviço não instalado" and answer a failure.
#include <host/program/hostpackages.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <gtest/gtest.h>

namespace {

TEST(HostPackages, InstallsEveryRoutineOfBothTables)
{
    const ScopedHostServices services{Pkg_Hrk00002()};
    const ScopedHostDevices devices{Pkg_Hrk00001()};
    HostPackages::install();

    // A routine still holding its default holds the very callable type the default made.
    const Pkg_Hrk00002 serviceDefaults;
    const Pkg_Hrk00001 deviceDefaults;
    QStringList keptDefault;
#define KEPT_SERVICE(name) \
    if (hostServices().name.target_type() == serviceDefaults.name.target_type()) \
        keptDefault << QStringLiteral(#name);
#define KEPT_DEVICE(name) \
    if (hostDevices().name.target_type() == deviceDefaults.name.target_type()) \
        keptDefault << QStringLiteral(#name);
    PKG_HRK00002_ROUTINES(KEPT_SERVICE)
    PKG_HRK00001_ROUTINES(KEPT_DEVICE)
#undef KEPT_SERVICE
#undef KEPT_DEVICE

    EXPECT_EQ(keptDefault, QStringList());
}

} // namespace
