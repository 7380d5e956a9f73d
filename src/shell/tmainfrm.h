#pragma once

#include "session/benchsession.h"
#include "shell/programwindows.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>

class Appearance;
class Connections;
class FlowmeterLink;
class IMBComMaster;
class ImrController;
class IptGroup;
class ModuleSearch;
class UsiGroup;
class VolumeImit;
class QLabel;
class TcalcFrm;
class VerificationControl;
class TMProFrm;
class QMouseEvent;
namespace Ui {
class TMainFrm;
}

// The main window: builds the bench session, the pages and every further window,
// places them and shows what the session reports.
class TMainFrm : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(bool ServerConnected READ ServerConnected)
    Q_PROPERTY(bool PriborConnected READ PriborConnected)

public:
    static constexpr int kNormalHeight = 556;
    static constexpr int kTallHeight = 620;

    // Takes ownership of both clients (bench, flowmeter) through its session.
    TMainFrm(IMBComMaster *mbcm, IMBComMaster *mbcm1, QWidget *parent = nullptr);
    ~TMainFrm() override;

    BenchSession &Session() const { return *m_session; }
    FlowmeterLink *Flow() const { return m_flow; }
    ImrController *Imr() const { return m_imr; }
    VolumeImit *Volume() const { return m_volume; }
    UsiGroup *Usi() const { return m_usi; }
    IptGroup *Ipt() const { return m_ipt; }
    VerificationControl *Verification() const { return m_verification; }
    TcalcFrm *Calc() const { return m_calc; }
    Appearance *Colors() const { return m_appearance; }
    ModuleSearch *Search() const { return m_search; }
    ProgramWindows Windows;
    // Last control under the mouse; target of the colour commands.
    QPointer<QWidget> HotControl;

    bool ServerConnected() const { return m_session->BenchConnected(); }
    bool PriborConnected() const { return m_session->FlowmeterConnected(); }
    // The target task confirmed last; -1 when the dialog was cancelled.
    int TargetTask() const { return m_targetTask; }

    // A hidden page is out of the tab widget (so assistive technology cannot reach it)
    // and comes back at its place in the page order.
    void SetShow(TNames index, bool flag);
    // Shows the pages of a target task and moves the pulse counter and current groups.
    void ApplyPageSet(int task);
    // Replaces the placeholder page of that objectName, keeping caption, place and visibility.
    void SetPage(const QString &objectName, QWidget *page);
    // The page of that objectName, shown or hidden.
    QWidget *Page(const QString &objectName) const;

    static QObject *FindByName(QObject *owner, const QString &name);
    template <class T> T *Control(const QString &name) { return qobject_cast<T *>(FindByName(this, name)); }
    void HookMouseMove(QObject *owner);

    // Panel 0 of the bottom status bar; panels 0..2 of the top one.
    void SetSBText(const QString &text);
    // The ИМР status text under the pages, its "\r" breaks shown as lines.
    void SetImrLabel(const QString &text);
    QString SBText() const;
    QLabel *StatusPanel(int index) const;

    void ReadFINI();
    void WriteFINI();
    void TellSettingsProblems();

Q_SIGNALS:
    void FormClosed();

public Q_SLOTS:
    void BtnConnectClick();
    void BtnConnect1Click();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void BBnTargerClick();
    void BtnPropQTMClick();
    void Label3Click();
    void N9Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ShowServerState(bool on);
    void FormCreate();
    void StatusBarMouseDown(QMouseEvent *event);
    void FormMouseMove(QWidget *control);
    void FillGrid();
    void FitGrid();
    void FillModels();
    void ShowModuleAddresses();
    void ApplyModel(int row);
    void ConnectPageButtons(QWidget *page);
    int PageIndex(const QString &objectName) const;
    void ShowPage(const QString &objectName, bool flag);
    struct PageSlot
    {
        QString name, caption;
        QPointer<QWidget> page;
    };
    QList<PageSlot> m_pages; // every page in the page order

    std::unique_ptr<Ui::TMainFrm> ui;
    BenchSession *m_session;
    Connections *m_links = nullptr;
    FlowmeterLink *m_flow = nullptr;
    TcalcFrm *m_calc = nullptr;  // children of this window
    TMProFrm *m_mpro = nullptr;
    VolumeImit *m_volume = nullptr;
    UsiGroup *m_usi = nullptr;
    IptGroup *m_ipt = nullptr;
    int m_targetTask = 0;
    void CreateWindows();
    void WireSearch();
    void WireFlowmeter();
    void WireImr();
    void WireService();
    void WireAbout();
    void WireVolume();
    void WireFlowWin();
    void WireAppearance();
    void WireTuning();
    Appearance *m_appearance = nullptr;
    void WireProtocol();
    VerificationControl *m_verification = nullptr;
    void WireMonitor();
    void WireJournal();
    ImrController *m_imr = nullptr;
    ModuleSearch *m_search = nullptr;
    void BtnPropClick();
    QLabel *m_sbPanel = nullptr;
    QLabel *m_statusPanels[3] = {nullptr, nullptr, nullptr};
};
