#pragma once

#include "session/benchsession.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QTableWidget;
class TMProFrm;

// Finds the bench modules by asking addresses 1..10 for their identification
// text, shows them in the configuration grid and saves their addresses.
class ModuleSearch : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFirstAddress = 1;
    static constexpr int kLastAddress = 10;

    struct Controls {
        QTableWidget *sg = nullptr;
        QAbstractButton *BitBtn5 = nullptr;    // "Проверка связи"
        QAbstractButton *BtnPropQTM = nullptr; // "Свойства"
        // The search's course: the address asked, the share answered, a way to stop it.
        QLabel *LblSearch = nullptr;
        QProgressBar *PbSearch = nullptr;
        QAbstractButton *BtnSearchStop = nullptr;
    };

    ModuleSearch(BenchSession &session, const Controls &controls, TMProFrm *mpro, QObject *parent = nullptr);

    void BitBtn5Click();
    // Ends a running search at once: the addresses not yet asked keep the module
    // found there before, so a stop loses nothing.
    void BtnSearchStopClick();
    void sgClick(int row);
    // Every text the search may write into the column "Связь", so the grid can be made wide enough.
    static QStringList LinkTexts();

    bool Running() const { return !m_awaiting.isEmpty(); }
    // Answers still due from the running search.
    int SearchPending() const { return m_searchPending; }
    // The descriptor the last row click selected; nullptr for none.
    TPQTM *Selected() const { return m_selected; }

private:
    struct Module {
        const char *marker;
        const char *designation;
        TPQTM &(BenchSession::*device)();
        int row;
    };
    static const Module kModules[3];

    // Every answer of the device name task.
    void IdentificationAnswer(int mbAddr, const QVariant &value, int result);
    void Identify(int mbAddr, const QString &text);
    void Finish();
    void ShowCourse();
    void SetCell(int row, int column, const QString &text);
    TPQTM &Device(const Module &m) { return (m_session.*(m.device))(); }

    BenchSession &m_session;
    Controls m_ui;
    TMProFrm *m_mpro;
    int m_searchPending = 0;
    // Addresses of the current search that have not answered yet; an answer from
    // any other address belongs to an older search and is ignored.
    QSet<int> m_awaiting;
    // Addresses before the search, given back to the modules whose address was not asked.
    quint8 m_before[3] = {};
    TPQTM *m_selected = nullptr;
};
