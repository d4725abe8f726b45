#include "ModalScript.h"
#include "gui/QtUi.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

namespace {
// A record the dialog's checks accept, in host order.
NODEPARAM ValidRecord() {
    NODEPARAM param;
    std::memset(&param, 0, sizeof param);
    param.dwOwnIp = 0xC0A8014Du; // 192.168.1.77
    param.wOwnPort = 257;
    param.dwDestIp = 0x0A000002u; // 10.0.0.2
    param.wDestPort = 514;
    param.dwGateway = 0xC0A80101u;
    param.dwSubnetMask = 0xFFFFFF00u;
    param.byConnectTimer = 5;
    param.byNoCommTimer = 7;
    param.byKeepAlive = 30;
    param.wMtu = 1500;
    param.wIdleTimer = 100;
    param.byBaudRate = 5;
    param.byDataBits = 1;
    param.byRecordTermLen = 2;
    param.abRecordTerm[0] = 0x0D;
    param.abRecordTerm[1] = 0x0A;
    std::strcpy(param.szUserName, "op");
    std::strcpy(param.szLanProtocol, "FtpSv");
    return param;
}

class ParamEditorView : public ::testing::Test {
protected:
    ParamEditorView() : m_dlg(m_defParam) {
        std::memset(&m_defParam, 0, sizeof m_defParam);
        m_dlg.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
        m_dlg.Fill(ValidRecord());
        m_dlg.SetMode(PARAMEDIT_SET, "", PARAMEDIT_NO_MODE);
    }

    // Replaces an edit's text as the operator would: select all, type.
    static void Retype(QLineEdit* pEdit, const QString& strText) {
        pEdit->setFocus();
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Delete);
        QTest::keyClicks(pEdit, strText);
    }

    NODEPARAM m_defParam{};
    CParamEditor m_dlg;
    CQtUi m_ui;
};
} // namespace

TEST_F(ParamEditorView, ShowsTheRecordAndTheFixedTexts) {
    CModalScript script;
    script.OnDialog("CParamEditor", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("MRV-620ｼﾘｰｽﾞの個別設定"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1039)->text(), "192.168.1.77");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1045)->text(), "0D0A");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1026)->text(), "");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1028)->text(), "FtpSv");
        auto* pBaud = ControlWidget<QComboBox>(dlg, 1034);
        EXPECT_EQ(pBaud->count(), 14);
        EXPECT_EQ(pBaud->currentText(), "9,600bps");
        auto* pFlow = ControlWidget<QComboBox>(dlg, 1038);
        EXPECT_EQ(pFlow->itemText(2), QString::fromUtf8("ﾊｰﾄﾞｳｪｱ"));
        EXPECT_EQ(ControlWidget<QComboBox>(dlg, 1047)->itemText(1), QString::fromUtf8("100M固定"));
        EXPECT_EQ(ControlWidget<QComboBox>(dlg, 1035)->currentText(), QString::fromUtf8("8ﾋﾞｯﾄ"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11039)->text(), QString::fromUtf8("自IPｱﾄﾞﾚｽ"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11045)->text(), QString::fromUtf8("ﾚｺｰﾄﾞﾀｰﾐﾈｰﾀ"));
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 1054)->text(), QString::fromUtf8("設定画面"));
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 1086)->text(), QString::fromUtf8("送信"));
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 2)->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
        EXPECT_EQ(ControlWidget<QCheckBox>(dlg, 1058)->text(), QString::fromUtf8("ﾈｯﾄﾜｰｸ外"));
        // Set mode: no operation mode to show.
        EXPECT_FALSE(ControlWidget<QLineEdit>(dlg, 1042)->isVisible());
        EXPECT_FALSE(ControlWidget<QLabel>(dlg, 1072)->isVisible());
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 2), Qt::LeftButton);
    });
    EXPECT_EQ(m_ui.DoModal(m_dlg), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
}

TEST_F(ParamEditorView, BadValueOnSendShowsTheMessageAndSelectsThatField) {
    CModalScript script;
    QString strMessage;
    bool bStillOpen = false;
    QString strFocus;
    QString strSelected;
    script.OnDialog("CParamEditor", [&](QDialog& dlg) {
        auto* pOwnIp = ControlWidget<QLineEdit>(dlg, 1039);
        Retype(pOwnIp, "192.168.1.");
        ControlWidget<QLineEdit>(dlg, 1041)->setFocus(); // the focus elsewhere
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1086), Qt::LeftButton);
        // The message box has come and gone by now.
        bStillOpen = dlg.isVisible();
        strFocus = dlg.focusWidget() != nullptr ? dlg.focusWidget()->objectName() : QString();
        strSelected = pOwnIp->selectedText();
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 2), Qt::LeftButton);
    });
    script.AcknowledgeMessage(&strMessage);
    EXPECT_EQ(m_ui.DoModal(m_dlg), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strMessage, QString::fromUtf8("自IPｱﾄﾞﾚｽの値が異常です"));
    EXPECT_TRUE(bStillOpen);
    EXPECT_EQ(strFocus, "id1039");
    EXPECT_EQ(strSelected, "192.168.1.");
}

TEST_F(ParamEditorView, ValidValuesEndWithOkAndAreReadBack) {
    CModalScript script;
    script.OnDialog("CParamEditor", [&](QDialog& dlg) {
        Retype(ControlWidget<QLineEdit>(dlg, 1039), "192.168.1.20");
        Retype(ControlWidget<QLineEdit>(dlg, 1033), "1024");
        Retype(ControlWidget<QLineEdit>(dlg, 1030), "admin");
        Retype(ControlWidget<QLineEdit>(dlg, 1026), "03");
        // A list item chosen with the keyboard: one down from "9,600bps".
        auto* pBaud = ControlWidget<QComboBox>(dlg, 1034);
        pBaud->setFocus();
        QTest::keyClick(pBaud, Qt::Key_Down);
        ClickBox(ControlWidget<QCheckBox>(dlg, 1058));
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1086), Qt::LeftButton);
    });
    EXPECT_EQ(m_ui.DoModal(m_dlg), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    NODEPARAM param = m_dlg.ReadBack();
    EXPECT_EQ(param.dwOwnIp, 0xC0A80114u);
    EXPECT_EQ(param.wDestPort, 1024);
    EXPECT_STREQ(param.szUserName, "admin");
    EXPECT_EQ(param.byFileTermLen, 1);
    EXPECT_EQ(param.abFileTerm[0], 0x03);
    EXPECT_EQ(param.byBaudRate, 6);
    EXPECT_EQ(param.byRecordTermLen, 2); // untouched fields as filled
    EXPECT_EQ(param.wMtu, 1500);
    EXPECT_TRUE(m_dlg.IsOutsideNetwork());
}

TEST_F(ParamEditorView, EditsKeepOnlyWhatTheirKindAndLimitAllow) {
    CModalScript script;
    script.OnDialog("CParamEditor", [&](QDialog& dlg) {
        auto* pTerm = ControlWidget<QLineEdit>(dlg, 1026);
        QTest::keyClicks(pTerm, "0dG");
        EXPECT_EQ(pTerm->text(), "0D");
        EXPECT_EQ(m_dlg.GetText(1026), "0D");
        QTest::keyClicks(pTerm, "0a");
        QTest::keyClicks(pTerm, "F"); // a fifth character does not fit
        EXPECT_EQ(pTerm->text(), "0D0A");
        EXPECT_EQ(m_dlg.GetText(1026), "0D0A");

        auto* pPort = ControlWidget<QLineEdit>(dlg, 1027);
        Retype(pPort, "6x5-535");
        EXPECT_EQ(pPort->text(), "65535");
        QTest::keyClicks(pPort, "9");
        EXPECT_EQ(pPort->text(), "65535");

        // The limit counts CP932 bytes: a kana of two bytes fills two.
        auto* pUser = ControlWidget<QLineEdit>(dlg, 1030);
        Retype(pUser, "");
        TypeChars(pUser, QString::fromUtf8("あいうえおかきく"));
        EXPECT_EQ(pUser->text(), QString::fromUtf8("あいうえおかき"));
        TypeChars(pUser, QString::fromUtf8("ｱ")); // one byte: the fifteenth
        TypeChars(pUser, "b");
        EXPECT_EQ(pUser->text(), QString::fromUtf8("あいうえおかきｱ"));
        EXPECT_EQ(m_dlg.GetText(1030),
                  "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\xB1");

        // Typing in the middle keeps the cursor where it was.
        auto* pProtocol = ControlWidget<QLineEdit>(dlg, 1028);
        pProtocol->setFocus();
        pProtocol->setCursorPosition(3);
        QTest::keyClicks(pProtocol, "xy");
        EXPECT_EQ(pProtocol->text(), "FtpxySv");
        EXPECT_EQ(pProtocol->cursorPosition(), 5);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 2), Qt::LeftButton);
    });
    EXPECT_EQ(m_ui.DoModal(m_dlg), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
}

TEST_F(ParamEditorView, EnterNeitherSendsNorClosesAndBackCancels) {
    m_dlg.SetMode(PARAMEDIT_GET, "ｾｯﾄｱｯﾌﾟ", 0);
    CModalScript script;
    bool bOpenAfterEnter = false;
    script.OnDialog("CParamEditor", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("MRV-620ｼﾘｰｽﾞの設定取得"));
        EXPECT_TRUE(ControlWidget<QLineEdit>(dlg, 1042)->isVisible());
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1042)->text(), QString::fromUtf8("ｾｯﾄｱｯﾌﾟ"));
        EXPECT_TRUE(ControlWidget<QLineEdit>(dlg, 1042)->isReadOnly());
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 1072)->text(),
                  QString::fromUtf8("動作ﾓｰﾄﾞ\n(取得のみ)"));
        auto* pOwnIp = ControlWidget<QLineEdit>(dlg, 1039);
        pOwnIp->setFocus();
        QTest::keyClick(pOwnIp, Qt::Key_Return);
        QTest::keyClick(pOwnIp, Qt::Key_Enter, Qt::KeypadModifier);
        QApplication::processEvents();
        bOpenAfterEnter = dlg.isVisible() && QApplication::activeModalWidget() == &dlg;
        auto* pBack = ControlWidget<QPushButton>(dlg, 2);
        EXPECT_EQ(pBack->text(), QString::fromUtf8("戻る"));
        QTest::mouseClick(pBack, Qt::LeftButton);
    });
    EXPECT_EQ(m_ui.DoModal(m_dlg), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(bOpenAfterEnter);
}
