// Screen text and the operator's typing: UTF-8 on screen, CP932 in the
// model, and each edit's character and length rules.
#include "gui/DialogView.h"
#include "gui/DialogViewParts.h"
#include "platform/Cp932.h"

#include <algorithm>

QString FromCp932(const std::string& strCp932) {
    return QString::fromStdString(Cp932ToUtf8Lossy(strCp932));
}

std::string ToCp932(const QString& str) {
    std::string strCp932;
    if (Utf8ToCp932(str.toStdString(), strCp932)) {
        return strCp932;
    }
    strCp932.clear();
    for (qsizetype i = 0; i < str.size();) {
        qsizetype n = (str[i].isHighSurrogate() && i + 1 < str.size()) ? 2 : 1;
        std::string strChar;
        if (Utf8ToCp932(str.mid(i, n).toStdString(), strChar)) {
            strCp932 += strChar;
        }
        i += n;
    }
    return strCp932;
}

QStringList ItemTexts(const std::vector<std::string>& vecItems) {
    QStringList list;
    for (const std::string& str : vecItems) {
        list << FromCp932(str);
    }
    return list;
}

QValidator::State CInputValidator::validate(QString& strInput, int& nPos) const {
    // The model holds the text as it was before this change.
    QString strBefore = FromCp932(m_dialog.GetText(m_control.nId));
    strInput = ApplyInputRules(m_control, strBefore, strInput, nPos);
    return Acceptable;
}

QString ApplyInputRules(const SControl& control, const QString& strBefore, const QString& strAfter,
                        int& nCursor) {
    // The changed stretch is what lies between the part both texts begin with
    // and the part both end with.
    qsizetype nShorter = std::min(strBefore.size(), strAfter.size());
    qsizetype nHead = 0;
    while (nHead < nShorter && strBefore[nHead] == strAfter[nHead]) {
        ++nHead;
    }
    if (nHead > 0 && strAfter[nHead - 1].isHighSurrogate()) {
        --nHead;
    }
    qsizetype nTail = 0;
    while (nTail < nShorter - nHead &&
           strBefore[strBefore.size() - 1 - nTail] == strAfter[strAfter.size() - 1 - nTail]) {
        ++nTail;
    }
    if (nTail > 0 && strAfter[strAfter.size() - nTail].isLowSurrogate()) {
        --nTail;
    }
    SControl charsOnly = control;
    charsOnly.nLimit = 0;
    auto Filtered = [&](const QString& str) { return FilterInput(charsOnly, ToCp932(str)); };
    std::string strHead = Filtered(strAfter.left(nHead));
    std::string strMid = Filtered(strAfter.mid(nHead, strAfter.size() - nHead - nTail));
    std::string strTail = Filtered(strAfter.right(nTail));
    if (control.nLimit > 0 && strHead.size() + strMid.size() + strTail.size() > control.nLimit) {
        // What was there stays; of the new text only what still fits.
        size_t nKept = strHead.size() + strTail.size();
        SControl room = control;
        room.nLimit = nKept < control.nLimit ? control.nLimit - nKept : 0;
        strMid = room.nLimit > 0 ? FilterInput(room, strMid) : std::string();
    }
    QString strHeadShown = FromCp932(strHead);
    QString strMidShown = FromCp932(strMid);
    QString strResult = strHeadShown + strMidShown + FromCp932(strTail);
    if (nCursor <= nHead) {
        nCursor = static_cast<int>(FromCp932(Filtered(strAfter.left(nCursor))).size());
    } else if (nCursor >= strAfter.size() - nTail) {
        nCursor =
            static_cast<int>(strResult.size() - FromCp932(Filtered(strAfter.mid(nCursor))).size());
    } else {
        nCursor = static_cast<int>(strHeadShown.size() + strMidShown.size());
    }
    return strResult;
}
