#pragma once
// Drop-down lists of the parameter dialogs: items as dialog models hold them,
// and the index a stored selector shows.
#include "platform/Cp932.h"

#include <cstddef>
#include <string>
#include <vector>

// The items of a fixed list (UTF-8 texts) in CP932, as the models hold list items.
template <size_t N> std::vector<std::string> ParamListItems(const char* const (&arr)[N]) {
    std::vector<std::string> vecItems;
    for (const char* pszItem : arr) {
        std::string strCp932;
        Utf8ToCp932(pszItem, strCp932);
        vecItems.push_back(strCp932);
    }
    return vecItems;
}

// A selector outside its list selects nothing (-1), which is then read back
// as no selection and stored as 255.
inline int SelectorIndex(int nValue, size_t nItems) {
    return nValue >= 0 && static_cast<size_t>(nValue) < nItems ? nValue : -1;
}
