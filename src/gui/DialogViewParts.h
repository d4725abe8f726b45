#pragma once
// What the files of the generic dialog view share: screen text and CP932,
// and how a control's widget is found on a form.
#include "ui/DialogModel.h"

#include <QString>
#include <QStringList>
#include <QValidator>

#include <string>
#include <vector>

class QTabWidget;
class QWidget;

QString FromCp932(const std::string& strCp932);
// Screen text to CP932; a character CP932 cannot hold is left out.
std::string ToCp932(const QString& str);
QStringList ItemTexts(const std::vector<std::string>& vecItems);

// The object name of the widget that stands for control nId.
QString ControlName(int nId);
bool IsEditKind(ECtl eKind);
// The tab widget whose page the widget is, or null: a page of a property
// sheet is a group whose caption is its tab's text.
QTabWidget* TabOfPage(QWidget* pWidget);

// The edit's rules, applied to every change the operator makes, typed or pasted.
class CInputValidator : public QValidator {
public:
    CInputValidator(const SControl& control, const CDialogModel& dialog, QObject* pParent)
        : QValidator(pParent), m_control(control), m_dialog(dialog) {}

    State validate(QString& strInput, int& nPos) const override;

private:
    const SControl& m_control;
    const CDialogModel& m_dialog;
};
