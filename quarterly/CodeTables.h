#pragma once

#include <QString>

namespace tarnwick {

// The descriptive text of a fuel or unit type code. The code is compared whole, exactly and
// case-sensitively; a code that is not in the table is returned unchanged.
QString FuelTypeName(const QString& code);
QString UnitTypeName(const QString& code);

} // namespace tarnwick
