// Makes a registry key of the test prefix read-only for everyone for a while
// (a real refusal of writes), and gives everyone full access again after.
#pragma once
#include <windows.h>
#include <sddl.h>

class ReadOnlyKey {
public:
    explicit ReadOnlyKey(HKEY root, const char* path) {
        HKEY created = nullptr;
        if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr) == ERROR_SUCCESS)
            RegCloseKey(created);
        // The owner may always change the key's access list.
        ok_ = RegOpenKeyExA(root, path, 0, READ_CONTROL | WRITE_DAC, &key_) == ERROR_SUCCESS &&
              Apply("D:P(A;;KR;;;WD)");
    }
    ~ReadOnlyKey() {
        if (!key_) return;
        Apply("D:(A;;KA;;;WD)");
        RegCloseKey(key_);
    }
    bool Ok() const { return ok_; }

private:
    bool Apply(const char* sddl) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
        bool done = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        LocalFree(sd);
        return done;
    }
    HKEY key_ = nullptr;
    bool ok_ = false;
};
