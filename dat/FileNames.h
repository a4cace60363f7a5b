#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tarnwick {

// File names as the system stores them. On Unix a name is bytes: a byte that is not part of
// valid UTF-8 is kept as the lone surrogate U+DC00 + byte (which no valid UTF-8 decodes to),
// so the name can be shown and opened again by its exact bytes.
QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(const QString& name);

// The order of a folder's files and of a zip's members: by name without regard to case, then
// with it, so the order is total.
bool FileNameLess(const QString& a, const QString& b);

} // namespace tarnwick
