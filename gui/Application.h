#pragma once

#include <QIcon>
#include <QString>

namespace tarnwick {

inline const QString ApplicationTitle = QStringLiteral("Tarnwick");

// The stack of three grey diskettes, in 16 x 16 and 32 x 32.
QIcon ApplicationIcon();

// "Version 1.1.0": major, minor and revision of the application, unpadded.
QString ApplicationVersionText();

} // namespace tarnwick
