#include "app/PlatformPlugins.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QStringList>

#include <algorithm>

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
    const auto provides = [&wanted](const QString& file) {
        const QJsonObject metaData = QPluginLoader(file).metaData();
        if (metaData.value(QLatin1String("IID")).toString() != platformInterface) {
            return false;
        }
        const QJsonArray keys =
            metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
        return std::any_of(keys.begin(), keys.end(), [&wanted](const QJsonValue& key) {
            return key.toString().compare(wanted, Qt::CaseInsensitive) == 0;
        });
    };
    for (const QString& folder : pluginFolders()) {
        const QDir directory(folder);
        // The plugin is usually named after its platform ("xcb": libqxcb.so); the others are read only
        // when it is not.
        const QString usual = directory.filePath(QLatin1String("libq") + wanted.toLower() + QLatin1String(".so"));
        if (QFile::exists(usual) && provides(usual)) {
            return true;
        }
        const QStringList files = directory.entryList(QDir::Files);
        if (std::any_of(files.begin(), files.end(),
                        [&](const QString& file) { return provides(directory.filePath(file)); })) {
            return true;
        }
    }
    return false;
}

} // namespace corvane
