// SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ServiceModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#else
#include <QLibrary>
#endif

namespace {

// The module's entry point, or nullptr with the loader's reason. Never unloaded: a relay it
// hands out runs its code. On Unix straight from the dynamic loader: QLibrary would first set up
// Qt's logging rules (reading their files) for its own debug output, which a status through the
// service would pay for on every run.
ServiceRoute::AttachFunction load(const QString &path, QString &error)
{
#if defined(Q_OS_UNIX)
    void *module = dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    void *entry = module ? dlsym(module, ServiceRoute::ATTACH_SYMBOL) : nullptr;
    if (!entry)
        error = QString::fromLocal8Bit(dlerror());
#else
    QLibrary module(path);
    QFunctionPointer entry = module.resolve(ServiceRoute::ATTACH_SYMBOL);
    if (!entry)
        error = module.errorString();
#endif
    return reinterpret_cast<ServiceRoute::AttachFunction>(entry);
}

QStringList candidates()
{
    const QDir here(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral(ZELVARINCTL_SERVICE_MODULE);
    return { here.filePath(name),
        QDir::cleanPath(here.filePath(QStringLiteral(ZELVARINCTL_SERVICE_MODULE_DIR "/") + name)) };
}

} // namespace

bool ServiceModule::attach(
    const ServiceRoute::Request &request, ServiceRoute::Answer &answer, QString &why)
{
    const QStringList paths = candidates();
    QStringList failures;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        QString error;
        const ServiceRoute::AttachFunction attachFunction = load(path, error);
        if (!attachFunction)
            failures << error;
        else if (attachFunction(ZELVARIN_VERSION, &request, &answer))
            return true;
        else
            failures << QStringLiteral("%1 is not of version %2")
                            .arg(path, QStringLiteral(ZELVARIN_VERSION));
    }
    if (failures.isEmpty())
        failures << QStringLiteral("%1 not found (looked for %2)")
                        .arg(QStringLiteral(ZELVARINCTL_SERVICE_MODULE),
                            paths.join(QStringLiteral(", ")));
    why = QStringLiteral("the service cannot be used, the box is opened directly: %1")
              .arg(failures.join(QStringLiteral("; ")));
    return false;
}
