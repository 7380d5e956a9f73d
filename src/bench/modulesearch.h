#pragma once

#include "link/benchshared.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class IMBComMaster;
class QAbstractButton;
class QTableWidget;
class TMProFrm;

// Finds the bench modules by asking addresses 1..10 for their identification
// text, shows them in the configuration grid and saves their addresses.
class ModuleSearch
{
public:
    static constexpr int kFirstAddress = 1;
    static constexpr int kLastAddress = 10;

    struct Controls {
        QTableWidget *sg = nullptr;
        QAbstractButton *BitBtn5 = nullptr;    // "Проверка связи"
        QAbstractButton *BtnPropQTM = nullptr; // "Свойства"
    };

    ModuleSearch(IMBComMaster &mbcm, BenchShared &shared, const Controls &controls, TMProFrm *mpro,
                 std::function<bool()> linkOpen);

    void BitBtn5Click();
    // Every answer of the device name task.
    void IdentificationAnswer(int mbAddr, const QVariant &value, int result);
    void sgClick(int row);
    // Every text the search may write into the column "Связь", so the grid can be made wide enough.
    static QStringList LinkTexts();

    bool Running() const { return !m_awaiting.isEmpty(); }
    // The descriptor the last row click selected; nullptr for none.
    TPQTM *Selected() const { return m_selected; }

private:
    struct Module {
        const char *marker;
        const char *designation;
        TPQTM BenchShared::*device;
        int row;
    };
    static const Module kModules[3];

    void Identify(int mbAddr, const QString &text);
    void Finish();
    void SetCell(int row, int column, const QString &text);
    TPQTM &Device(const Module &m) { return m_shared.*(m.device); }

    IMBComMaster &m_mbcm;
    BenchShared &m_shared;
    Controls m_ui;
    TMProFrm *m_mpro;
    std::function<bool()> m_linkOpen;
    // Addresses of the current search that have not answered yet; an answer from
    // any other address belongs to an older search and is ignored.
    QSet<int> m_awaiting;
    TPQTM *m_selected = nullptr;
};
