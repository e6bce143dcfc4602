#include "tests/app/e2e/serial_port_map.h"

#include <windows.h>

namespace {

constexpr char kMapKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

}  // namespace

bool SerialPortMap::Replace(const std::vector<std::string>& portNames) {
    // ERROR_FILE_NOT_FOUND when there is no map yet, which is as good as an empty one.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMapKey);
    HKEY key = nullptr;
    // The device map lives in a volatile part of the registry, so the key must be volatile.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMapKey, 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool written = true;
    for (size_t i = 0; i < portNames.size(); ++i) {
        const std::string valueName = "\\Device\\Qx7Test" + std::to_string(i);
        const std::string& data = portNames[i];
        written = written && RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(data.c_str()),
                                            static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return written;
}
