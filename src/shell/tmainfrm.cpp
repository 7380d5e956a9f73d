#include "shell/tmainfrm.h"
#include "ui_tmainfrm.h"

#include "auxiliary/taboutbox.h"
#include "auxiliary/tform11.h"
#include "auxiliary/tparatfrm.h"
#include "bench/modulesearch.h"
#include "bench/mprofrm.h"
#include "bench/targettask.h"
#include "bench/tfrminit.h"
#include "bench/tpropertyfrm.h"
#include "bench/tsysfrm.h"
#include "calc/tcalcfrm.h"
#include "flowmeter/flowmeterlink.h"
#include "flowmeter/tflowmeterform.h"
#include "flowmeter/tflowmeterformgs.h"
#include "imr/imitqpage.h"
#include "imr/imrcontroller.h"
#include "imr/imrtuningpage.h"
#include "imr/timvofrm.h"
#include "link/serverpriority.h"
#include "shell/connections.h"
#include "link/inifile.h"
#include "link/keyfilters.h"
#include "link/messages.h"
#include "link/runguard.h"
#include "shell/accessibility.h"
#include "shell/appearance.h"
#include "link/canalfrm.h"
#include "link/conventions.h"
#include "link/windowplacement.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

namespace {
const char *const kIniName = "QTM.ini";
const char *const kModels[] = {"ЛКТВ-210Н", "Тевор ДН (портативный)", "ГС 130/150  ",
                               "Тевор ДН (переносной)", "ЛТКВ 210Н с АРУ", "ГС310", "GC"};
// Page of each TNames value; nsConfig has none.
const char *const kPageOf[] = {nullptr, "TSImitV", "TSImitQ", "TSPoverV", "TSPoverQ",
                               "TSImr", "TSIpt", "tsIPT2", "TsUSI", "TS4"};
} // namespace

TMainFrm::TMainFrm(IMBComMaster *mbcm, IMBComMaster *mbcm1, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::TMainFrm), m_session(new BenchSession(mbcm, mbcm1, this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_statusPanels[0] = new QLabel(ui->StatusBar);
    m_statusPanels[1] = new QLabel(tr("Состояние:"), ui->StatusBar);
    m_statusPanels[2] = new QLabel(ui->StatusBar);
    const int widths[] = {100, 70, 50};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusBarPanel%1").arg(i));
        ui->StatusBar->addWidget(m_statusPanels[i]);
    }
    m_statusPanels[1]->setAlignment(Qt::AlignCenter);
    m_statusPanels[1]->setFrameStyle(QFrame::Panel | QFrame::Raised);
    // The design widths, widened where the caption and its frame would be cut.
    for (int i = 0; i < 3; ++i)
        m_statusPanels[i]->setFixedWidth(qMax(widths[i], m_statusPanels[i]->sizeHint().width() + 8));
    DescribeValue(m_statusPanels[0], QStringLiteral("Состояние сервера"));
    m_sbPanel = new QLabel(ui->SB);
    m_sbPanel->setObjectName(QStringLiteral("SBPanel0"));
    DescribeValue(m_sbPanel, QStringLiteral("Состояние связи"));
    ui->SB->addWidget(m_sbPanel, 1);
    ui->StatusBar->installEventFilter(this);
    ui->Label3->installEventFilter(this);
    ui->Label84->installEventFilter(this);
    SetImrLabel(QStringLiteral("Состояние автомата:\r\nОшибки\r\nИтог последней команды"));

    addAction(ui->ConnectQTM);
    addAction(ui->ConnectPrib);
    connect(ui->ConnectQTM, &QAction::triggered, this, &TMainFrm::BtnConnectClick);
    connect(ui->ConnectPrib, &QAction::triggered, this, &TMainFrm::BtnConnect1Click);
    connect(ui->N2, &QAction::triggered, this, &TMainFrm::BtnConnectClick);
    connect(ui->N3, &QAction::triggered, this, &TMainFrm::BtnConnect1Click);
    connect(ui->BtnConnect, &QPushButton::clicked, ui->ConnectQTM, &QAction::trigger);
    connect(ui->BtnConnect1, &QPushButton::clicked, ui->ConnectPrib, &QAction::trigger);
    connect(ui->N9, &QAction::triggered, this, &TMainFrm::N9Click);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TMainFrm::SpeedButton1Click);
    connect(ui->BBnTarger, &QPushButton::clicked, this, &TMainFrm::BBnTargerClick);
    connect(ui->BtnPropQTM, &QPushButton::clicked, this, &TMainFrm::BtnPropQTMClick);
    for (int i = 0; i < ui->pc->count(); ++i) {
        m_pages.append({ui->pc->widget(i)->objectName(), ui->pc->tabText(i), ui->pc->widget(i)});
        ConnectPageButtons(ui->pc->widget(i));
    }
    CreateWindows();
    m_links = new Connections(*this);
    connect(ui->BBParam, &QPushButton::clicked, m_links, &Connections::BBParamClick);
    connect(m_session, &BenchSession::BenchLinkChanged, this, &TMainFrm::ShowServerState);
    WireFlowmeter();
    WireImr();
    WireService();
    WireAbout();
    WireVolume();
    WireFlowWin();
    WireAppearance();
    WireTuning();
    WireProtocol();
    WireMonitor();
    WireJournal();
    m_flow->SetPolledFields(Control<QLineEdit>(QStringLiteral("EdtRashQ1")),
                            Control<QLineEdit>(QStringLiteral("edtnabor")));

    FormCreate();
}

TMainFrm::~TMainFrm()
{
    WriteFINI();
    // No result may reach a page while the window takes its children down.
    m_session->disconnect(this);
    m_session->BenchClient()->blockSignals(true);
    m_session->FlowmeterClient()->blockSignals(true);
}

void TMainFrm::CreateWindows()
{
    Windows.SysFrm = new TSysFrm(this);
    connect(Windows.SysFrm, &TSysFrm::TaskChosen, this, &TMainFrm::ApplyPageSet);
    Windows.CanalFrm = new TCanalFrm(this);
    Windows.ImVOFrm = new TImVOFrm(this);
    Windows.ParATFrm = new TParATFrm(this);
    Windows.Form11 = new TForm11(this);
    Windows.PropertyFrm = new TPropertyFrm(this);
    Windows.FrmInit = new TFrmInit(this);
}

void TMainFrm::FormCreate()
{
    setFixedSize(width(), kNormalHeight);
    HookMouseMove(this);
    FillGrid();
    ui->pc->setCurrentWidget(ui->TsConfig);
    ShowPage(QStringLiteral("TS4"), false);
    ApplyPageSet(0);
    WireSearch();
    m_calc = new TcalcFrm(*m_session, this);
    Windows.calcFrm = m_calc;
    FillModels();
    m_mpro->readINI();
    ReadFINI();
    m_appearance->ReadIniColor();
    // Told from the event loop, over the shown window and with the signal handler in place.
    QTimer::singleShot(0, this, &TMainFrm::TellSettingsProblems);
    m_session->ImrDev().Adr = quint8(m_mpro->Imr);
    m_session->UsiDev().Adr = quint8(m_mpro->Usi);
    m_session->IptDev().Adr = quint8(m_mpro->IPT);
    ShowModuleAddresses();
    AssignAccessibleNames(this);
    RaiseServerPriority();
}

void TMainFrm::WireSearch()
{
    m_mpro = new TMProFrm(this);
    m_mpro->Session = m_session;
    Windows.MProFrm = m_mpro;
    m_search = new ModuleSearch(*m_session,
                                ModuleSearch::Controls{ui->sg, ui->BitBtn5, ui->BtnPropQTM, ui->LblSearch,
                                                       ui->PbSearch, ui->BtnSearchStop},
                                m_mpro, this);
    connect(ui->BitBtn5, &QPushButton::clicked, m_search, &ModuleSearch::BitBtn5Click);
    connect(ui->BtnSearchStop, &QPushButton::clicked, m_search, &ModuleSearch::BtnSearchStopClick);
    connect(ui->sg, &QTableWidget::cellClicked, m_search, &ModuleSearch::sgClick);
}

void TMainFrm::WireFlowmeter()
{
    FlowmeterControls c;
    c.cbxprib = ui->cbxprib;
    c.edtadrp = ui->edtadrp;
    c.Edit4 = ui->Edit4;
    c.edtac = ui->edtac;
    c.BitBtn7 = ui->BitBtn7;
    c.BtnSetup = ui->BtnSetup;
    c.BtnCount1 = ui->BtnCount1;
    c.BtnConnect1 = ui->BtnConnect1;
    m_flow = new FlowmeterLink(*m_session, c, Windows.FlowMeterForm, Windows.FlowMeterFormGS, this, this);
    connect(ui->cbxprib, &QComboBox::activated, m_flow, &FlowmeterLink::cbxpribChange);
    connect(ui->BitBtn7, &QPushButton::clicked, m_flow, &FlowmeterLink::BitBtn7Click);
    connect(ui->BtnCount1, &QPushButton::clicked, m_flow, &FlowmeterLink::BtnCount1Click);
    connect(ui->BtnSetup, &QPushButton::clicked, m_flow, &FlowmeterLink::BtnSetupClick);
    connect(ui->BtnProp, &QPushButton::clicked, this, &TMainFrm::BtnPropClick);
    connect(ui->btnCanal, &QPushButton::clicked, this, [this] {
        if (auto *c = qobject_cast<TCanalFrm *>(Windows.CanalFrm.data()))
            c->ShowForBench();
    });
    InstallIntFilter(ui->edtadrp);
    // The program is closing: a running calibration ends with its STOP.
    connect(this, &TMainFrm::FormClosed, m_flow, &FlowmeterLink::StopCalibrations);
}

void TMainFrm::WireImr()
{
    m_imr = new ImrController(*m_session, this);
    connect(m_imr, &ImrController::StatusChanged, this, &TMainFrm::SetSBText);
    connect(m_imr, &ImrController::ImrLabelChanged, this, &TMainFrm::SetImrLabel);
    connect(m_imr, &ImrController::AutoCircTextChanged, ui->edtac, &QLineEdit::setText);
    connect(ui->Button19, &QPushButton::clicked, m_imr, [this] { m_imr->ResetAllModes(); });
    connect(ui->BtnCount, &QPushButton::clicked, m_imr, [this] {
        const RunGuard run(m_imr->Counting, {ui->BtnCount}, [this] { return m_session->BenchConnected(); });
        if (run)
            m_imr->CountAutoCirculations();
    });

    SetPage(QStringLiteral("TSImitQ"), new ImitQPage(*m_imr));
    auto *tuning = new ImrTuningPage(*m_imr);
    SetPage(QStringLiteral("TSImr"), tuning);
    // The verification page keeps a hidden copy of the calibration button and its result.
    auto *delayGroup = new DelayLineGroup(ui->TSPoverQ);
    delayGroup->hide();
    tuning->Attach(delayGroup);
}

void TMainFrm::BtnPropClick()
{
    m_mpro->readINI();
    ui->cbxprib->clear();
    ui->cbxprib->addItems(m_mpro->Names());
}

void TMainFrm::FillGrid()
{
    QTableWidget *sg = ui->sg;
    sg->setColumnCount(3);
    sg->setRowCount(4);
    const QStringList header = {QStringLiteral("Модуль"), QStringLiteral("Адрес"), QStringLiteral("Связь")};
    const QStringList modules = {QStringLiteral("Модуль имитации расхода   (ИМР)"),
                                 QStringLiteral("Модуль счетчика импульсов (УСИ)"),
                                 QStringLiteral("Модуль измерителя тока    (ИПТ)")};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            sg->setItem(r, c, new QTableWidgetItem);
    for (int c = 0; c < 3; ++c)
        sg->item(0, c)->setText(header[c]);
    for (int r = 1; r < 4; ++r)
        sg->item(r, 0)->setText(modules[r - 1]);
    // Row 0 is the fixed header row; the header view shows it so the columns can be resized.
    sg->setHorizontalHeaderLabels(header);
    sg->setRowHidden(0, true);
    sg->verticalHeader()->hide();
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setSelectionBehavior(QAbstractItemView::SelectRows);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sg->setWordWrap(false);
    sg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FitGrid();
}

void TMainFrm::FitGrid()
{
    QTableWidget *sg = ui->sg;
    // Size the columns for the longest texts they will hold, at the window's font.
    const QStringList links = ModuleSearch::LinkTexts();
    for (int r = 1; r < 4; ++r)
        sg->item(r, 2)->setText(links.value(r - 1));
    QString longest;
    for (const QString &t : links)
        if (sg->fontMetrics().horizontalAdvance(t) > sg->fontMetrics().horizontalAdvance(longest))
            longest = t;
    sg->item(1, 2)->setText(longest);
    sg->item(1, 1)->setText(QStringLiteral("255"));
    sg->resizeColumnsToContents();
    sg->resizeRowsToContents();
    for (int r = 1; r < 4; ++r) {
        sg->item(r, 1)->setText(QString());
        sg->item(r, 2)->setText(QString());
    }
    int need = 2 * sg->frameWidth();
    for (int c = 0; c < 3; ++c)
        need += sg->columnWidth(c);
    int tall = 2 * sg->frameWidth() + sg->horizontalHeader()->sizeHint().height();
    for (int r = 1; r < 4; ++r)
        tall += sg->rowHeight(r);
    sg->horizontalHeader()->setStretchLastSection(true);
    const int rightHalf = sg->x() + sg->width() / 2;
    const int grow = qMax(0, need - sg->width());
    sg->resize(sg->width() + grow, qMax(sg->height(), tall));
    if (grow == 0)
        return;
    // A grid wider than its group widens the group and the window, moving what stands right of it.
    const int edge = ui->GbQTM->geometry().right();
    const auto siblings = ui->GbQTM->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : siblings)
        if (w != ui->GbQTM && w->x() > edge)
            w->move(w->x() + grow, w->y());
    ui->GbQTM->resize(ui->GbQTM->width() + grow, ui->GbQTM->height());
    for (QWidget *w : ui->GbQTM->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w != sg && w->x() > rightHalf)
            w->move(w->x() + grow, w->y());
    setFixedSize(width() + grow, height());
}

void TMainFrm::FillModels()
{
    ui->cbxprib->clear();
    for (const char *m : kModels)
        ui->cbxprib->addItem(QString::fromUtf8(m));
    ui->cbxprib->setCurrentIndex(-1);
}

void TMainFrm::ShowModuleAddresses()
{
    const TPQTM *devs[] = {&m_session->ImrDev(), &m_session->UsiDev(), &m_session->IptDev()};
    for (int r = 1; r <= 3; ++r) {
        const int adr = devs[r - 1]->Adr;
        ui->sg->item(r, 1)->setText(adr == 0 ? QStringLiteral("?") : QString::number(adr));
    }
}

void TMainFrm::ReadFINI()
{
    IniFile ini(QString::fromLatin1(kIniName));
    if (ini.Exists()) {
        const int index = ini.ReadInteger(QStringLiteral("QTM Address"), QStringLiteral("Pribors"), 0);
        ui->cbxprib->setCurrentIndex(index >= 0 && index < ui->cbxprib->count() ? index : -1);
        const QPoint stored(ini.ReadInteger(QStringLiteral("Form"), QStringLiteral("left"), x()),
                            ini.ReadInteger(QStringLiteral("Form"), QStringLiteral("top"), y()));
        const QScreen *scr = screen();
        const QRect area = scr ? scr->geometry() : QRect(0, 0, 1024, 768);
        move(PlaceWindow(stored, frameGeometry().size(), area));
    }
    m_session->SetPribType(ui->cbxprib->currentIndex());
    ApplyModel(m_session->PribType());
}

void TMainFrm::TellSettingsProblems()
{
    // Settings that were not read leave the program on defaults: the operator must know why.
    for (const QString &name : {QString::fromLatin1(kIniName), QStringLiteral("color.ini")}) {
        const QString problem = IniFile(name).ReadProblem();
        if (!problem.isEmpty())
            Messages::Show(problem);
    }
}

void TMainFrm::WriteFINI()
{
    IniFile ini(QString::fromLatin1(kIniName));
    const int index = ui->cbxprib->currentIndex();
    if (index >= 0)
        ini.WriteInteger(QStringLiteral("QTM Address"), QStringLiteral("Pribors"), index);
    ini.WriteInteger(QStringLiteral("Form"), QStringLiteral("left"), x());
    ini.WriteInteger(QStringLiteral("Form"), QStringLiteral("top"), y());
    ini.Save();
}

void TMainFrm::ApplyModel(int row)
{
    m_flow->SetPribType(row);
}

void TMainFrm::ShowServerState(bool on)
{
    m_statusPanels[0]->setText(on ? QStringLiteral("Вкл сервер") : QStringLiteral("Выкл сервер"));
}

int TMainFrm::PageIndex(const QString &objectName) const
{
    for (int i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].name == objectName)
            return i;
    return -1;
}

QWidget *TMainFrm::Page(const QString &objectName) const
{
    const int i = PageIndex(objectName);
    return i < 0 ? nullptr : m_pages[i].page.data();
}

void TMainFrm::SetShow(TNames index, bool flag)
{
    if (index <= nsConfig || index > nsProtocol)
        return;
    ShowPage(QString::fromLatin1(kPageOf[index]), flag);
}

void TMainFrm::ShowPage(const QString &objectName, bool flag)
{
    const int i = PageIndex(objectName);
    if (i < 0 || !m_pages[i].page)
        return;
    QWidget *page = m_pages[i].page;
    const int tab = ui->pc->indexOf(page);
    if (!flag) {
        // setTabVisible(false) would leave the tab reachable through assistive technology.
        if (tab >= 0)
            ui->pc->removeTab(tab);
        return;
    }
    if (tab >= 0)
        return;
    int at = 0;
    for (int j = 0; j < i; ++j)
        if (m_pages[j].page && ui->pc->indexOf(m_pages[j].page) >= 0)
            ++at;
    ui->pc->insertTab(at, page, m_pages[i].caption);
}

void TMainFrm::SetPage(const QString &objectName, QWidget *page)
{
    const int i = PageIndex(objectName);
    if (i < 0 || !page)
        return;
    QWidget *old = m_pages[i].page;
    page->setObjectName(objectName);
    const int tab = old ? ui->pc->indexOf(old) : -1;
    if (tab >= 0) {
        const bool current = ui->pc->currentIndex() == tab;
        ui->pc->insertTab(tab, page, m_pages[i].caption);
        ui->pc->removeTab(tab + 1);
        if (current)
            ui->pc->setCurrentIndex(tab);
    } else {
        // Hidden pages stay owned by the page stack, outside its list.
        page->setParent(old ? old->parentWidget() : ui->pc);
        page->hide();
    }
    m_pages[i].page = page;
    if (old)
        old->deleteLater();
    ConnectPageButtons(page);
    HookMouseMove(page);
    AssignAccessibleNames(page);
}

void TMainFrm::ConnectPageButtons(QWidget *page)
{
    for (const char *name : {"SpeedButton3", "SpeedButton2"})
        if (auto *b = qobject_cast<QAbstractButton *>(FindByName(page, QString::fromLatin1(name))))
            connect(b, &QAbstractButton::clicked, this, &TMainFrm::SpeedButton3Click, Qt::UniqueConnection);
}

void TMainFrm::ApplyPageSet(int task)
{
    TargetPageHost host;
    host.SetShow = [this](TNames page, bool flag) { SetShow(page, flag); };
    host.Page = [this](const QString &name) { return Page(name); };
    host.Find = [this](const QString &name) { return qobject_cast<QWidget *>(FindByName(this, name)); };
    ApplyTargetTask(task, host);
}

QObject *TMainFrm::FindByName(QObject *owner, const QString &name)
{
    if (!owner)
        return nullptr;
    for (QObject *child : owner->children()) {
        if (child->objectName() == name)
            return child;
        if (!child->children().isEmpty())
            if (QObject *found = FindByName(child, name))
                return found;
    }
    return nullptr;
}

void TMainFrm::HookMouseMove(QObject *owner)
{
    for (QObject *child : owner->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && Appearance::Styled(w)) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
        }
        if (!child->children().isEmpty())
            HookMouseMove(child);
    }
}

void TMainFrm::FormMouseMove(QWidget *control)
{
    HotControl = control;
    m_appearance->FormMouseMove(control);
}

void TMainFrm::SetImrLabel(const QString &text)
{
    ui->Label84->setText(DisplayLines(text));
}

void TMainFrm::SetSBText(const QString &text)
{
    m_sbPanel->setText(text);
}

QString TMainFrm::SBText() const
{
    return m_sbPanel->text();
}

QLabel *TMainFrm::StatusPanel(int index) const
{
    return index >= 0 && index < 3 ? m_statusPanels[index] : nullptr;
}

bool TMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (auto *w = qobject_cast<QWidget *>(watched); w && w != ui->StatusBar)
            FormMouseMove(w == centralWidget() ? this : w);
    } else if (event->type() == QEvent::ContextMenu && Appearance::Styled(watched)) {
        // Edit fields have a menu of their own; here the colour menu takes its place.
        m_appearance->ppmColor()->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    } else if (event->type() == QEvent::MouseButtonPress && watched == ui->StatusBar) {
        StatusBarMouseDown(static_cast<QMouseEvent *>(event));
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton && watched == ui->Label3)
            Label3Click();
        else if (me->button() == Qt::LeftButton && watched == ui->Label84)
            m_imr->ReadImrState();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT FormClosed();
}

void TMainFrm::contextMenuEvent(QContextMenuEvent *event)
{
    m_appearance->ppmColor()->popup(event->globalPos());
}

void TMainFrm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // The page control fills the normal height; the status text below it shows only when enlarged.
    const int central = kNormalHeight - menuBar()->sizeHint().height() - ui->SB->sizeHint().height();
    const int top = ui->StatusBar->height();
    ui->StatusBar->resize(width(), top);
    ui->pc->setGeometry(0, top, width(), qMax(100, central - top));
    ui->Label84->setGeometry(6, central + 2, width() - 12, kTallHeight - kNormalHeight);
    // Below the normal height the text lies outside the window: nobody may read it as shown.
    ui->Label84->setVisible(height() > kNormalHeight);
}

void TMainFrm::StatusBarMouseDown(QMouseEvent *event)
{
    if (!(event->modifiers() & Qt::ShiftModifier))
        return;
    m_session->SetOldBench(Messages::Ask(QStringLiteral("Вы работаете со старым ЦТМ?")));
}

void TMainFrm::Label3Click()
{
    ui->Button19->setVisible(!ui->Button19->isVisibleTo(ui->Button19->parentWidget()));
}

void TMainFrm::SpeedButton1Click()
{
    setFixedSize(width(), height() == kNormalHeight ? kTallHeight : kNormalHeight);
}

void TMainFrm::SpeedButton3Click()
{
    if (Windows.calcFrm)
        Windows.calcFrm->show();
}

void TMainFrm::N9Click()
{
    OpenAboutBox(this, QCoreApplication::applicationFilePath());
}

void TMainFrm::BtnConnectClick()
{
    m_links->BtnConnectClick();
}

void TMainFrm::BtnConnect1Click()
{
    m_links->BtnConnect1Click();
}

void TMainFrm::BBnTargerClick()
{
    TSysFrm *dlg = Windows.SysFrm;
    if (!dlg)
        return;
    dlg->exec();
    m_targetTask = dlg->AimIndex;
    ui->Label28->setText(dlg->AimIndex < 0 ? QString() : dlg->AimIndexStr);
    if (m_targetTask == -1)
        return;
    ui->GbPrib->setVisible(m_targetTask == 0);
    if (m_targetTask == 0)
        ApplyModel(m_session->PribType());
    else
        m_session->Values().AutoCircCount = 255;
}
