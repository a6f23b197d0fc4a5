// A folder of one test below the system's temporary folder, made by the
// host's own CreatePrivateFolder, removed with everything in it at scope exit.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "host/PrivateFolder.h"

class HostFolder {
public:
    // Throws when no folder can be made, so no test writes into one it does not own.
    HostFolder() {
        std::string error;
        m_path = mivo_host::CreatePrivateFolder(std::filesystem::temp_directory_path(), "mivo-host-test-", error);
        if (m_path.empty()) throw std::runtime_error(error);
    }
    ~HostFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    HostFolder(const HostFolder&) = delete;
    HostFolder& operator=(const HostFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};
