#pragma once
// Acting on modal windows while the code under test runs them. Each step waits
// on a timer of its own until the window it expects is the top modal one, then
// runs once; so a step that opens another modal window (a button whose handler
// shows a message box) is followed by the next step inside that window's loop.
// A watchdog ends every modal window of a script that got stuck, and fails the test.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CModalScript {
public:
    explicit CModalScript(int nWatchdogMs = 10000) {
        m_pWatchdog = std::make_unique<QTimer>();
        QObject::connect(m_pWatchdog.get(), &QTimer::timeout, [this] {
            if (!m_bStuck) {
                m_bStuck = true;
                ADD_FAILURE() << "modal script stuck before step " << m_nNext + 1 << " of "
                              << m_vecSteps.size();
                m_pWatchdog->setInterval(50);
            }
            if (auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                pDialog->done(QDialog::Rejected);
            }
        });
        m_pWatchdog->setSingleShot(false);
        m_pWatchdog->start(nWatchdogMs);
    }
    ~CModalScript() {
        for (auto& pStep : m_vecSteps) {
            pStep->timer.stop();
        }
    }
    CModalScript(const CModalScript&) = delete;
    CModalScript& operator=(const CModalScript&) = delete;

    // The dialog whose form is named strName (the dialog class) is on top.
    CModalScript& OnDialog(const std::string& strName, std::function<void(QDialog&)> fn) {
        QString strObject = QString::fromStdString(strName);
        return Add([strObject](QWidget* pTop) { return pTop->objectName() == strObject; },
                   [fn](QWidget* pTop) { fn(*static_cast<QDialog*>(pTop)); });
    }
    // A modal window of class T is on top (a file dialog, say).
    template <typename T> CModalScript& OnWindow(std::function<void(T&)> fn) {
        return Add([](QWidget* pTop) { return qobject_cast<T*>(pTop) != nullptr; },
                   [fn](QWidget* pTop) { fn(*static_cast<T*>(pTop)); });
    }
    // A message box is on top.
    CModalScript& OnMessageBox(std::function<void(QMessageBox&)> fn) {
        return Add([](QWidget* pTop) { return qobject_cast<QMessageBox*>(pTop) != nullptr; },
                   [fn](QWidget* pTop) { fn(*static_cast<QMessageBox*>(pTop)); });
    }
    // A message box is on top: its text is kept, and it is answered with OK.
    CModalScript& AcknowledgeMessage(QString* pText) {
        return OnMessageBox([pText](QMessageBox& box) {
            *pText = box.text();
            box.button(QMessageBox::Ok)->click();
        });
    }
    bool Done() const { return m_nNext == m_vecSteps.size() && !m_bStuck; }

private:
    struct SStep {
        std::function<bool(QWidget*)> fnMatch;
        std::function<void(QWidget*)> fnRun;
        QTimer timer;
    };

    CModalScript& Add(std::function<bool(QWidget*)> fnMatch, std::function<void(QWidget*)> fnRun) {
        auto pStep = std::make_unique<SStep>();
        pStep->fnMatch = std::move(fnMatch);
        pStep->fnRun = std::move(fnRun);
        size_t nIndex = m_vecSteps.size();
        SStep* p = pStep.get();
        QObject::connect(&p->timer, &QTimer::timeout, [this, p, nIndex] {
            QWidget* pTop = QApplication::activeModalWidget();
            if (m_bStuck || m_nNext != nIndex || pTop == nullptr || !pTop->isVisible() ||
                !p->fnMatch(pTop)) {
                return;
            }
            p->timer.stop();
            ++m_nNext;
            p->fnRun(pTop);
        });
        p->timer.start(5);
        m_vecSteps.push_back(std::move(pStep));
        return *this;
    }

    std::vector<std::unique_ptr<SStep>> m_vecSteps;
    size_t m_nNext = 0;
    bool m_bStuck = false;
    std::unique_ptr<QTimer> m_pWatchdog;
};

// The widget of control nId on a dialog's form; fails the test when missing.
template <typename T> T* ControlWidget(QWidget& dialog, int nId) {
    T* p = dialog.findChild<T*>(QStringLiteral("id%1").arg(nId));
    EXPECT_NE(p, nullptr) << "no widget id" << nId;
    return p;
}

// Types text as an input method commits it, character by character, so that
// characters a keyboard event of QTest cannot carry (kana, kanji) arrive too.
inline void TypeChars(QWidget* pWidget, const QString& strText) {
    for (QChar ch : strText) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(pWidget, &release);
    }
}

// Clicks a check box or radio button on its box, where the operator would; the
// middle of a button stretched by its layout is outside what it takes.
inline void ClickBox(QAbstractButton* pButton) {
    QTest::mouseClick(pButton, Qt::LeftButton, {}, QPoint(6, pButton->height() / 2));
}

// A double click as the platform delivers it: press, release, then the double
// click in place of the second press.
inline void DoubleClickAt(QWidget* pWidget, QPoint pt) {
    QTest::mouseClick(pWidget, Qt::LeftButton, {}, pt);
    QTest::mouseDClick(pWidget, Qt::LeftButton, {}, pt);
    QTest::mouseRelease(pWidget, Qt::LeftButton, {}, pt);
}

// The texts of a list box, top down.
inline QStringList ListItemTexts(QListWidget* pList) {
    QStringList list;
    for (int i = 0; i < pList->count(); ++i) {
        list << pList->item(i)->text();
    }
    return list;
}

// A click on a row of a list box, where the operator would.
inline void ClickListRow(QListWidget* pList, int nRow) {
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {},
                      pList->visualItemRect(pList->item(nRow)).center());
}

inline void DoubleClickListRow(QListWidget* pList, int nRow) {
    DoubleClickAt(pList->viewport(), pList->visualItemRect(pList->item(nRow)).center());
}
