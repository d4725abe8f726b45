#pragma once
// A stand-in for the command-line client (tnftp), for the runner's tests: a
// shell script that records each run (arguments, working folder, the mode and
// name of its standard input, the script bytes it read, whether the password
// shows on any command line) under runs/N/, then plays the client's side of
// a session as tnftp prints it:
//   "Connected to HOST." first (unless SetUnreachable);
//   "lpwd":           "Local directory: " and the working folder;
//   "put", "del":     the server's reply set for the host, else for all
//                     (226 / 250 when none is set);
//   "dir . FILE":     the listing set for the host, else for all, copied to FILE;
//   "hang" present:   never ends (its pid in runs/N/pid).
#include "ScratchDir.h"

#include <string>
#include <sys/stat.h>

class CFakeFtpClient {
public:
    // strSecret is looked for on every command line while the fake runs.
    explicit CFakeFtpClient(const std::string& strSecret) {
        std::filesystem::create_directories(m_dir.File("runs"));
        CScratchDir::Write(m_dir.File("secret-pattern"), strSecret + "\n");
        const std::string d = "'" + m_dir.Dir() + "'";
        std::string strScript =
            "#!/bin/sh\n"
            "D=" +
            d +
            "\n"
            // Runs side by side each claim their number: mkdir is atomic.
            "n=1; while ! mkdir \"$D/runs/$n\" 2>/dev/null; do n=$((n+1)); done\n"
            "R=\"$D/runs/$n\"\n"
            "printf '%s\\n' \"$@\" > \"$R/args\"\n"
            "pwd > \"$R/cwd\"\n"
            "stat -L -c '%a' /proc/self/fd/0 > \"$R/stdin-mode\"\n"
            "readlink /proc/self/fd/0 > \"$R/stdin-path\"\n"
            "cat > \"$R/script\"\n"
            "grep -l -a -F -f \"$D/secret-pattern\" /proc/[0-9]*/cmdline "
            "> \"$R/secret-seen\" 2>/dev/null\n"
            "for a in \"$@\"; do H=$a; done\n"
            // The host's own file, else the common one.
            "pick() { if [ -f \"$D/$1.$H\" ]; then echo \"$D/$1.$H\"; else echo \"$D/$1\"; fi; }\n"
            "if [ -f \"$D/hang\" ]; then echo $$ > \"$R/pid\"; exec sleep 600; fi\n"
            "if [ -f \"$D/unreachable\" ]; then echo \"ftp: Can't connect to \\`$H:21': "
            "Connection refused\" >&2; else echo \"Connected to $H.\"; fi\n"
            "while IFS= read -r line; do\n"
            "  case \"$line\" in\n"
            "  lpwd) echo \"Local directory: $(pwd -P)\";;\n"
            "  put\\ *) F=$(pick put-reply); if [ -f \"$F\" ]; then cat \"$F\"; "
            "else echo '226 Transfer complete.'; fi;;\n"
            "  del\\ *) F=$(pick del-reply); if [ -f \"$F\" ]; then cat \"$F\"; "
            "else echo '250 DELE command successful.'; fi;;\n"
            "  dir\\ .\\ *) F=$(pick listing); if [ -f \"$F\" ]; then cp \"$F\" \"./${line#dir . "
            "}\"; "
            "fi;;\n"
            "  esac\n"
            "done < \"$R/script\"\n"
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
    // What the client prints after "put" (the server's replies, the client's
    // words), for every host or one ("" for all).
    void SetPutReply(const std::string& strLines, const std::string& strHost = "") {
        CScratchDir::Write(m_dir.File(strHost.empty() ? "put-reply" : "put-reply." + strHost),
                           strLines);
    }
    void SetDeleteReply(const std::string& strLines) {
        CScratchDir::Write(m_dir.File("del-reply"), strLines);
    }
    void SetUnreachable() { CScratchDir::Write(m_dir.File("unreachable"), ""); }
    void SetHang() { CScratchDir::Write(m_dir.File("hang"), ""); }

    int Runs() const {
        int n = 0;
        while (std::filesystem::is_directory(m_dir.File("runs/" + std::to_string(n + 1)))) {
            ++n;
        }
        return n;
    }
    // A file the fake wrote about run n (1-based), e.g. "script", "args".
    std::string Run(int n, const std::string& strFile) const {
        return CScratchDir::Read(m_dir.File("runs/" + std::to_string(n) + "/" + strFile));
    }

private:
    CScratchDir m_dir;
};
