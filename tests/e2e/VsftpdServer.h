#pragma once
// A real FTP server for the end-to-end tests: vsftpd on port 21 of one node
// address in the node segment's namespace, with its configuration, folder and
// log in the test's own directory. Its account lives only in vsftpd's private
// mount namespace, on private copies of /etc/passwd, /etc/shadow and /etc/group;
// the machine's own files stay as they are.
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

struct SVsftpdOptions {
    std::string strAddress; // the node address it listens on
    std::string strUser = "user";
    std::string strPassword = "secret";
    bool bPassive = true; // answers PASV/EPSV
    bool bActive = true;  // answers PORT/EPRT
};

class CVsftpd {
public:
    // dir: a fresh directory of the test inside $MRVT_DIR.
    CVsftpd(std::filesystem::path dir, SVsftpdOptions options);
    ~CVsftpd();
    CVsftpd(const CVsftpd&) = delete;
    CVsftpd& operator=(const CVsftpd&) = delete;

    // Starts it in the segment namespace and waits until it takes connections.
    bool Start(std::string& strError);

    // The account's folder: what the server lists and stores into.
    const std::filesystem::path& Folder() const { return m_folder; }
    // A file in the folder, owned by the account.
    void AddFile(const std::string& strName, const std::string& strData, mode_t mode = 0644);
    // The account can no longer create or remove files in its folder.
    void ProtectFolder();
    // The command lines the server received, in order, as it logged them
    // ("STOR TESTAPP.mot"; a password shows as "PASS <password>").
    std::vector<std::string> Commands() const;
    // What vsftpd itself printed (its "500 OOPS" reasons), for failure messages.
    std::string Output() const;

private:
    void Stop();

    std::filesystem::path m_dir;
    std::filesystem::path m_folder;
    SVsftpdOptions m_options;
    uid_t m_uid = 0;
    pid_t m_pid = -1;
};
