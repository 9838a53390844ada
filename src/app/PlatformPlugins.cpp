#include "app/PlatformPlugins.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QStringList>

namespace corvane {
namespace {

const QLatin1String platformInterface("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3");

QStringList pluginFolders()
{
    QStringList folders;
    if (const QString explicitFolder = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !explicitFolder.isEmpty()) {
        folders.append(explicitFolder);
    }
    for (const QString& path : qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        folders.append(path + QLatin1String("/platforms"));
    }
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforms"));
    return folders;
}

} // namespace

bool platformPluginPresent(std::string_view platform)
{
    const QString wanted = QString::fromUtf8(platform.data(), static_cast<qsizetype>(platform.size()));
    for (const QString& folder : pluginFolders()) {
        const QDir directory(folder);
        for (const QString& file : directory.entryList(QDir::Files)) {
            const QJsonObject metaData = QPluginLoader(directory.filePath(file)).metaData();
            if (metaData.value(QLatin1String("IID")).toString() != platformInterface) {
                continue;
            }
            const QJsonArray keys =
                metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
            for (const auto& key : keys) {
                if (key.toString().compare(wanted, Qt::CaseInsensitive) == 0) {
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace corvane
