#include "gui/Registry.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tarnwick {

namespace {

#ifdef Q_OS_WIN
HKEY ToHkey(Registry::KeyHandle handle) {
    // Predefined roots such as HKEY_LOCAL_MACHINE are sign-extended 32-bit values.
    if (handle <= 0xFFFFFFFFu)
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(handle)));
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(handle));
}

class WindowsRegistry : public Registry {
public:
    std::optional<KeyHandle> OpenKey(KeyHandle root, const QByteArray& keyName,
                                     quint32 access) override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(ToHkey(root), keyName.constData(), 0, access, &key) != ERROR_SUCCESS)
            return std::nullopt;
        return static_cast<KeyHandle>(reinterpret_cast<ULONG_PTR>(key));
    }

    std::optional<Value> QueryValue(KeyHandle key, const QByteArray& valueName,
                                    quint32 bufferSize) override {
        QByteArray buffer(qsizetype(bufferSize), '\0');
        DWORD type = 0;
        DWORD size = bufferSize;
        if (RegQueryValueExA(ToHkey(key), valueName.constData(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        buffer.truncate(qsizetype(size));
        return Value{type, buffer};
    }

    void CloseKey(KeyHandle key) override { RegCloseKey(ToHkey(key)); }
};
#else
class AbsentRegistry : public Registry {
public:
    std::optional<KeyHandle> OpenKey(KeyHandle, const QByteArray&, quint32) override {
        return std::nullopt;
    }
    std::optional<Value> QueryValue(KeyHandle, const QByteArray&, quint32) override {
        return std::nullopt;
    }
    void CloseKey(KeyHandle) override {}
};
#endif

} // namespace

std::unique_ptr<Registry> CreateSystemRegistry() {
#ifdef Q_OS_WIN
    return std::make_unique<WindowsRegistry>();
#else
    return std::make_unique<AbsentRegistry>();
#endif
}

} // namespace tarnwick
