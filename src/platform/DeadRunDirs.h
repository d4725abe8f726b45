#pragma once
#include <string>

// Removes the private working folders that runs of ours left when they were
// killed: the folders in strParent named "<strPrefix><pid>-<anything>" that are
// ours, are folders (a link is never followed nor removed), and whose pid is no
// live process of ours. A folder of a live process is never touched. Returns
// how many went.
int RemoveDeadProcessDirs(const std::string& strParent, const std::string& strPrefix);
