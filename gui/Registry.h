#pragma once

#include <QByteArray>
#include <memory>
#include <optional>

namespace tarnwick {

// The few registry calls the About box makes, so the lookup can run over an in-memory
// registry in tests. Key names and value names are 8-bit text in the system code page.
class Registry {
public:
    using KeyHandle = quint64;

    static constexpr KeyHandle LocalMachine = 0x80000002; // HKEY_LOCAL_MACHINE
    static constexpr quint32 AllAccess = 0x2003F;         // KEY_ALL_ACCESS
    static constexpr quint32 TextType = 1;                // REG_SZ
    static constexpr quint32 ExpandableTextType = 2;      // REG_EXPAND_SZ
    static constexpr quint32 NumberType = 4;              // REG_DWORD

    struct Value {
        quint32 Type = 0;
        QByteArray Bytes; // exactly the bytes the query wrote
    };

    virtual ~Registry() = default;
    virtual std::optional<KeyHandle> OpenKey(KeyHandle root, const QByteArray& keyName,
                                             quint32 access) = 0;
    // Reads a value into a buffer of `bufferSize` bytes; nullopt when the query fails.
    virtual std::optional<Value> QueryValue(KeyHandle key, const QByteArray& valueName,
                                            quint32 bufferSize) = 0;
    virtual void CloseKey(KeyHandle key) = 0;
};

// The platform's registry; on a platform without one, every key fails to open.
std::unique_ptr<Registry> CreateSystemRegistry();

} // namespace tarnwick
