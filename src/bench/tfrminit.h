#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TFrmInit;
}
class IMBComMaster;
class QEventLoop;
class BenchSession;

// Default settings: broadcasts the default link settings (address from the
// module's own default, 9600 baud, no RTS delay) at every speed in turn.
class TFrmInit : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmInit(QWidget *parent = nullptr);
    ~TFrmInit() override;

    // The bench client whose speed is stepped; its connection events and the
    // broadcast results (through the shared effects) end the waits.
    void Bind(BenchSession *session);

    bool Connecting = false; // the bench link is open
    int writing = 0;         // -1 pending, 1 written, 2 failed
    bool InitStop = false;   // stop request of the sequence

    static constexpr int kPauseMs = 1000;

public Q_SLOTS:
    void Button1Click(); // "Старт"
    void Button2Click(); // "Закрыть"

protected:
    void reject() override;

private:
    // Runs the event loop until done() or InitStop; false on InitStop.
    template <class Done> bool WaitFor(Done done);
    bool Pause(int ms);
    void Wake();
    void Add(const QString &line);

    std::unique_ptr<Ui::TFrmInit> ui;
    IMBComMaster *m_mbcm = nullptr;
    BenchSession *m_session = nullptr;
    QEventLoop *m_loop = nullptr;
    bool m_woken = false;
};
