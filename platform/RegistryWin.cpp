// The real registry of the current user, through the Windows API. Keys are
// opened with KEY_READ only; nothing here writes.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kv4 {

namespace {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Unpaired surrogates become U+FFFD.
std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

class WindowsRegistryReader final : public RegistryReader {
  public:
    WindowsRegistryReader() = default;
    ~WindowsRegistryReader() override { CloseKey(); }
    WindowsRegistryReader(const WindowsRegistryReader&) = delete;
    WindowsRegistryReader& operator=(const WindowsRegistryReader&) = delete;

    bool OpenKey(const std::string& path) override {
        CloseKey();
        // An empty sub-key name opens a new handle to HKEY_CURRENT_USER itself.
        const std::wstring wide = WideFromUtf8(path);
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        key_ = key;
        return true;
    }

    std::vector<std::string> GetKeyNames() override {
        std::vector<std::string> names;
        if (key_ == nullptr) return names;
        DWORD count = 0;
        DWORD maxLength = 0;
        if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &count, &maxLength, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            return names;
        }
        names.reserve(count);
        // Key names are at most 255 characters; the reported maximum may grow
        // while we list, so take the larger.
        std::vector<wchar_t> buffer(std::max<DWORD>(maxLength, 255) + 1);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LSTATUS status = RegEnumKeyExW(key_, index, buffer.data(), &length, nullptr,
                                                 nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or a key gone meanwhile
            names.push_back(Utf8FromWide(buffer.data(), length));
        }
        return names;
    }

    std::string ReadString(const std::string& name) override {
        if (key_ == nullptr) return {};
        const std::wstring wideName = WideFromUtf8(name);
        DWORD type = 0;
        DWORD size = 0;
        LSTATUS status = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND) return {};
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError(InvalidDataTypeText(name));

        // The value may change between the calls: read until the buffer holds it.
        std::vector<wchar_t> buffer;
        for (;;) {
            buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
            DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
            status = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(buffer.data()), &bytes);
            if (status == ERROR_MORE_DATA) {
                size = bytes;
                continue;
            }
            if (status == ERROR_FILE_NOT_FOUND) return {};
            if (status != ERROR_SUCCESS) return {};
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                throw RegistryError(InvalidDataTypeText(name));
            }
            size = bytes;
            break;
        }
        // Stored strings need not end in NUL, and may hold more after one.
        const std::size_t chars = size / sizeof(wchar_t);
        std::size_t length = 0;
        while (length < chars && buffer[length] != L'\0') ++length;
        return Utf8FromWide(buffer.data(), length);
    }

    void CloseKey() override {
        if (key_ != nullptr) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

std::unique_ptr<RegistryReader> OpenUserRegistry() {
    return std::make_unique<WindowsRegistryReader>();
}

}  // namespace kv4
