#pragma once

#include "Registry.h"

#include <map>

namespace tarnwick {

// A registry of values held in memory. Like the real one, a query into a buffer too small
// for the value fails.
class InMemoryRegistry : public Registry {
public:
    void SetValue(const QByteArray& keyName, const QByteArray& valueName, quint32 type,
                  const QByteArray& bytes) {
        Keys[keyName][valueName] = Value{type, bytes};
    }

    std::optional<KeyHandle> OpenKey(KeyHandle root, const QByteArray& keyName,
                                     quint32 access) override {
        // Keys open only under the local-machine root and with all access, as asked for.
        if (root != LocalMachine || access != AllAccess || !Keys.count(keyName))
            return std::nullopt;
        const KeyHandle handle = NextHandle++;
        OpenHandles[handle] = keyName;
        return handle;
    }

    std::optional<Value> QueryValue(KeyHandle key, const QByteArray& valueName,
                                    quint32 bufferSize) override {
        const auto& values = Keys.at(OpenHandles.at(key));
        const auto found = values.find(valueName);
        if (found == values.end() || quint32(found->second.Bytes.size()) > bufferSize)
            return std::nullopt;
        return found->second;
    }

    void CloseKey(KeyHandle key) override { OpenHandles.erase(key); }

    std::size_t OpenKeyCount() const { return OpenHandles.size(); }

private:
    std::map<QByteArray, std::map<QByteArray, Value>> Keys;
    std::map<KeyHandle, QByteArray> OpenHandles;
    KeyHandle NextHandle = 1;
};

} // namespace tarnwick
