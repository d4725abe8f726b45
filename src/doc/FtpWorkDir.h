#pragma once
#include <cstddef>
#include <optional>
#include <string>

// The working folder of the client and of its script: ours only (0700),
// named after our process so that a later start can tell a dead run's
// folder, and removed with everything in it, so the listing file never
// meets a file of the operator's.
class CFtpWorkDir {
public:
    CFtpWorkDir();
    ~CFtpWorkDir();
    CFtpWorkDir(const CFtpWorkDir&) = delete;
    CFtpWorkDir& operator=(const CFtpWorkDir&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return m_strDir; }
    std::string File(const std::string& strName) const { return m_strDir + "/" + strName; }

    // A file the client wrote, read whole up to nMax bytes; none when it is
    // missing, not a plain file, or a link.
    std::optional<std::string> Read(const std::string& strName, size_t nMax) const;

private:
    std::string m_strDir;
};
