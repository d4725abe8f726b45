#pragma once
// A stand-in for the command-line FTP client, for the runner's tests: a shell
// script that records each run (arguments, working folder, the mode and name
// of its standard input, the script bytes it read, whether the password
// shows on any command line) under runs/N/, then plays the node:
//   listing file present:  copies it to the file the script's "dir >" names
//                          (listing.HOST instead, when there is one for the host);
//   "hang" present:        never ends (its pid in runs/N/pid).
#include "ScratchDir.h"

#include <string>
#include <sys/stat.h>

class CFakeFtpClient {
public:
    // strSecret is looked for on every command line while the fake runs.
    explicit CFakeFtpClient(const std::string& strSecret) {
        std::filesystem::create_directories(m_dir.File("runs"));
        CScratchDir::Write(m_dir.File("secret-pattern"), strSecret + "\n");
        const std::string& d = m_dir.Dir();
        std::string strScript = "#!/bin/sh\n"
                                "n=$(cat '" +
                                d +
                                "runs/count' 2>/dev/null || echo 0); n=$((n+1))\n"
                                "echo $n > '" +
                                d +
                                "runs/count'\n"
                                "R='" +
                                d +
                                "runs/'$n; mkdir -p \"$R\"\n"
                                "printf '%s\\n' \"$@\" > \"$R/args\"\n"
                                "pwd > \"$R/cwd\"\n"
                                "stat -L -c '%a' /proc/self/fd/0 > \"$R/stdin-mode\"\n"
                                "readlink /proc/self/fd/0 > \"$R/stdin-path\"\n"
                                "cat > \"$R/script\"\n"
                                "grep -l -a -F -f '" +
                                d +
                                "secret-pattern' /proc/[0-9]*/cmdline "
                                "> \"$R/secret-seen\" 2>/dev/null\n"
                                "L=$(sed -n 's/^dir > //p' \"$R/script\")\n"
                                "for a in \"$@\"; do H=$a; done\n"
                                "F='" +
                                d +
                                "listing'; if [ -f \"$F.$H\" ]; then F=\"$F.$H\"; fi\n"
                                "if [ -f \"$F\" ] && [ -n \"$L\" ]; then cp \"$F\" \"./$L\"; "
                                "fi\n"
                                "if [ -f '" +
                                d +
                                "hang' ]; then echo $$ > \"$R/pid\"; exec sleep 600; fi\n"
                                "exit 0\n";
        CScratchDir::Write(Program(), strScript);
        ::chmod(Program().c_str(), 0700);
    }

    std::string Program() const { return m_dir.File("fake-ftp"); }
    // What the fake writes as the node's listing; none: it writes no listing.
    void SetListing(const std::string& strListing) {
        CScratchDir::Write(m_dir.File("listing"), strListing);
    }
    // The listing of one host (the client's last argument) only.
    void SetListingFor(const std::string& strHost, const std::string& strListing) {
        CScratchDir::Write(m_dir.File("listing." + strHost), strListing);
    }
    void ClearListing() { std::filesystem::remove(m_dir.File("listing")); }
    void SetHang() { CScratchDir::Write(m_dir.File("hang"), ""); }

    int Runs() const {
        std::string str = CScratchDir::Read(m_dir.File("runs/count"));
        return str.empty() ? 0 : std::stoi(str);
    }
    // A file the fake wrote about run n (1-based), e.g. "script", "args".
    std::string Run(int n, const std::string& strFile) const {
        return CScratchDir::Read(m_dir.File("runs/" + std::to_string(n) + "/" + strFile));
    }

private:
    CScratchDir m_dir;
};
