#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class TPropertyFrm;
}
class IMBComMaster;
class QComboBox;
class BenchSession;
struct TPQTM;
class Mailbox;

// Module properties: writes the link settings stored in one module (its Modbus
// address, RTS delay and speed code).
class TPropertyFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TPropertyFrm(QWidget *parent = nullptr);
    ~TPropertyFrm() override;

    // The bench client and the shared mailboxes its writes report to.
    void Bind(BenchSession *session);
    // The module shown and changed; set by the grid of the configuration page.
    TPQTM *Prib = nullptr;

public Q_SLOTS:
    void FormActivate();
    void Button2Click(); // address
    void Button3Click(); // RTS delay
    void Button5Click(); // speed
    void Button1Click(); // "Закрыть"

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    // Writes one byte to a link register of the module and waits; true on success.
    bool WriteByte(int qid, int reg, int value, Mailbox &mailbox);

    std::unique_ptr<Ui::TPropertyFrm> ui;
    IMBComMaster *m_mbcm = nullptr;
    BenchSession *m_session = nullptr;
    bool m_writing = false;
};
