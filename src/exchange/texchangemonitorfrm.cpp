#include "exchange/texchangemonitorfrm.h"

#include "ui_texchangemonitorfrm.h"

#include "exchange/exchangedecode.h"
#include "exchange/exchangefilter.h"
#include "exchange/exchangelog.h"
#include "link/inifile.h"
#include "link/messages.h"
#include "link/windowplacement.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIntValidator>
#include <QLayout>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace
{
const QString kIni = QStringLiteral("QTM.ini");
const QString kSection = QStringLiteral("ExchangeMonitor");
const QString kPause = QStringLiteral("Пауза");
const QString kResume = QStringLiteral("Продолжить");
// Redrawing the list may take this share of the time at most: the list is redrawn
// after each batch, and a busy link must not wait for it.
constexpr double kPaintShare = 0.01;

QString Swatch(ExchangeLog::Kind kind, const QString &text)
{
    return QStringLiteral("<span style=\"background-color:%1; color:black\">&nbsp;%2&nbsp;</span>")
        .arg(ExchangeLog::ColourOf(kind).name(), text);
}
} // namespace

TExchangeMonitorFrm::TExchangeMonitorFrm(ExchangeLog &log, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TExchangeMonitorFrm>()), m_log(log)
{
    setWindowFlag(Qt::Window);
    ui->setupUi(this);
    setObjectName(QStringLiteral("ExchangeMonitorFrm"));
    m_filter = new ExchangeFilter(log, this);
    ui->TvExchange->setModel(m_filter);

    QHeaderView *h = ui->TvExchange->horizontalHeader();
    const int widths[ExchangeLog::ColRequest] = {96, 64, 52, 64, 64, 200, 120};
    for (int c = 0; c < ExchangeLog::ColRequest; ++c)
        h->resizeSection(c, widths[c]);
    // The frames share what is left, so the reply is in sight whatever the window's width.
    h->setSectionResizeMode(ExchangeLog::ColRequest, QHeaderView::Stretch);
    h->setSectionResizeMode(ExchangeLog::ColReply, QHeaderView::Stretch);
    // Fixed heights: a tall list costs nothing to lay out.
    ui->TvExchange->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->TvExchange->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    for (const QString &link : log.Links())
        ui->CbLink->addItem(link);
    // Room for the captions and for the counts of a long session.
    QHeaderView *ch = ui->TblCounters->horizontalHeader();
    for (int c = 0; c < ui->TblCounters->columnCount(); ++c) {
        const QString caption = ui->TblCounters->horizontalHeaderItem(c)->text();
        ch->resizeSection(c, qMax(ch->fontMetrics().horizontalAdvance(caption) + 16,
                                  fontMetrics().horizontalAdvance(QStringLiteral("00000000"))));
    }
    ch->setSectionResizeMode(QHeaderView::Fixed);
    ui->LblLegend->setText(
        Swatch(ExchangeLog::Kind::Exception, QStringLiteral("исключение")) + QLatin1Char(' ') +
        Swatch(ExchangeLog::Kind::Timeout, QStringLiteral("нет ответа")) + QLatin1Char(' ') +
        Swatch(ExchangeLog::Kind::Crc, QStringLiteral("ошибка CRC")) + QLatin1Char(' ') +
        Swatch(ExchangeLog::Kind::TooShort, QStringLiteral("короткий ответ")));
    ui->LblLegend->setAccessibleDescription(QStringLiteral("Цвета строк"));
    ui->LblShown->setAccessibleDescription(QStringLiteral("Строк в списке"));

    auto *copy = new QAction(QStringLiteral("Копировать"), ui->TvExchange);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    ui->TvExchange->addAction(copy);
    ui->TvExchange->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(copy, &QAction::triggered, this, &TExchangeMonitorFrm::BtnCopyClick);
    connect(ui->BtnPause, &QPushButton::toggled, this, &TExchangeMonitorFrm::BtnPauseClick);
    connect(ui->BtnClear, &QPushButton::clicked, this, &TExchangeMonitorFrm::BtnClearClick);
    connect(ui->BtnCopy, &QPushButton::clicked, this, &TExchangeMonitorFrm::BtnCopyClick);
    connect(ui->BtnSave, &QPushButton::clicked, this, &TExchangeMonitorFrm::BtnSaveClick);
    connect(ui->BtnFileLog, &QPushButton::toggled, this, &TExchangeMonitorFrm::BtnFileLogClick);
    connect(&log, &ExchangeLog::FileLogFailed, this, [this](const QString &name, const QString &error) {
        const QSignalBlocker quiet(ui->BtnFileLog);
        ui->BtnFileLog->setChecked(false);
        Messages::Show(QStringLiteral("Запись журнала обмена в файл %1 остановлена:\r\n%2").arg(name, error));
    });
    connect(ui->CbLink, &QComboBox::currentIndexChanged, this, &TExchangeMonitorFrm::ApplyFilter);
    connect(ui->SeAddress, &QSpinBox::valueChanged, this, &TExchangeMonitorFrm::ApplyFilter);
    connect(ui->ChbErrors, &QCheckBox::toggled, this, &TExchangeMonitorFrm::ApplyFilter);
    connect(ui->CbFunction, &QComboBox::currentIndexChanged, this, &TExchangeMonitorFrm::ApplyFilter);
    connect(ui->EdtQid, &QLineEdit::textChanged, this, &TExchangeMonitorFrm::ApplyFilter);
    connect(ui->EdtHex, &QLineEdit::textChanged, this, &TExchangeMonitorFrm::ApplyFilter);
    ui->EdtQid->setValidator(new QIntValidator(ui->EdtQid));
    connect(&log, &ExchangeLog::CountersChanged, this, &TExchangeMonitorFrm::ShowCounters);
    connect(ui->TvExchange, &ExchangeView::Painted, this, [this](qint64 ns) {
        m_paintMs = qMax(double(ns) / 1e6, m_paintMs * 0.8);
        m_log.SetFlushInterval(int(m_paintMs / kPaintShare));
    });

    // Room for the longest decode (a line a field) without a scroll bar.
    ui->PteDecode->setFixedHeight(7 * ui->PteDecode->fontMetrics().lineSpacing() +
                                  2 * ui->PteDecode->frameWidth() + 8);
    connect(ui->TvExchange->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TExchangeMonitorFrm::ShowDecode);

    // Only a scroll tells whether the operator left the newest rows: rows arriving
    // behind a closed window move nothing, and the window opens on the newest again.
    QScrollBar *bar = ui->TvExchange->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_follow = value >= bar->maximum(); });
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &TExchangeMonitorFrm::FollowNewest);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_filter, signal, this, &TExchangeMonitorFrm::ShowCount);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &TExchangeMonitorFrm::ShowCount);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &TExchangeMonitorFrm::ShowCount);

    BtnPauseClick(log.Paused());
    ShowCounters();
    ShowCount();
    ReadPlace();
}

TExchangeMonitorFrm::~TExchangeMonitorFrm()
{
    WritePlace();
}

void TExchangeMonitorFrm::ReadPlace()
{
    IniFile ini(kIni);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    // The first time wide enough for a whole read request and its reply, as the screen allows.
    const QHeaderView *hh = ui->TvExchange->horizontalHeader();
    const int frame =
        fontMetrics().horizontalAdvance(QStringLiteral("00 00 00 00 00 06 01 03 00 00 00 02")) + 16;
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    const QHeaderView *rows = ui->TvExchange->verticalHeader();
    int wanted = margins.left() + margins.right() + 2 * ui->TvExchange->frameWidth() + 2 * frame +
                 ui->TvExchange->verticalScrollBar()->sizeHint().width() +
                 (rows->isHidden() ? 0 : rows->sizeHint().width());
    for (int c = 0; c < ExchangeLog::ColRequest; ++c)
        wanted += hh->sectionSize(c);
    const int w =
        ini.ReadInteger(kSection, QStringLiteral("width"), qMin(qMax(width(), wanted), area.width() - 16));
    const int h = ini.ReadInteger(kSection, QStringLiteral("height"), height());
    resize(qMax(w, minimumSizeHint().width()), qMax(h, minimumSizeHint().height()));
    // Centred the first time.
    const QPoint centre(area.left() + (area.width() - width()) / 2,
                        area.top() + (area.height() - height()) / 2);
    const QPoint stored(ini.ReadInteger(kSection, QStringLiteral("left"), centre.x()),
                        ini.ReadInteger(kSection, QStringLiteral("top"), centre.y()));
    move(PlaceWindow(stored, frameGeometry().size(), area));
}

void TExchangeMonitorFrm::WritePlace() const
{
    IniFile ini(kIni);
    ini.WriteInteger(kSection, QStringLiteral("left"), x());
    ini.WriteInteger(kSection, QStringLiteral("top"), y());
    ini.WriteInteger(kSection, QStringLiteral("width"), width());
    ini.WriteInteger(kSection, QStringLiteral("height"), height());
    ini.Save(IniFile::Tell::Once);
}

void TExchangeMonitorFrm::hideEvent(QHideEvent *event)
{
    WritePlace();
    m_paintMs = 0;
    m_log.SetFlushInterval(ExchangeLog::kFlushMs);
    QWidget::hideEvent(event);
}

void TExchangeMonitorFrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The view has its rows' geometry only once it is laid out.
    QTimer::singleShot(0, this, &TExchangeMonitorFrm::FollowNewest);
}

void TExchangeMonitorFrm::FollowNewest()
{
    if (m_follow && isVisible())
        ui->TvExchange->scrollToBottom();
}

void TExchangeMonitorFrm::ApplyFilter()
{
    m_filter->SetLink(ui->CbLink->currentIndex() > 0 ? ui->CbLink->currentText() : QString());
    m_filter->SetAddress(ui->SeAddress->value());
    m_filter->SetErrorsOnly(ui->ChbErrors->isChecked());
    m_filter->SetFunction(ui->CbFunction->currentIndex() > 0 ? ui->CbFunction->currentText().toInt(nullptr, 16) : -1);
    m_filter->SetQid(ui->EdtQid->text());
    m_filter->SetHexText(ui->EdtHex->text());
    ShowCount();
}

void TExchangeMonitorFrm::LayCounterRows(const QList<ExchangeLog::CounterRow> &rows)
{
    QTableWidget *t = ui->TblCounters;
    t->setRowCount(int(rows.size()));
    QStringList labels;
    for (const ExchangeLog::CounterRow &row : rows)
        labels << (row.device < 0 ? row.link : QStringLiteral("%1, адрес %2").arg(row.link).arg(row.device));
    t->setVerticalHeaderLabels(labels);
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c)
            if (!t->item(r, c)) {
                auto *item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                t->setItem(r, c, item);
            }
    // As tall as its rows: a device that answers for the first time adds one.
    t->setFixedSize(t->verticalHeader()->sizeHint().width() + t->horizontalHeader()->length() +
                        2 * t->frameWidth(),
                    t->horizontalHeader()->sizeHint().height() +
                        t->rowCount() * t->verticalHeader()->defaultSectionSize() + 2 * t->frameWidth());
}

void TExchangeMonitorFrm::ShowCounters()
{
    const QList<ExchangeLog::CounterRow> rows = m_log.CounterRows();
    if (rows.size() != ui->TblCounters->rowCount())
        LayCounterRows(rows);
    const QLocale locale;
    for (int r = 0; r < int(rows.size()); ++r) {
        const ExchangeLog::Counters &c = rows.at(r).counters;
        auto ms = [&locale, &c](qint64 us) { return c.timed ? locale.toString(double(us) / 1000.0, 'f', 1) : QString(); };
        const QString values[] = {QString::number(c.requests),   QString::number(c.answered),
                                  QString::number(c.timeouts),   QString::number(c.crcErrors),
                                  QString::number(c.exceptions), QString::number(c.retries),
                                  ms(c.minUs),                   ms(c.timed ? c.sumUs / c.timed : 0),
                                  ms(c.maxUs)};
        for (int col = 0; col < int(std::size(values)); ++col)
            ui->TblCounters->item(r, col)->setText(values[col]);
    }
}

void TExchangeMonitorFrm::ShowDecode(const QModelIndex &current)
{
    if (!current.isValid()) {
        ui->PteDecode->clear();
        return;
    }
    const ExchangeRecord &r = m_log.At(m_filter->mapToSource(current).row());
    ui->PteDecode->setPlainText(DecodeExchange(r, m_log.QidName(r)));
}

void TExchangeMonitorFrm::ShowCount()
{
    ui->LblShown->setText(QStringLiteral("Показано %1 из %2 (хранится не более %3)")
                              .arg(m_filter->rowCount())
                              .arg(m_log.rowCount())
                              .arg(m_log.Capacity()));
}

void TExchangeMonitorFrm::BtnPauseClick(bool paused)
{
    m_log.SetPaused(paused);
    if (ui->BtnPause->isChecked() != paused)
        ui->BtnPause->setChecked(paused);
    ui->BtnPause->setText(paused ? kResume : kPause);
}

void TExchangeMonitorFrm::BtnClearClick()
{
    m_log.Clear();
}

QString TExchangeMonitorFrm::SelectedText() const
{
    QList<int> rows;
    for (const QModelIndex &i : ui->TvExchange->selectionModel()->selectedRows())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int row : rows) {
        const ExchangeRecord &r = m_log.At(m_filter->mapToSource(m_filter->index(row, 0)).row());
        QStringList cells;
        for (int c = 0; c < ExchangeLog::ColumnCount; ++c)
            cells.append(ExchangeLog::CellText(r, c));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TExchangeMonitorFrm::BtnCopyClick()
{
    const QString text = SelectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

bool TExchangeMonitorFrm::SaveCsv(const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        Messages::Show(
            QStringLiteral("Не удалось сохранить файл %1:\r\n%2").arg(fileName, file.errorString()));
        return false;
    }
    QString text = ExchangeLog::CsvHeader();
    for (int row = 0; row < m_filter->rowCount(); ++row)
        text += ExchangeLog::CsvLine(m_log.At(m_filter->mapToSource(m_filter->index(row, 0)).row()));
    file.write(text.toUtf8());
    if (!file.commit()) {
        Messages::Show(
            QStringLiteral("Не удалось сохранить файл %1:\r\n%2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

void TExchangeMonitorFrm::BtnSaveClick()
{
    const QString suggested =
        QStringLiteral("обмен-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить список обмена"),
                                                      suggested, QStringLiteral("Файлы CSV (*.csv)"));
    if (!name.isEmpty())
        SaveCsv(name);
}

bool TExchangeMonitorFrm::StartFileLog(const QString &fileName)
{
    auto file = std::make_unique<ExchangeFileLog>(fileName);
    const bool opened = file->Open();
    if (opened)
        m_log.SetFileLog(std::move(file));
    else
        Messages::Show(QStringLiteral("Не удалось открыть файл %1:\r\n%2").arg(fileName, file->ErrorString()));
    const QSignalBlocker quiet(ui->BtnFileLog);
    ui->BtnFileLog->setChecked(opened);
    return opened;
}

void TExchangeMonitorFrm::BtnFileLogClick(bool on)
{
    if (!on) {
        m_log.SetFileLog(nullptr);
        return;
    }
    const QString suggested =
        QStringLiteral("журнал-обмена-%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Журнал обмена в файл"), suggested,
                                                      QStringLiteral("Файлы CSV (*.csv)"));
    if (name.isEmpty()) {
        const QSignalBlocker quiet(ui->BtnFileLog);
        ui->BtnFileLog->setChecked(false);
        return;
    }
    StartFileLog(name);
}
