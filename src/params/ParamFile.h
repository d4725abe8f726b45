#pragma once
#include "params/AppSettings.h"
#include "params/NodeParam.h"

#include <string>

class CProfile;

inline constexpr char PARAMINI_SECTION_PARAM[] = "MRV-620_Parameter";
inline constexpr char PARAMINI_SECTION_APP[] = "Application";

// The application's default node parameters and their INI file.
class CParamFile {
public:
    CParamFile();

    // Fills m_param from section MRV-620_Parameter of m_strPath; a missing file,
    // section or key gives that field's default. Own IP, gateway and mask are
    // fixed whatever the file holds.
    void LoadParams();
    // Writes the stored fields of m_param into that section; nothing is reported.
    void SaveParams();

    // Takes the INI path, loads the defaults, then the five timing settings.
    void Load(const std::string& strIniPath, SAppSettings& settings);
    // Both sections in one rewrite of the file.
    void Save(const SAppSettings& settings);

    // The same on a profile the caller holds (a parameter file of its own).
    void LoadParams(const CProfile& profile);
    void SaveParams(CProfile& profile) const;

    std::string m_strPath;
    NODEPARAM m_param;
};
