#include "gui/Application.h"

#include "core/Version.h"

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(tarnwick);
}

namespace tarnwick {

QIcon ApplicationIcon() {
    static const bool registered = (RegisterIconResources(), true);
    Q_UNUSED(registered);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/tarnwick-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/tarnwick-32.png"), QSize(32, 32));
    return icon;
}

QString ApplicationVersionText() {
    return QStringLiteral("Version %1.%2.%3").arg(VersionMajor).arg(VersionMinor).arg(VersionPatch);
}

} // namespace tarnwick
