// The layers hold by construction: every source of src/ includes only headers
// of its own layer or the layers below it, nothing outside the GUI includes Qt,
// and the product holds no test double.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// From the ground up; res (texts only) is open to every layer above platform.
const std::vector<std::string> LAYERS = {"platform", "ui",  "params", "link", "registry",
                                         "doc",      "ops", "app",    "gui"};

// The two front ends stand side by side on app: cli (mrvctl) has the rank of
// gui, and neither includes the other.
int Rank(const std::string& strLayer) {
    auto it = std::find(LAYERS.begin(), LAYERS.end(), strLayer == "cli" ? "gui" : strLayer);
    return it == LAYERS.end() ? -1 : static_cast<int>(it - LAYERS.begin());
}

struct SInclude {
    std::string strFile; // relative to src/
    int nLine;
    std::string strHeader;
    bool bQuoted; // "..." names a header of ours; <...> a system or toolkit one
};

std::vector<SInclude> IncludesOf(const fs::path& root) {
    static const std::regex reInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<SInclude> vec;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string strExt = entry.path().extension().string();
        if (!entry.is_regular_file() || (strExt != ".cpp" && strExt != ".h")) {
            continue;
        }
        std::ifstream in(entry.path());
        std::string strLine;
        for (int nLine = 1; std::getline(in, strLine); ++nLine) {
            std::smatch match;
            if (std::regex_search(strLine, match, reInclude)) {
                vec.push_back({fs::relative(entry.path(), root).generic_string(), nLine, match[2],
                               match[1] == "\""});
            }
        }
    }
    return vec;
}

std::string Where(const SInclude& inc) {
    return inc.strFile + ":" + std::to_string(inc.nLine) + " includes " + inc.strHeader;
}

const fs::path SRC = fs::path(ORVIX_SOURCE_DIR) / "src";
} // namespace

namespace {
// Checks a tree laid out as src/ is; returns the offending includes.
std::vector<std::string> FindLayerViolations(const fs::path& root) {
    std::vector<std::string> vecBad;
    for (const SInclude& inc : IncludesOf(root)) {
        std::string strLayer = inc.strFile.substr(0, inc.strFile.find('/'));
        std::string strTarget = inc.strHeader.substr(0, inc.strHeader.find('/'));
        bool bQt = inc.strHeader[0] == 'Q' || inc.strHeader.rfind("Qt", 0) == 0 ||
                   inc.strHeader.rfind("ui_", 0) == 0;
        if (bQt && strLayer != "gui") {
            vecBad.push_back(Where(inc) + " (Qt outside gui/)");
        }
        if (!inc.bQuoted || inc.strHeader.find('/') == std::string::npos) {
            continue; // a system or toolkit header, or one beside the source
        }
        if (strTarget == "res") {
            if (strLayer == "platform") {
                vecBad.push_back(Where(inc) + " (platform holds no texts)");
            }
            continue;
        }
        int nFrom = Rank(strLayer);
        int nTo = Rank(strTarget);
        if (nFrom < 0 || nTo < 0) {
            if (strLayer != "res") {
                vecBad.push_back(Where(inc) + " (not a layer of src/)");
            }
            continue;
        }
        if (nTo > nFrom) {
            vecBad.push_back(Where(inc) + " (" + strTarget + "/ is above " + strLayer + "/)");
        } else if (nTo == nFrom && strTarget != strLayer) {
            vecBad.push_back(Where(inc) + " (" + strTarget + "/ and " + strLayer +
                             "/ are separate front ends)");
        }
    }
    return vecBad;
}
} // namespace

TEST(Layers, NoSourceIncludesAHigherLayerOrQtOutsideTheGui) {
    ASSERT_TRUE(fs::is_directory(SRC / "platform")) << SRC;
    std::vector<std::string> vecBad = FindLayerViolations(SRC);
    std::string strAll;
    for (const std::string& str : vecBad) {
        strAll += "\n  " + str;
    }
    EXPECT_TRUE(vecBad.empty()) << "includes against the layer order:" << strAll;
}

TEST(Layers, TheCheckSeesAnUpwardIncludeAQtIncludeAndTextsInPlatform) {
    fs::path root = fs::temp_directory_path() / ("orvix-layers-" + std::to_string(::getpid()));
    fs::create_directories(root / "link");
    fs::create_directories(root / "platform");
    fs::create_directories(root / "doc");
    std::ofstream(root / "link" / "Bad.cpp") << "#include \"link/Bad.h\"\n"
                                                "#include \"doc/OrvixDoc.h\"\n";
    std::ofstream(root / "platform" / "Bad.h") << "#include <QString>\n#include \"res/Texts.h\"\n";
    std::ofstream(root / "doc" / "Fine.cpp") << "#include \"link/Bad.h\"\n#include <vector>\n"
                                                "#include \"res/Texts.h\"\n";
    fs::create_directories(root / "cli");
    std::ofstream(root / "cli" / "Bad.cpp")
        << "#include \"gui/QtUi.h\"\n#include \"app/OrvixApp.h\"\n"
           "#include <QString>\n";
    std::vector<std::string> vecBad = FindLayerViolations(root);
    fs::remove_all(root);
    std::sort(vecBad.begin(), vecBad.end());
    EXPECT_EQ(vecBad,
              (std::vector<std::string>{
                  "cli/Bad.cpp:1 includes gui/QtUi.h (gui/ and cli/ are separate front ends)",
                  "cli/Bad.cpp:3 includes QString (Qt outside gui/)",
                  "link/Bad.cpp:2 includes doc/OrvixDoc.h (doc/ is above link/)",
                  "platform/Bad.h:1 includes QString (Qt outside gui/)",
                  "platform/Bad.h:2 includes res/Texts.h (platform holds no texts)",
              }));
}

TEST(Layers, TheProductHoldsNoTestDouble) {
    static const std::regex reDouble(
        R"(\bclass\s+C(Memory|Test|Scripted|Fake|Mock|VirtualTime)\w*)");
    for (const auto& entry : fs::recursive_directory_iterator(SRC)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream in(entry.path());
        std::string strText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::smatch match;
        EXPECT_FALSE(std::regex_search(strText, match, reDouble))
            << entry.path() << " defines " << match.str();
    }
}
