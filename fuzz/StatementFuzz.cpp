// The statement parser over arbitrary statement texts.
#include "db/SqlStatement.h"

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const SqlStatement statement = ParseStatement(text);
        for (const ColumnLiteral& value : statement.Values)
            (void)value.Value.TextValue();
        for (const ColumnLiteral& condition : statement.Conditions)
            (void)condition.Value.TextValue();
    } catch (const Error&) {
    }
    return 0;
}
