#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class IniFile;
class RadioGroup;
namespace Ui
{
class TCanalFrm;
}

// Bounds of the link parameters: an RS-485 bench module answers within
// milliseconds, and a reply time-out beyond a minute only makes a silent line look hung.
constexpr int kAnswerDelayMinMs = 10;
constexpr int kAnswerDelayMaxMs = 60000;
constexpr int kRetriesMin = 0;
constexpr int kRetriesMax = 100;
// A pause between the bytes of one frame longer than the reply time-out would end
// the reply before it is whole.
constexpr int kIntervalMin = 0;
constexpr int kIntervalMaxMs = 1000;

// Baud rates of the speed list, by index.
int BaudOfSpeedIndex(int index);
// Index of a stored baud rate; any rate not in the list gives 0.
int SpeedIndexOfBaud(int baud);
// The port names in text order (COM10 before COM2).
QStringList SortedPortNames(QStringList names);
// Item of the port list that shows a stored port name, -1 when none does.
int PortItemIndex(const QStringList &items, const QString &port);

// Serial settings of one link, edited by the link parameters dialog and kept in
// "QTM.ini" under the section of the link ("QTM" bench, "Pribor" flowmeter).
class TCanalFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TCanalFrm(QWidget *parent = nullptr);
    ~TCanalFrm() override;

    QString TitleP = QStringLiteral("QTM");
    QString VarCPort = QStringLiteral("COM1");
    int varCSpeed = 0;
    int varCLink = 0;
    int varCInterval = 0;
    int varAnsDel = 500;
    int varRet = 5;

    // Baud rate of varCSpeed.
    int BaudRate() const { return BaudOfSpeedIndex(varCSpeed); }

    // Loads the fields from the section TitleP; defaults when "QTM.ini" is missing.
    void ReadFINI();
    // Stores the fields into the section TitleP; false when the file cannot be written.
    bool WriteFINI();

    // The openers of the two "Параметры" buttons.
    void ShowForBench();
    void ShowForFlowmeter();

    // Where the port names come from (the computer's serial ports by default).
    void SetPortSource(std::function<QStringList()> source);

public Q_SLOTS:
    void btnUseClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FillPorts();
    void SelectPort();
    void ShowFields();

    std::unique_ptr<Ui::TCanalFrm> ui;
    RadioGroup *m_speed = nullptr;
    RadioGroup *m_link = nullptr;
    std::function<QStringList()> m_ports;
};
