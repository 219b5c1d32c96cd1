#include <QApplication>
#include <QDir>
#include <QLibrary>
#include <QTextStream>

namespace {

QString packagePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libvendacons.so"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream err(stderr);

    QLibrary package(packagePath());
    if (!package.load()) {
        err << "vendacons-host: cannot load the sale package: " << package.errorString() << '\n';
        return 1;
    }
    using VersionFunction = const char *(*)();
    auto version = reinterpret_cast<VersionFunction>(package.resolve("VendaConsPackageVersion"));
    if (!version) {
        err << "vendacons-host: " << packagePath() << " is not the sale package\n";
        return 1;
    }
    QTextStream(stdout) << "vendacons-host: loaded " << version() << '\n';
    return 0;
}
