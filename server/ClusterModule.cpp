#include "ClusterModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace ClusterModule {

namespace {
QStringList places()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QString file = QStringLiteral("/korvani-cluster.so");
    return {program + file,
            QDir::cleanPath(program + QLatin1Char('/') + QStringLiteral(KORVANI_CLUSTER_MODULE_FROM_PROGRAM)) + file};
}
} // namespace

RoomLink *createLink(const QStringList &urls, RoomLinkEvents *events, const Log &log, QString *error)
{
    QString loadErrors;
    for (const QString &place : places()) {
        // Never unloaded: the link lives in the module.
        QLibrary module(place);
        if (const auto create = reinterpret_cast<CreateLink>(module.resolve(CreateLinkSymbol)))
            return create(urls, events, log, error);
        loadErrors += QStringLiteral("; ") + module.errorString();
    }
    *error = QStringLiteral("cannot load the cluster module korvani-cluster.so (built only where libnats-dev is "
                            "installed)")
        + loadErrors;
    return nullptr;
}

} // namespace ClusterModule
